#include "client/shell/sign_in_notice.h"

SignInNotice SignInNoticeFor(int code) {
    switch (code) {
    case kSignInAccepted: return {QStringLiteral("登录成功！"), false, false, false};
    case kSignInWrongPassword: return {QStringLiteral("用户名或密码错误！"), true, true, false};
    case kSignInElsewhere: return {QStringLiteral("该用户已登录！"), true, false, false};
    case kSignInNetworkError: return {QStringLiteral("网络错误！"), true, false, false};
    case kSignInReceiving: return {QStringLiteral("正在接收数据！"), false, false, false};
    case kSignInDataError: return {QStringLiteral("接收数据出错！"), true, false, false};
    case kSignInDone: return {QString(), false, false, true};
    default: return {QStringLiteral("未知错误！"), true, false, false};
    }
}
