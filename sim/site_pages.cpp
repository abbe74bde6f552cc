#include "sim/site_pages.h"

#include "sim/html_pages.h"

namespace sim {

std::string HomePageHtml() {
  return HtmlPage("流媒体平台",
                  "<h1>流媒体平台</h1>"
                  "<p>为企业提供直播、点播、存储与数字版权保护的一站式流媒体服务。</p>"
                  "<ul><li>现场直播：把摄像机、屏幕或媒体文件推送到平台的媒体服务器，观众通过 mms:// 地址收看。</li>"
                  "<li>文件上传：把节目文件上传到平台存储，作为点播内容发布。</li>"
                  "<li>文件加密：为媒体文件加上数字版权保护，观众凭许可证播放。</li>"
                  "<li>定时录播：按周计划录制电视节目并自动上传。</li></ul>"
                  "<p><a href=\"/web/register.jsp\">注册新用户</a> | <a href=\"/web/xieyi.jsp\">用户协议</a> | "
                  "<a href=\"/\">平台状态</a></p>");
}

std::string RegistrationPageHtml(const std::string& message, const RegistrationForm& entered) {
  std::string b = "<h1>注册新用户</h1>";
  if (!message.empty()) b += "<p style=\"color:#b00\">" + EscapeHtml(message) + "</p>";
  b += "<form method=\"post\" action=\"/web/register.jsp\"><table>"
       "<tr><td>用户名</td><td><input name=\"userName\" value=\"" + EscapeHtml(entered.userName) + "\"></td></tr>"
       "<tr><td>密码</td><td><input type=\"password\" name=\"password\"></td></tr>"
       "<tr><td>确认密码</td><td><input type=\"password\" name=\"passwordAgain\"></td></tr>"
       "<tr><td>公司名称</td><td><input name=\"companyName\" value=\"" + EscapeHtml(entered.companyName) +
       "\"></td></tr></table>"
       "<p>注册即表示您同意<a href=\"/web/xieyi.jsp\">用户协议</a>。</p>"
       "<p><input type=\"submit\" value=\"注册\"></p></form>";
  return HtmlPage("注册新用户", b);
}

std::string RegisteredPageHtml(const RegistrationForm& registered) {
  return HtmlPage("注册成功", "<h1>注册成功</h1><p>用户 " + EscapeHtml(registered.userName) + "（" +
                                  EscapeHtml(registered.companyName) +
                                  "）已注册为体验用户，现在即可在客户端登录。余额开通后即可直播、上传与加密。</p>"
                                  "<p><a href=\"/web/index.jsp\">返回主页</a></p>");
}

}  // namespace sim
