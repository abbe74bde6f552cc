#include "sim/platform_state.h"

namespace sim {
namespace {

template <class T, class Pred>
T* FindIn(std::vector<T>& items, Pred pred) {
  for (auto& item : items) {
    if (pred(item)) return &item;
  }
  return nullptr;
}

}  // namespace

Company* PlatformState::FindCompany(std::int64_t id) {
  return FindIn(companies, [&](const Company& c) { return c.id == id; });
}

MediaServer* PlatformState::FindServer(std::int64_t id) {
  return FindIn(mediaServers, [&](const MediaServer& s) { return s.id == id; });
}

Broadcast* PlatformState::FindBroadcast(std::int64_t liveId) {
  return FindIn(broadcasts, [&](const Broadcast& b) { return b.liveId == liveId; });
}

RecorderChannel* PlatformState::FindChannel(std::int64_t channelId) {
  return FindIn(recorderChannels, [&](const RecorderChannel& c) { return c.channelId == channelId; });
}

}  // namespace sim
