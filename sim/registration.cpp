#include "sim/registration.h"

#include <algorithm>
#include <cctype>

#include "sim/password_digest.h"

namespace sim {
namespace {

bool ValidUserName(const std::string& name) {
  if (name.size() < 3 || name.size() > 32) return false;
  return std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

}  // namespace

std::string RegisterAccount(PlatformState& state, const RegistrationForm& form) {
  if (!ValidUserName(form.userName)) return "用户名须为3到32个字母、数字或下划线。";
  for (const Account& a : state.accounts) {
    if (a.userName == form.userName) return "该用户名已被注册。";
  }
  if (form.password.size() < 6 || form.password.size() > 64) return "密码长度须为6到64个字符。";
  if (form.password != form.passwordAgain) return "两次输入的密码不一致。";
  if (form.companyName.empty() || form.companyName.size() > 128) return "请填写公司名称。";

  std::int64_t id = 1000;
  for (const Company& c : state.companies) id = std::max(id, c.id);
  ++id;

  Company c;
  c.id = id;
  c.comName = form.companyName;
  c.loginName = form.userName;
  c.ftpId = id;
  c.ftpName = form.userName + "-storage";
  c.ftpUser = form.userName;
  c.ftpPass = form.userName + "ftp";
  c.path = "/";
  c.proFile = "视频中质量（256K）";
  c.state = 1;  // a trial user until the platform enables the account
  c.drmUrl = "http://127.0.0.1/drm/license";
  if (!state.companies.empty()) {
    c.ip = state.companies.front().ip;
    c.port = state.companies.front().port;
  }
  state.companies.push_back(c);
  state.accounts.push_back({form.userName, PasswordDigest(form.password), id, false, {}});
  return {};
}

}  // namespace sim
