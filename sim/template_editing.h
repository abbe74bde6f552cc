#pragma once
// Changing a recorder channel's templates from the state page: a programme of a weekly
// template replaced, added or removed. The channel's flag then tells the recorder.

#include <cstdint>
#include <string>

#include "sim/platform_state.h"

namespace sim {

struct TemplateEdit {
  std::int64_t channelId = 0;
  std::int32_t week = 0;      // 1 Monday .. 7 Sunday
  std::int32_t index = -1;    // the programme to replace or remove; -1 (or past the end) adds one
  bool remove = false;
  std::string name, beginTime, endTime;
  std::int64_t ctId = 0;      // the programme's category
};

// Applies the edit; empty on success, else why not.
std::string EditTemplate(PlatformState& state, const TemplateEdit& edit);

// The user's recorder channel a show pushed with channel id 0 belongs to (the first
// channel of the company), or the channel of that id; null when there is none.
RecorderChannel* ChannelForShow(PlatformState& state, std::int64_t channelId, std::int64_t userId);

// The channel's weekly template of `week`, made empty when it has none yet.
Template& WeeklyTemplate(PlatformState& state, const RecorderChannel& channel, std::int32_t week);

}  // namespace sim
