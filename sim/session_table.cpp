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
  sessions_[id] = Session{userName, companyId, nowMs};
  return id;
}

const Session* SessionTable::Find(const std::string& id, std::int64_t nowMs) {
  Expire(nowMs);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return nullptr;
  it->second.lastSeenMs = nowMs;
  return &it->second;
}

void SessionTable::Remove(const std::string& id) { sessions_.erase(id); }

bool SessionTable::HasSessionFor(const std::string& userName, std::int64_t nowMs) {
  Expire(nowMs);
  for (const auto& [_, s] : sessions_) {
    if (s.userName == userName) return true;
  }
  return false;
}

std::size_t SessionTable::Count(std::int64_t nowMs) {
  Expire(nowMs);
  return sessions_.size();
}

void SessionTable::Expire(std::int64_t nowMs) {
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    if (nowMs - it->second.lastSeenMs > idleTimeoutMs_) {
      it = sessions_.erase(it);
    } else {
      ++it;
    }
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
