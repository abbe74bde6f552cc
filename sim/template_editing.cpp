#include "sim/template_editing.h"

#include <regex>

namespace sim {
namespace {

bool IsTimeText(const std::string& text) {
  static const std::regex time("([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]");
  return std::regex_match(text, time);
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
