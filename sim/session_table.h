#pragma once
// Signed-in sessions, kept in memory: a restart signs everybody out. A session ends
// with logOut or after it has been idle for the timeout.

#include <cstdint>
#include <list>
#include <map>
#include <string>

namespace sim {

struct Session {
  std::string userName;
  std::int64_t companyId = 0;
  std::int64_t lastSeenMs = 0;
};

class SessionTable {
 public:
  explicit SessionTable(std::int64_t idleTimeoutMs) : idleTimeoutMs_(idleTimeoutMs) {}

  // A new session with a fresh random identifier; returns the identifier.
  std::string Create(const std::string& userName, std::int64_t companyId, std::int64_t nowMs);
  // The live session with this identifier (its idle clock restarts), or null.
  const Session* Find(const std::string& id, std::int64_t nowMs);
  void Remove(const std::string& id);
  bool HasSessionFor(const std::string& userName, std::int64_t nowMs);
  std::size_t Count(std::int64_t nowMs);

 private:
  struct Entry {
    Session session;
    std::list<std::string>::iterator place;  // in byLastSeen_
  };

  void Expire(std::int64_t nowMs);
  void Touch(Entry& entry, std::int64_t nowMs);

  std::int64_t idleTimeoutMs_;
  std::map<std::string, Entry> sessions_;
  // Identifiers from the longest idle to the last seen: expiry looks only at the front, so a
  // call costs the same however many sessions are open.
  std::list<std::string> byLastSeen_;
};

// The JSESSIONID value of a Cookie header, or empty.
std::string SessionIdFromCookie(const std::string& cookieHeader);

// A random identifier of `length` upper-case hexadecimal digits.
std::string RandomHex(std::size_t length);

}  // namespace sim
