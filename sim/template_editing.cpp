#include "sim/template_editing.h"

namespace sim {
namespace {

// "HH:MM:SS" of a day: hours 00-23, minutes and seconds 00-59.
bool IsTimeText(const std::string& text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  for (std::size_t at : {0u, 1u, 3u, 4u, 6u, 7u}) {
    if (text[at] < '0' || text[at] > '9') return false;
  }
  auto number = [&](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
  return number(0) <= 23 && number(3) <= 59 && number(6) <= 59;
}

}  // namespace

RecorderChannel* ChannelForShow(PlatformState& state, std::int64_t channelId, std::int64_t userId) {
  if (channelId != 0) {
    RecorderChannel* c = state.FindChannel(channelId);
    return c && c->companyId == userId ? c : nullptr;
  }
  for (auto& c : state.recorderChannels) {
    if (c.companyId == userId) return &c;
  }
  return nullptr;
}

Template& WeeklyTemplate(PlatformState& state, const RecorderChannel& channel, std::int32_t week) {
  for (auto& t : state.weeklyTemplates) {
    if (t.channelId == channel.channelId && t.week == week) return t;
  }
  Template t;
  t.id = state.nextId++;
  t.channelId = channel.channelId;
  t.week = week;
  t.name = channel.channelName + " " + std::to_string(week);
  state.weeklyTemplates.push_back(std::move(t));
  return state.weeklyTemplates.back();
}

std::string EditTemplate(PlatformState& state, const TemplateEdit& edit) {
  RecorderChannel* channel = state.FindChannel(edit.channelId);
  if (!channel) return "no such channel";
  if (edit.week < 1 || edit.week > 7) return "the week day must be 1 to 7";
  Template& t = WeeklyTemplate(state, *channel, edit.week);
  const bool existing = edit.index >= 0 && static_cast<std::size_t>(edit.index) < t.programmes.size();
  if (edit.remove) {
    if (!existing) return "no such programme";
    t.programmes.erase(t.programmes.begin() + edit.index);
  } else {
    if (edit.name.empty()) return "the programme needs a name";
    if (!IsTimeText(edit.beginTime) || !IsTimeText(edit.endTime)) return "times are HH:MM:SS";
    Programme p = existing ? t.programmes[static_cast<std::size_t>(edit.index)] : Programme{};
    if (!existing) {
      p.columnId = state.nextId++;
      p.tcId = state.nextId++;
      p.channelName = channel->channelName;
    }
    p.pgName = edit.name;
    p.pgShortName = edit.name;
    p.beginTime = edit.beginTime;
    p.endTime = edit.endTime;
    if (edit.ctId != 0) {
      p.ctId = edit.ctId;
      for (const auto& ct : state.columnTypes) {
        if (ct.id == edit.ctId) p.ctName = ct.typeName;
      }
    }
    if (existing)
      t.programmes[static_cast<std::size_t>(edit.index)] = p;
    else
      t.programmes.push_back(p);
  }
  channel->templatesChanged = true;
  return {};
}

}  // namespace sim
