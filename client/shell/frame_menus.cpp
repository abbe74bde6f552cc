#include "client/shell/frame_menus.h"

#include "client/resources/artwork.h"
#include "client/shell/command_ids.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <vector>

namespace {

struct Item {
    const char* text;  // nullptr: a separator
    int id;
};
struct Menu {
    const char* title;
    std::vector<Item> items;
};

const std::vector<Item> kTaskItems = {
    {"本地录制(&R)", ID_LOCAL_RECORD}, {"现场直播(&D)", ID_LIVECAST},  {"家庭直播(&L)", ID_HOME_LIVE},
    {"定时录播(&H)", ID_SCHEDULED_RECORD}, {"文件直播(&F)", ID_FILECAST}, {"混排直播(&M)", ID_MULTICAST},
    {"文件上传(&U)", ID_FILE_UPLOAD}, {"文件加密(&P)", ID_FILE_DRM},
};
const std::vector<Menu> kCommonMenus = {
    {"任务(&T)", kTaskItems},
    {"工具(&T)", {{"设置LOGO(&G)", ID_SET_LOGO}}},
    {"风格",
     {{"Vista", ID_SKIN_VISTA}, {"Office2007", ID_SKIN_OFFICE2007}, {"WinXP.Royale", ID_SKIN_ROYALE},
      {"WinXP.Luna", ID_SKIN_LUNA}}},
    {"皮肤",
     {{"会议", ID_TINT_MEETING}, {"婚庆", ID_TINT_WEDDING}, {"教育", ID_TINT_EDUCATION}, {"自定义", ID_TINT_CUSTOM},
      {"还原皮肤", ID_TINT_RESTORE}}},
    {"帮助(&H)", {{"访问主页", ID_VISIT_HOME}, {"关于本程序(&A)...", ID_APP_ABOUT}}},
};

std::vector<Menu> MenusOf(int resource) {
    std::vector<Menu> menus;
    if (resource == IDR_MENU_SIGNED_IN) {
        menus.push_back({"系统(&S)", {{"退出(&X)", ID_APP_EXIT}}});
    } else if (resource == IDR_MENU_SIGNED_OUT) {
        menus.push_back(
            {"系统(&S)", {{"登录(&I)", ID_SIGN_IN}, {"注册(&R)", ID_REGISTER}, {nullptr, 0}, {"退出(&X)", ID_APP_EXIT}}});
    } else {
        return menus;
    }
    menus.insert(menus.end(), kCommonMenus.begin(), kCommonMenus.end());
    return menus;
}

QAction* MakeAction(const QString& text, int id, const CommandHandler& onCommand, QObject* parent) {
    auto* action = new QAction(text, parent);
    action->setProperty(kCommandIdProperty, id);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    QObject::connect(action, &QAction::triggered, parent, [onCommand, id] { onCommand(id); });
    return action;
}

}  // namespace

QMenuBar* BuildMenuBar(int menuResource, const CommandHandler& onCommand, QWidget* parent) {
    const std::vector<Menu> menus = MenusOf(menuResource);
    if (menus.empty()) return nullptr;
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QStringLiteral("Menu Bar"));
    bar->setProperty("menuResource", menuResource);
    for (const Menu& menu : menus) {
        QMenu* popup = bar->addMenu(QString::fromUtf8(menu.title));
        for (const Item& item : menu.items) {
            if (!item.text) {
                popup->addSeparator();
                continue;
            }
            popup->addAction(MakeAction(QString::fromUtf8(item.text), item.id, onCommand, popup));
        }
    }
    return bar;
}

QToolBar* BuildStandardToolBar(const CommandHandler& onCommand, QWidget* parent) {
    struct Button {
        const char* text;
        int id;
        const char* icon;
    };
    static const Button buttons[] = {
        {"登录", ID_SIGN_IN, "sign_in"},        {"注销", ID_SIGN_OUT, "sign_out"},
        {nullptr, 0, nullptr},
        {"现场直播", ID_LIVECAST, "live"},      {"本地录制", ID_LOCAL_RECORD, "record"},
        {"定时录播", ID_SCHEDULED_RECORD, "timer"}, {"家庭直播", ID_HOME_LIVE, "home_live"},
        {"文件直播", ID_FILECAST, "film"},      {"混排直播", ID_MULTICAST, "multi"},
        {nullptr, 0, nullptr},
        {"文件上传", ID_FILE_UPLOAD, "upload"}, {"文件加密", ID_FILE_DRM, "lock"},
        {"设置LOGO", ID_SET_LOGO, "logo"},
        {nullptr, 0, nullptr},
        {"访问主页", ID_VISIT_HOME, "home"},    {"注册", ID_REGISTER, "register"},
        {"关于", ID_APP_ABOUT, "about"},
    };
    auto* bar = new QToolBar(QStringLiteral("Standard"), parent);
    bar->setObjectName(QStringLiteral("Standard"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    bar->setMovable(false);
    for (const Button& button : buttons) {
        if (!button.text) {
            bar->addSeparator();
            continue;
        }
        QAction* action = MakeAction(QString::fromUtf8(button.text), button.id, onCommand, bar);
        action->setIcon(QIcon(ArtworkPath(button.icon)));
        bar->addAction(action);
    }
    return bar;
}

QAction* FindCommandAction(QWidget* root, int commandId) {
    if (!root) return nullptr;
    for (QAction* action : root->findChildren<QAction*>()) {
        if (action->property(kCommandIdProperty).toInt() == commandId) return action;
    }
    return nullptr;
}
