#include "sim/html_pages.h"

#include <ctime>
#include <initializer_list>

namespace sim {
namespace {

std::string Cell(const std::string& text) { return "<td>" + EscapeHtml(text) + "</td>"; }
std::string Cell(std::int64_t n) { return "<td>" + std::to_string(n) + "</td>"; }

std::string Head(std::initializer_list<const char*> names) {
  std::string out = "<tr>";
  for (const char* n : names) out += std::string("<th>") + n + "</th>";
  return out + "</tr>";
}

std::string TimeText(std::int64_t ms) {
  if (ms <= 0) return "";
  std::time_t t = static_cast<std::time_t>(ms / 1000);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}


std::string CompanyName(const PlatformState& s, std::int64_t id) {
  for (const auto& c : s.companies) {
    if (c.id == id) return c.comName;
  }
  return std::to_string(id);
}

}  // namespace

std::string HtmlPage(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + EscapeHtml(title) +
         "</title><style>body{font-family:sans-serif}table{border-collapse:collapse;margin-bottom:1em}"
         "td,th{border:1px solid #999;padding:2px 6px}</style></head><body>" +
         body + "</body></html>";
}

std::string EscapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string StatePageHtml(const PlatformState& s, std::size_t sessionCount, const std::string& ftpAddress,
                          const std::vector<LivePointStatus>& livePoints) {
  std::string b = "<h1>castora-platform</h1><p>Signed-in sessions: " + std::to_string(sessionCount) +
                  ". FTP storage: " + EscapeHtml(ftpAddress) + "</p>";

  b += "<h2>Companies</h2><table>" +
       Head({"id", "company", "login", "live minutes", "on-demand", "DRM", "balance", "free KiB",
             "total KiB", "FTP user", "FTP address"});
  for (const auto& c : s.companies) {
    b += "<tr>" + Cell(c.id) + Cell(c.comName) + Cell(c.loginName) + Cell(c.liveCount) + Cell(c.vodCount) +
         Cell(c.drmCount) + Cell(std::to_string(c.freeCount)) + Cell(c.freeSpace) + Cell(c.totalSpace) +
         Cell(c.ftpUser) + Cell(c.ip + ":" + std::to_string(c.port)) + "</tr>";
  }
  b += "</table>";

  b += "<h2>Media servers</h2><table>" + Head({"id", "name", "address", "publishing points"});
  for (const auto& m : s.mediaServers) {
    std::string points;
    for (const auto& p : m.points) {
      points += p.name + (p.liveId ? " (live " + std::to_string(p.liveId) + ")" : " (free)") + " ";
    }
    b += "<tr>" + Cell(m.id) + Cell(m.mediaName) + Cell(m.ip + ":" + std::to_string(m.port)) + Cell(points) + "</tr>";
  }
  b += "</table>";

  b += "<h2>Live points</h2><table>" + Head({"server", "publishing point", "state", "viewers", "packets received"});
  for (const auto& p : livePoints) {
    const std::string state = p.pushing ? "live, pushing" : p.live ? "live, waiting for a push" : "free";
    b += "<tr>" + Cell(p.serverId) + Cell(p.point) + Cell(state) + Cell(p.viewers) +
         Cell(static_cast<std::int64_t>(p.packets)) + "</tr>";
  }
  b += "</table>";

  b += "<h2>Live broadcasts</h2><table>" +
       Head({"live id", "company", "state", "server", "publishing point", "play path", "watch address",
             "DRM", "started", "ended", "minutes charged"});
  for (const auto& x : s.broadcasts) {
    b += "<tr>" + Cell(x.liveId) + Cell(CompanyName(s, x.companyId)) + Cell(x.state) +
         Cell(x.serverId ? std::to_string(x.serverId) : std::string("this PC only")) + Cell(x.pubPoint) +
         Cell(x.playPath) + Cell(x.playUrl) + Cell(x.isDrm) + Cell(TimeText(x.startedAt)) +
         Cell(TimeText(x.endedAt)) + Cell(x.minutesCharged) + "</tr>";
  }
  b += "</table>";

  b += "<h2>Uploaded videos</h2><table>" +
       Head({"id", "company", "video", "folder", "stored as", "bytes", "audio only", "kid", "in storage", "reported"});
  for (const auto& v : s.videos) {
    b += "<tr>" + Cell(v.id) + Cell(CompanyName(s, v.companyId)) + Cell(v.videoName) + Cell(v.uploadFolder) +
         Cell(v.uploadName) + Cell(v.videoSize) + Cell(v.onlyAudio) + Cell(v.kid) +
         Cell(v.inStorage ? "yes" : "no") + Cell(TimeText(v.reportedAt)) + "</tr>";
  }
  b += "</table>";

  b += "<h2>Recorder channels</h2><table>" + Head({"channel", "name", "encoder", "company", "templates changed"});
  for (const auto& c : s.recorderChannels) {
    b += "<tr>" + Cell(c.channelId) + Cell(c.channelName) + Cell(c.encId) + Cell(CompanyName(s, c.companyId)) +
         Cell(c.templatesChanged ? "yes" : "no") + "</tr>";
  }
  b += "</table>";

  b += "<h2>Recorder shows</h2><table>" +
       Head({"channel", "template", "week / date", "#", "show id", "name", "begin", "end", "category"});
  auto shows = [&](const std::vector<Template>& templates) {
    for (const auto& t : templates) {
      for (std::size_t i = 0; i < t.programmes.size(); ++i) {
        const Programme& p = t.programmes[i];
        b += "<tr>" + Cell(t.channelId) + Cell(t.name) + Cell(t.date.empty() ? std::to_string(t.week) : t.date) +
             Cell(static_cast<std::int64_t>(i)) + Cell(p.tcId) + Cell(p.pgName) + Cell(p.beginTime) +
             Cell(p.endTime) + Cell(p.ctName) + "</tr>";
      }
    }
  };
  shows(s.weeklyTemplates);
  shows(s.specialTemplates);
  b += "</table>";
  // Changes a weekly template; the recorders see the channel's flag raised.
  b += "<form method=\"post\" action=\"/recorder/template\"><fieldset><legend>修改周模板</legend>"
       "频道 <input name=\"channelId\" size=\"5\"> 星期(1-7) <input name=\"week\" size=\"2\"> "
       "# <input name=\"index\" size=\"3\" placeholder=\"新增留空\"> 节目 <input name=\"name\"> "
       "开始 <input name=\"beginTime\" size=\"8\" placeholder=\"HH:MM:SS\"> "
       "结束 <input name=\"endTime\" size=\"8\" placeholder=\"HH:MM:SS\"> 类别 <input name=\"ctId\" size=\"3\"> "
       "<label><input type=\"checkbox\" name=\"remove\" value=\"1\">删除</label> "
       "<button type=\"submit\">保存</button></fieldset></form>";

  b += "<h2>Recorded videos</h2><table>" +
       Head({"id", "channel", "encoder", "pgid", "show id", "FTP", "name", "path", "bytes", "begin", "end", "recorded on"});
  for (const auto& v : s.recordedVideos) {
    b += "<tr>" + Cell(v.id) + Cell(v.channelId) + Cell(v.encId) + Cell(v.pgId) + Cell(v.tcId) + Cell(v.ftpId) +
         Cell(v.videoName) + Cell(v.path) + Cell(v.videoSize) + Cell(v.beginTime) + Cell(v.endTime) +
         Cell(v.encTime) + "</tr>";
  }
  b += "</table>";
  return HtmlPage("castora-platform", b);
}

std::string AgreementPageHtml() {
  return HtmlPage("用户协议",
              "<h1>用户协议</h1>"
              "<p>欢迎使用本流媒体平台。使用本平台的直播、点播、存储与数字版权保护服务前，请仔细阅读本协议。</p>"
              "<ol><li>用户应妥善保管账号与密码，因账号被他人使用造成的损失由用户自行承担。</li>"
              "<li>直播按开始的每分钟计费，点播与数字版权保护服务按月计费，余额不足时相关服务停止。</li>"
              "<li>用户上传与直播的内容须遵守法律法规，不得侵犯他人的合法权益。</li>"
              "<li>平台可在必要时对服务进行维护，并尽量提前通知用户。</li></ol>"
              "<p>点击登录即表示您同意本协议。</p>");
}

}  // namespace sim
