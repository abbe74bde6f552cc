#include "sim/template_route.h"

#include <cstdlib>

#include "sim/html_pages.h"

namespace sim {
namespace {

std::int64_t Number(const httplib::Request& req, const char* name, std::int64_t fallback) {
  const std::string text = req.get_param_value(name);
  if (text.empty()) return fallback;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  return end && *end == '\0' ? value : fallback;
}

}  // namespace

void InstallTemplateRoute(httplib::Server& server, PlatformService& service) {
  server.Post(kTemplatePath, [&service](const httplib::Request& req, httplib::Response& res) {
    TemplateEdit edit;
    edit.channelId = Number(req, "channelId", 0);
    edit.week = static_cast<std::int32_t>(Number(req, "week", 0));
    edit.index = static_cast<std::int32_t>(Number(req, "index", -1));
    edit.remove = req.get_param_value("remove") == "1";
    edit.name = req.get_param_value("name");
    edit.beginTime = req.get_param_value("beginTime");
    edit.endTime = req.get_param_value("endTime");
    edit.ctId = Number(req, "ctId", 0);
    const std::string why = service.EditRecorderTemplate(edit);
    if (!why.empty()) {
      res.status = 400;
      res.set_content(HtmlPage("模板未修改", "<p>" + EscapeHtml(why) + "</p><p><a href=\"/\">返回</a></p>"),
                      "text/html; charset=utf-8");
      return;
    }
    res.status = 303;
    res.set_header("Location", "/");
  });
}

}  // namespace sim
