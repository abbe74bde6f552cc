// The programme recorder's operations: categories, the TV guide, the channel record
// with its FTP accounts and media servers, weekly and special templates, shows pushed
// from the recorder and recorded videos.

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "sim/operation_context.h"
#include "sim/record_fields.h"
#include "sim/soap_message.h"
#include "sim/template_editing.h"

namespace sim {
namespace {


SoapValue GetCTList(OperationContext& ctx, const SoapValue&) {
  SoapValue list;
  for (const auto& t : ctx.state.columnTypes) list.items.push_back(RecordOf(t));
  return list;
}

SoapValue GetArea(OperationContext& ctx, const SoapValue&) {
  SoapValue list;
  for (const auto& a : ctx.state.tvGuide) {
    list.items.push_back(SoapValue::Record({{"area", SoapValue::Str(a.area)},
                                            {"areaId", SoapValue::Str(a.areaId)},
                                            {"zone", SoapValue::Str(a.zone)}}));
  }
  return list;
}

SoapValue GetChannel(OperationContext& ctx, const SoapValue& args) {
  SoapValue list;
  for (const auto& a : ctx.state.tvGuide) {
    if (a.areaId != args.String("id")) continue;
    for (const auto& s : a.stations) {
      list.items.push_back(SoapValue::Record({{"channelId", SoapValue::Str(s.channelId)},
                                              {"channelName", SoapValue::Str(s.channelName)}}));
    }
  }
  return list;
}

SoapValue GetNetProg(OperationContext& ctx, const SoapValue& args) {
  SoapValue list;
  for (const auto& a : ctx.state.tvGuide) {
    for (const auto& s : a.stations) {
      if (s.channelId != args.String("id")) continue;
      for (const auto& c : s.channels) {
        list.items.push_back(SoapValue::Record({{"netProgId", SoapValue::Str(c.netProgId)},
                                                {"netProgName", SoapValue::Str(c.netProgName)}}));
      }
    }
  }
  return list;
}

SoapValue GetTvProg(OperationContext& ctx, const SoapValue& args) {
  SoapValue list;
  for (const auto& a : ctx.state.tvGuide) {
    for (const auto& s : a.stations) {
      for (const auto& c : s.channels) {
        if (c.netProgId != args.String("id")) continue;
        for (const auto& p : c.programmes) list.items.push_back(RecordOf(p));
      }
    }
  }
  return list;
}

RecorderChannel& ChannelOrFault(OperationContext& ctx, std::int64_t channelId) {
  RecorderChannel* c = ctx.state.FindChannel(channelId);
  if (!c) throw SoapFault("Client", "unknown channel " + std::to_string(channelId));
  return *c;
}

// A station not registered yet asks for channel 0 until it has fetched its channel:
// nothing of it has changed.
SoapValue Flag(OperationContext& ctx, const SoapValue& args) {
  if (args.Long("channelId") == 0) return SoapValue::Bool(false);
  return SoapValue::Bool(ChannelOrFault(ctx, args.Long("channelId")).templatesChanged);
}

SoapValue UpdateFlag(OperationContext& ctx, const SoapValue& args) {
  ChannelOrFault(ctx, args.Long("channelId")).templatesChanged = false;
  ctx.changed = true;
  return {};
}

// The station's channel: the one registered under encId, or the user's first channel
// for a station not registered yet (encId 0).
SoapValue BChannel(OperationContext& ctx, const SoapValue& args) {
  const std::int64_t encId = args.Long("encId");
  const std::int64_t userId = args.Long("userId");
  const RecorderChannel* channel = nullptr;
  for (const auto& c : ctx.state.recorderChannels) {
    if (!channel && c.companyId == userId && (encId == 0 || c.encId == encId)) channel = &c;
  }
  if (!channel) throw SoapFault("Client", "no channel for user " + std::to_string(userId));
  const Company* company = ctx.state.FindCompany(channel->companyId);
  SoapValue ftpList;
  for (const auto& f : channel->ftpList) ftpList.items.push_back(RecordOf(f));
  SoapValue mediaList;
  for (std::int64_t id : channel->mediaServerIds) {
    if (const MediaServer* s = ctx.state.FindServer(id)) {
      std::string point = s->points.empty() ? std::string() : s->points.front().name;
      mediaList.items.push_back(SoapValue::Record({{"ip", SoapValue::Str(s->ip)},
                                                   {"port", SoapValue::Num(s->port)},
                                                   {"pubPoint", SoapValue::Str(point)},
                                                   {"userName", SoapValue::Str(s->serverUser)},
                                                   {"userPass", SoapValue::Str(s->serverPass)}}));
    }
  }
  return SoapValue::Record({
      {"channel", SoapValue::Record({{"channelId", SoapValue::Num(channel->channelId)},
                                     {"channelName", SoapValue::Str(channel->channelName)},
                                     {"enc_content", SoapValue::Num(channel->encContent)},
                                     {"pg_fashion", SoapValue::Num(channel->pgFashion)}})},
      {"copyright", SoapValue::Record({{"author", SoapValue::Str(channel->author)},
                                       {"copyRight", SoapValue::Str(channel->copyRight)},
                                       {"desc", SoapValue::Str(channel->desc)}})},
      {"drmPrivateKey", SoapValue::Str(company ? company->drmPrivateKey : std::string())},
      {"drmSeed", SoapValue::Str(company ? company->drmSeed : std::string())},
      {"drmUrl", SoapValue::Str(company ? company->drmUrl : std::string())},
      {"ftpList", ftpList},
      {"mediaList", mediaList},
      {"profileName", SoapValue::Str(channel->profileName)},
  });
}

SoapValue TemplateValue(const Template* t) {
  if (!t) return SoapValue::Record({{"id", SoapValue::Num(0)}, {"progList", SoapValue{}}});
  SoapValue progs;
  for (const auto& p : t->programmes) progs.items.push_back(RecordOf(p));
  return SoapValue::Record(
      {{"id", SoapValue::Num(t->id)}, {"progList", progs}, {"tempName", SoapValue::Str(t->name)}});
}

SoapValue GetTemple(OperationContext& ctx, const SoapValue& args) {
  const std::int64_t channelId = ChannelOrFault(ctx, args.Long("channelId")).channelId;
  const Template* found = nullptr;
  for (const auto& t : ctx.state.weeklyTemplates) {
    if (t.channelId == channelId && t.week == args.Int("week")) found = &t;
  }
  return TemplateValue(found);
}

SoapValue GetEncSpcTemple(OperationContext& ctx, const SoapValue& args) {
  const std::int64_t channelId = ChannelOrFault(ctx, args.Long("channelId")).channelId;
  const Template* found = nullptr;
  for (const auto& t : ctx.state.specialTemplates) {
    if (t.channelId == channelId && t.date == args.String("time")) found = &t;
  }
  return SoapValue::Record({{"flag", SoapValue::Bool(found != nullptr)}, {"temple", TemplateValue(found)}});
}

// Removes a show from every weekly template of the channel; true when it was there.
bool RemoveShow(PlatformState& state, std::int64_t channelId, std::int64_t tcId) {
  bool found = false;
  for (auto& t : state.weeklyTemplates) {
    if (t.channelId != channelId) continue;
    auto& progs = t.programmes;
    auto end = std::remove_if(progs.begin(), progs.end(), [&](const Programme& p) { return p.tcId == tcId; });
    found = found || end != progs.end();
    progs.erase(end, progs.end());
  }
  return found;
}

// A show added (type 1), edited (2) or deleted (3) on the recorder, written into the
// channel's weekly templates on the weekdays it names (every day when it names none).
// A custom show comes with channel id 0: it belongs to the user's channel. A stored
// change raises the channel's flag, so that recorders fetch the templates again.
SoapValue InsertChannel(OperationContext& ctx, const SoapValue& args) {
  RecorderChannel* channel = ChannelForShow(ctx.state, args.Long("channelId"), args.Long("userId"));
  const std::int64_t channelId = channel ? channel->channelId : args.Long("channelId");
  std::int64_t columnId = args.Long("columnId");
  std::int64_t tcId = args.Long("tcId");
  const std::int32_t type = args.Int("type");
  auto result = [&](bool flag) {
    return SoapValue::Record({{"channelId", SoapValue::Num(channelId)},
                              {"columnId", SoapValue::Num(columnId)},
                              {"flag", SoapValue::Bool(flag)},
                              {"state", SoapValue::Num(type)},
                              {"tcId", SoapValue::Num(tcId)}});
  };
  if (!channel || type < 1 || type > 3) return result(false);
  if (type == 3) {
    bool removed = tcId != 0 && RemoveShow(ctx.state, channelId, tcId);
    ctx.changed = ctx.changed || removed;
    channel->templatesChanged = channel->templatesChanged || removed;
    return result(removed);
  }
  if (type == 2 && tcId != 0) RemoveShow(ctx.state, channelId, tcId);
  if (tcId == 0) tcId = ctx.state.nextId++;
  if (columnId == 0) columnId = ctx.state.nextId++;
  std::string ctName;
  for (const auto& ct : ctx.state.columnTypes) {
    if (ct.id == args.Long("columnTypeId")) ctName = ct.typeName;
  }
  std::vector<std::int32_t> weeks;
  for (std::int32_t week : args.Ints("weeks")) {
    if (week >= 1 && week <= 7 && std::find(weeks.begin(), weeks.end(), week) == weeks.end()) weeks.push_back(week);
  }
  if (weeks.empty()) weeks = {1, 2, 3, 4, 5, 6, 7};
  for (std::int32_t week : weeks) {
    Programme p;
    p.beginTime = args.String("beginTime");
    p.endTime = args.String("endTime");
    p.pgName = args.String("columnName");
    p.pgShortName = p.pgName;
    p.channelName = channel->channelName;
    p.columnId = columnId;
    p.ctId = args.Long("columnTypeId");
    p.ctName = ctName;
    p.isfor = args.Int("isfor");
    p.tcId = tcId;
    WeeklyTemplate(ctx.state, *channel, week).programmes.push_back(p);
  }
  channel->templatesChanged = true;
  ctx.changed = true;
  return result(true);
}

// Every field but the id: two reports of one upload.
auto ReportFields(const RecordedVideo& v) {
  return std::tie(v.channelId, v.encId, v.pgId, v.ftpId, v.userId, v.tcId, v.type, v.isDrm, v.videoSize, v.score,
                  v.videoName, v.path, v.beginTime, v.endTime, v.encTime, v.picPath);
}

// A recorder reports an upload again until an answer reaches it, so a repeat of a
// recorded upload (its answer lost on the way back) is answered with the recorded id
// and stores nothing.
SoapValue InsertVideo(OperationContext& ctx, const SoapValue& args) {
  RecordedVideo v;
  v.channelId = args.Long("channelId");
  v.encId = args.Long("encId");
  v.pgId = args.Long("pgId");
  v.ftpId = args.Long("ftpId");
  v.type = args.Int("type");
  v.videoName = args.String("videoName");
  v.path = args.String("path");
  v.isDrm = args.Int("isDrm");
  v.videoSize = args.Int("videoSize");
  v.beginTime = args.String("beginTime");
  v.endTime = args.String("endTime");
  v.encTime = args.String("encTime");
  v.userId = args.Long("userId");
  v.tcId = args.Long("tcId");
  v.score = args.Int("score");
  v.picPath = args.String("picPath");
  for (const RecordedVideo& known : ctx.state.recordedVideos) {
    if (ReportFields(known) == ReportFields(v)) return SoapValue::Num(known.id);
  }
  v.id = ctx.state.nextId++;
  if (Company* c = ctx.state.FindCompany(v.userId)) {
    c->freeSpace = std::max<std::int64_t>(0, c->freeSpace - (std::max(0, v.videoSize) + 1023) / 1024);
  }
  ctx.state.recordedVideos.push_back(v);
  ctx.changed = true;
  return SoapValue::Num(v.id);
}

}  // namespace

OperationHandler RecorderOperation(std::string_view name) {
  static const std::map<std::string_view, OperationHandler> handlers{
      {"getCTList", GetCTList},   {"getArea", GetArea},
      {"getChannel", GetChannel}, {"getNetProg", GetNetProg},
      {"getTvProg", GetTvProg},   {"flag", Flag},
      {"bChannel", BChannel},     {"updateFlag", UpdateFlag},
      {"getTemple", GetTemple},   {"getEncSpcTemple", GetEncSpcTemple},
      {"insertChannel", InsertChannel}, {"insertVideo", InsertVideo},
  };
  auto it = handlers.find(name);
  return it == handlers.end() ? nullptr : it->second;
}

}  // namespace sim
