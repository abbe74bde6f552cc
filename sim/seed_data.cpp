#include "sim/seed_data.h"

#include "sim/password_digest.h"

namespace sim {
namespace {

Company MakeCompany(std::int64_t id, const std::string& name, const std::string& login,
                    const std::string& ftpUser, const std::string& ftpPass) {
  Company c;
  c.id = id;
  c.comName = name;
  c.loginName = login;
  c.ftpId = id;
  c.ftpName = login + "-storage";
  c.ftpUser = ftpUser;
  c.ftpPass = ftpPass;
  c.ip = "127.0.0.1";
  c.path = "/";
  c.proFile = "视频中质量（256K）";
  c.state = 2;
  // The DRM seed, signing key and licence address are made when the platform opens.
  return c;
}

void SetBalances(Company& c, std::int64_t drm, std::int64_t live, std::int64_t vod, double money,
                 std::int32_t storageMiB) {
  c.drmCount = drm;
  c.liveCount = live;
  c.vodCount = vod;
  c.freeCount = money;
  c.space = storageMiB;
  c.totalSpace = static_cast<std::int64_t>(storageMiB) * 1024;  // KiB
  c.freeSpace = c.totalSpace;
}

Programme MakeProgramme(const char* begin, const char* end, const char* name, std::int64_t columnId,
                        std::int64_t tcId, const ColumnType& type) {
  Programme p;
  p.beginTime = begin;
  p.endTime = end;
  p.pgName = name;
  p.pgShortName = name;
  p.channelName = "演示频道";
  p.channelNum = "1";
  p.columnId = columnId;
  p.ctId = type.id;
  p.ctName = type.typeName;
  p.tcId = tcId;
  return p;
}

}  // namespace

PlatformState SeedState() {
  PlatformState s;
  s.accounts = {
      {"demo", PasswordDigest("demo123"), 1001, false, {}},
      {"empty", PasswordDigest("empty123"), 1002, false, {}},
      {"solo", PasswordDigest("solo123"), 1003, true, {}},
  };

  // Balances: DRM months, live minutes, on-demand months, money, storage MiB.
  Company demo = MakeCompany(1001, "演示传媒有限公司", "demo", "demo", "demoftp");
  SetBalances(demo, 12, 600, 12, 5000, 10240);
  demo.score = 100;
  Company empty = MakeCompany(1002, "空余额测试公司", "empty", "empty", "emptyftp");
  SetBalances(empty, 0, 0, 0, 0, 1024);
  empty.state = 1;
  Company solo = MakeCompany(1003, "单点登录测试公司", "solo", "solo", "soloftp");
  SetBalances(solo, 1, 60, 1, 100, 1024);
  s.companies = {demo, empty, solo};

  s.mediaServers = {
      {1, "媒体服务器一", "127.0.0.1", 8091, "push", "pushpass", "0", 1,
       {{"live1", 0}, {"live2", 0}, {"live3", 0}}},
      {2, "媒体服务器二", "127.0.0.1", 8092, "push", "pushpass", "0", 1, {{"live", 0}}},
  };

  s.columnTypes = {{1, "新闻"}, {2, "体育"}, {3, "娱乐"}, {4, "电视剧"}};

  RecorderChannel channel;
  channel.channelId = 101;
  channel.encId = 501;
  channel.companyId = 1001;
  channel.channelName = "演示频道";
  channel.encContent = 1;
  channel.pgFashion = 0;
  channel.author = "演示传媒有限公司";
  channel.copyRight = "演示传媒有限公司";
  channel.desc = "演示频道的节目录制";
  channel.profileName = "视频中质量（256K）";
  channel.templatesChanged = true;
  channel.ftpList = {{1, "127.0.0.1", "/recorder", "demoftp", 0, "demo"}};
  channel.mediaServerIds = {1};
  s.recorderChannels = {channel};

  std::int64_t nextId = 2000;
  const char* weekNames[] = {"", "周一", "周二", "周三", "周四", "周五", "周六", "周日"};
  for (int week = 1; week <= 7; ++week) {
    Template t;
    t.id = nextId++;
    t.channelId = 101;
    t.week = week;
    t.name = std::string(weekNames[week]) + "节目模板";
    t.programmes = {MakeProgramme("07:00:00", "07:30:00", "早间新闻", 11, nextId++, s.columnTypes[0]),
                    MakeProgramme("19:00:00", "19:45:00", "体育快讯", 12, nextId++, s.columnTypes[1])};
    s.weeklyTemplates.push_back(t);
  }
  Template newYear;
  newYear.id = nextId++;
  newYear.channelId = 101;
  newYear.date = "01-01";
  newYear.name = "元旦特别节目";
  newYear.programmes = {MakeProgramme("20:00:00", "22:00:00", "元旦晚会", 13, nextId++, s.columnTypes[2])};
  s.specialTemplates = {newYear};
  s.nextId = nextId;

  s.tvGuide = {
      {"1", "北京", "华北", {{"11", "北京电视台", {
          {"111", "北京卫视", {{"新闻", "上午", "07:00", "北京新闻"}, {"电视剧", "下午", "20:00", "北京人在纽约"}}},
          {"112", "北京体育", {{"体育", "下午", "15:00", "足球之夜"}}}}}}},
      {"2", "上海", "华东", {{"21", "上海电视台", {
          {"211", "东方卫视", {{"娱乐", "下午", "19:30", "娱乐星天地"}}}}}}},
  };
  return s;
}

void ApplyFtpEndpoint(PlatformState& state, const std::string& host, std::int32_t port) {
  for (auto& c : state.companies) {
    c.ip = host;
    c.port = port;
  }
  for (auto& ch : state.recorderChannels) {
    for (auto& f : ch.ftpList) {
      f.ip = host;
      f.port = port;
    }
  }
}

void ApplyMediaPorts(PlatformState& state, const std::vector<int>& ports) {
  for (std::size_t i = 0; i < ports.size() && i < state.mediaServers.size(); ++i) state.mediaServers[i].port = ports[i];
}

}  // namespace sim
