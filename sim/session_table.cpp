#include "sim/session_table.h"

#include <random>

namespace sim {

std::string RandomHex(std::size_t length) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < length; ++i) out += hex[rng() & 15];
  return out;
}

std::string SessionTable::Create(const std::string& userName, std::int64_t companyId, std::int64_t nowMs) {
  Expire(nowMs);
  std::string id;
  do {
    id = RandomHex(32);
  } while (sessions_.count(id));
  Entry& entry = sessions_[id];
  entry.session = Session{userName, companyId, nowMs};
  entry.place = byLastSeen_.insert(byLastSeen_.end(), id);
  return id;
}

const Session* SessionTable::Find(const std::string& id, std::int64_t nowMs) {
  Expire(nowMs);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return nullptr;
  Touch(it->second, nowMs);
  return &it->second.session;
}

void SessionTable::Remove(const std::string& id) {
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return;
  byLastSeen_.erase(it->second.place);
  sessions_.erase(it);
}

bool SessionTable::HasSessionFor(const std::string& userName, std::int64_t nowMs) {
  Expire(nowMs);
  for (const auto& [_, entry] : sessions_) {
    if (entry.session.userName == userName) return true;
  }
  return false;
}

std::size_t SessionTable::Count(std::int64_t nowMs) {
  Expire(nowMs);
  return sessions_.size();
}

void SessionTable::Touch(Entry& entry, std::int64_t nowMs) {
  entry.session.lastSeenMs = nowMs;
  byLastSeen_.splice(byLastSeen_.end(), byLastSeen_, entry.place);
}

void SessionTable::Expire(std::int64_t nowMs) {
  while (!byLastSeen_.empty()) {
    const auto it = sessions_.find(byLastSeen_.front());
    if (nowMs - it->second.session.lastSeenMs <= idleTimeoutMs_) return;
    sessions_.erase(it);
    byLastSeen_.pop_front();
  }
}

std::string SessionIdFromCookie(const std::string& cookieHeader) {
  const std::string key = "JSESSIONID=";
  std::size_t pos = 0;
  while (pos < cookieHeader.size()) {
    std::size_t end = cookieHeader.find(';', pos);
    if (end == std::string::npos) end = cookieHeader.size();
    std::string part = cookieHeader.substr(pos, end - pos);
    auto b = part.find_first_not_of(' ');
    if (b != std::string::npos && part.compare(b, key.size(), key) == 0) {
      std::string value = part.substr(b + key.size());
      while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
      return value;
    }
    pos = end + 1;
  }
  return {};
}

}  // namespace sim
