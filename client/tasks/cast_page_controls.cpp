#include "client/tasks/cast_page_controls.h"

#include "client/tasks/base_task_dlg.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* AddAddressRow(CBaseTaskDlg* page, int y, int id, const QString& label) {
    page->Place(new QLabel(label, page), QRect(16, y, 110, 24), kBottomLeft, kBottomLeft);
    auto* edit = new QLineEdit(page);
    edit->setReadOnly(true);
    page->Place(edit, QRect(126, y, 498, 24), kBottomLeft, kBottomRight);
    SetControlId(edit, id, label);
    return edit;
}

QPushButton* AddButton(CBaseTaskDlg* page, int x, const QString& caption) {
    auto* button = new QPushButton(caption, page);
    page->Place(button, QRect(x, 420, 88, 28), kBottomRight, kBottomRight);
    return button;
}

}  // namespace

CastPageControls AddCastPageControls(CBaseTaskDlg* page) {
    CastPageControls c;
    c.internet = AddAddressRow(page, 312, 1051, QStringLiteral("互联网收看地址："));
    c.lan = AddAddressRow(page, 342, 1059, QStringLiteral("局域网收看地址："));
    c.elapsed = new QLineEdit(page);
    c.elapsed->setReadOnly(true);
    page->Place(c.elapsed, QRect(16, 378, 160, 30), kBottomLeft, kBottomLeft);
    SetControlId(c.elapsed, 1028, QStringLiteral("直播时间"));
    c.status = new CStatusText(page);
    page->Place(c.status, QRect(190, 382, 434, 22), kBottomLeft, kBottomRight);
    SetControlId(c.status, 1019, QStringLiteral("状态"));
    c.save = AddButton(page, 336, QStringLiteral("保存任务"));
    c.save->setObjectName(QStringLiteral("saveTask"));
    c.startStop = AddButton(page, 436, CBaseTaskDlg::kStartCaption);
    SetControlId(c.startStop, 1010, CBaseTaskDlg::kStartCaption);
    c.close = AddButton(page, 536, QStringLiteral("退出直播"));
    SetControlId(c.close, 1076, QStringLiteral("退出直播"));
    QObject::connect(c.startStop, &QPushButton::clicked, page, [page] { page->Start(); });
    QObject::connect(c.close, &QPushButton::clicked, page, [page] { page->Close(); });
    return c;
}
