#include "recorder/recorder_show_dlg.h"

#include "client/shell/message_box.h"
#include "client/widgets/find_control.h"
#include "recorder/add_show_dlg.h"
#include "recorder/edit_list_ctrl.h"
#include "recorder/recorder_globals.h"
#include "recorder/show_list_edit.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_load.h"
#include "recorder/show_list_model.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* Button(QWidget* parent, QLayout* layout, int id, const QString& text) {
    auto* button = new QPushButton(text, parent);
    SetControlId(button, id, text);
    layout->addWidget(button);
    return button;
}

}  // namespace

CRecorderShowDlg::CRecorderShowDlg(const ShowListFile& file, AddShowContext context, QWidget* parent)
    : QWidget(parent), file_(file), context_(std::move(context)), store_(Recorder().listLock) {
    setObjectName(QStringLiteral("CRecorderShowDlg"));
    model_ = new ShowListModel(store_, this);
    model_->SetEditHandler([this](int row, int column, const QString& text) { return OnCellEdited(row, column, text); });

    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    connect(Button(this, buttons, 1034, QStringLiteral("添加节目")), &QPushButton::clicked, this, [this] { OnAddShow(); });
    connect(Button(this, buttons, 1035, QStringLiteral("删除节目")), &QPushButton::clicked, this,
            [this] { OnDeleteShows(); });
    clearButton_ = Button(this, buttons, 1036, QStringLiteral("清空节目"));
    connect(clearButton_, &QPushButton::clicked, this, [this] { OnClearShows(); });
    connect(Button(this, buttons, 202, QStringLiteral("更新节目单")), &QPushButton::clicked, this,
            [this] { OnUpdateSchedule(); });
    connect(Button(this, buttons, 1037, QStringLiteral("发布节目单")), &QPushButton::clicked, this,
            [this] { OnPublishSchedule(); });
    buttons->addStretch();
    layout->addLayout(buttons);
    list_ = new CEditListCtrl(model_, this);
    SetControlId(list_, 1033, QStringLiteral("节目列表"));
    layout->addWidget(list_, 1);
}

CRecorderShowDlg::~CRecorderShowDlg() = default;

CAddShowDlg* CRecorderShowDlg::AddDialog() const { return addDialog_.data(); }

void CRecorderShowDlg::LoadShowList(bool noSort) {
    ::LoadShowList(file_, store_, noSort);
    model_->Refresh();
}

bool CRecorderShowDlg::OnCellEdited(int row, int column, const QString& text) {
    QString refusal;
    {
        std::lock_guard guard(store_.Lock());
        const ShowEntry before = store_.EntryOf(row);
        if (column == kColStart && text.compare(before.end, Qt::CaseInsensitive) > 0) {
            refusal = QStringLiteral("开始时间不能大于结束时间");
        } else if (column == kColEnd && text.compare(before.start, Qt::CaseInsensitive) < 0) {
            refusal = QStringLiteral("结束时间不能小于开始时间");
        } else {
            store_.SetCell(row, column, text);
            file_.WriteBack(before, store_.EntryOf(row), kShowEdited);
        }
    }
    if (refusal.isEmpty()) return true;
    // The box is shown without the list's lock, so the recording worker goes on meanwhile.
    ShowMessage(refusal, QString::fromUtf8(kRecorderCaption), MsgIcon::Warning, this);
    return false;
}

void CRecorderShowDlg::OnAddShow() {
    if (addDialog_) addDialog_->close();
    delete addDialog_.data();
    addDialog_ = new CAddShowDlg(file_, context_.endpoint, context_.settingsPath, this);
    addDialog_->SetShowsAdded([this] { ReloadList(); });
    addDialog_->setGeometry(0, 30, 650, 650);
    addDialog_->show();
    addDialog_->raise();
}

void CRecorderShowDlg::OnDeleteShows() {
    DeleteShowRows(store_, [this] { return list_->SelectedOrCheckedRows(store_); },
                   [this](const ShowEntry& row) { file_.WriteBack(row, kShowDeleted); }, this);
    model_->Refresh();
}

void CRecorderShowDlg::OnClearShows() {
    ClearShowRows(store_, [this](const ShowEntry& row) { file_.WriteBack(row, kShowDeleted); }, this);
    model_->Refresh();
}

void CRecorderShowDlg::OnUpdateSchedule() {
    // Set before the worker wakes, so that the round it starts fetches the templates.
    Recorder().forceSync = 1;
    if (Recorder().updateEvent) Recorder().updateEvent->Set();
}

void CRecorderShowDlg::OnPublishSchedule() {
    if (Recorder().updateEvent) Recorder().updateEvent->Set();
}

void CRecorderShowDlg::ReloadList() {
    if (Recorder().recordingArmed) {
        Recorder().refreshList = 1;
        return;
    }
    store_.Clear();
    LoadShowList(true);
    store_.Sort();
    model_->Refresh();
}
