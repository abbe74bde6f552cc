#include "recorder/add_show_dlg.h"

#include "client/shell/ini_config.h"
#include "client/shell/message_box.h"
#include "client/widgets/find_control.h"
#include "recorder/cycle_split.h"
#include "recorder/edit_list_ctrl.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_settings.h"
#include "recorder/recorder_trace.h"
#include "recorder/show_list_edit.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_model.h"
#include "recorder/tv_guide.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

using RecorderService::CRecorderServiceT;

const QString kTimeFormat = QStringLiteral("HH:mm:ss");
const QString kAreaPlaceholder = QStringLiteral("请选择地区");
const QString kStationPlaceholder = QStringLiteral("请选择电台");
const QString kChannelPlaceholder = QStringLiteral("请选择频道");
const QString kNetworkFailure = QStringLiteral("请检查网络");

// Guide list columns.
enum GuideColumn { kGuideNumber, kGuideName, kGuideStart, kGuideEnd, kGuidePgid, kGuideSelect, kGuideCycle };

const QStringList& CycleCaptions() {
    static const QStringList captions{QStringLiteral("单次"),     QStringLiteral("每天"),     QStringLiteral("每星期一"),
                                      QStringLiteral("每星期二"), QStringLiteral("每星期三"), QStringLiteral("每星期四"),
                                      QStringLiteral("每星期五"), QStringLiteral("每星期六"), QStringLiteral("每星期天")};
    return captions;
}
constexpr int kOnce = 0;
constexpr int kDaily = 1;

template <typename T>
struct Answer {
    transport::HResult hr = transport::kFail;
    std::vector<T> items;
};

// Runs one list call of the guide on the dialog's call queue; the answer goes to `fill`,
// a failed call to `failed`, both on the dialog's thread.
template <typename T, typename Call, typename Fill, typename Failed>
void FetchList(ServiceCallQueue& calls, QObject* receiver, Call call, Fill fill, Failed failed) {
    calls.Run<Answer<T>>(
        receiver,
        [call](CRecorderServiceT& service) {
            Answer<T> a;
            a.hr = call(service, &a.items);
            return a;
        },
        [fill, failed](const Answer<T>& a) {
            if (a.hr < 0) return failed();
            fill(a.items);
        });
}

template <typename W>
W* Numbered(W* widget, int id, const QString& name) {
    SetControlId(widget, id, name);
    return widget;
}

}  // namespace

CAddShowDlg::CAddShowDlg(const ShowListFile& file, const QString& endpoint, const QString& settingsPath,
                         QWidget* parent)
    : QWidget(parent), file_(file), settingsPath_(settingsPath), pending_(Recorder().listLock), calls_(endpoint) {
    setObjectName(QStringLiteral("CAddShowDlg"));
    setWindowTitle(QStringLiteral("添加节目"));
    setAutoFillBackground(true);
    pendingModel_ = new ShowListModel(pending_, this);

    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("添加节目"), this);
    caption->setStyleSheet(QStringLiteral("font-weight: bold"));
    layout->addWidget(caption);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("节目类型"), this));
    category_ = Numbered(new QComboBox(this), 1067, QStringLiteral("节目类型"));
    top->addWidget(category_, 1);
    customMode_ = Numbered(new QRadioButton(QStringLiteral("自定义节目"), this), 1045, QStringLiteral("自定义节目"));
    networkMode_ = Numbered(new QRadioButton(QStringLiteral("网络节目单"), this), 1051, QStringLiteral("网络节目单"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(customMode_);
    modes->addButton(networkMode_);
    customMode_->setChecked(true);
    top->addWidget(customMode_);
    top->addWidget(networkMode_);
    layout->addLayout(top);

    auto* custom = new QGroupBox(QStringLiteral("自定义节目"), this);
    BuildCustomPart(custom);
    layout->addWidget(custom, 1);
    auto* network = new QGroupBox(QStringLiteral("网络节目单"), this);
    BuildNetworkPart(network);
    layout->addWidget(network, 1);
    auto* cycles = new QGroupBox(QStringLiteral("录制周期"), this);
    BuildCycleBoxes(cycles);
    layout->addWidget(cycles);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    auto* done = Numbered(new QPushButton(QStringLiteral("添加完成"), this), 1, QStringLiteral("添加完成"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    bottom->addWidget(done);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(customMode_, &QRadioButton::clicked, this, [this] { OnCustomMode(); });
    connect(networkMode_, &QRadioButton::clicked, this, [this] { OnNetworkMode(); });
    connect(done, &QPushButton::clicked, this, [this] { OnDone(); });
    connect(close, &QPushButton::clicked, this, [this] { deleteLater(); });
    SetNetworkEnabled(false);

    FetchList<RecorderService::ColumnType>(
        calls_, this, [](CRecorderServiceT& service, auto* items) { return service.getCTList(items); },
        [this](const auto& types) {
            for (const auto& type : types) category_->addItem(QStringLiteral("%1-%2").arg(type.id).arg(type.typeName));
        },
        [this] {
            RecorderTrace(QStringLiteral("getCTList fail"));
            ShowNetworkFailure();
        });
}

CAddShowDlg::~CAddShowDlg() = default;

void CAddShowDlg::BuildCustomPart(QWidget* box) {
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("节目名称"), box), 0, 0);
    name_ = Numbered(new QLineEdit(box), 1046, QStringLiteral("节目名称"));
    grid->addWidget(name_, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("开始时间"), box), 1, 0);
    start_ = Numbered(new QTimeEdit(box), 1049, QStringLiteral("开始时间"));
    start_->setDisplayFormat(kTimeFormat);
    grid->addWidget(start_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("结束时间"), box), 1, 2);
    end_ = Numbered(new QTimeEdit(box), 1050, QStringLiteral("结束时间"));
    end_->setDisplayFormat(kTimeFormat);
    grid->addWidget(end_, 1, 3);
    splitCheck_ = Numbered(new QCheckBox(QStringLiteral("循环录制时长"), box), 1047, QStringLiteral("循环录制时长"));
    grid->addWidget(splitCheck_, 2, 0);
    splitMinutes_ = Numbered(new QLineEdit(box), 1048, QStringLiteral("分钟"));
    grid->addWidget(splitMinutes_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("分钟"), box), 2, 2);
    auto* add = Numbered(new QPushButton(QStringLiteral("添加节目"), box), 1064, QStringLiteral("添加节目"));
    grid->addWidget(add, 2, 3);
    pendingList_ = Numbered(new CEditListCtrl(pendingModel_, box), 208, QStringLiteral("待添加节目"));
    pendingList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->addWidget(pendingList_, 3, 0, 1, 4);
    auto* remove = Numbered(new QPushButton(QStringLiteral("删除节目"), box), 209, QStringLiteral("删除节目"));
    auto* clear = Numbered(new QPushButton(QStringLiteral("清空节目"), box), 210, QStringLiteral("清空节目"));
    grid->addWidget(remove, 4, 2);
    grid->addWidget(clear, 4, 3);
    connect(add, &QPushButton::clicked, this, [this] { OnAddPending(); });
    connect(remove, &QPushButton::clicked, this, [this] { OnDeletePending(); });
    connect(clear, &QPushButton::clicked, this, [this] { OnClearPending(); });
}

void CAddShowDlg::BuildNetworkPart(QWidget* box) {
    auto* grid = new QGridLayout(box);
    networkHint_ = Numbered(new QLabel(box), 1071, QStringLiteral("网络节目单提示"));
    grid->addWidget(networkHint_, 0, 0, 1, 4);
    area_ = Numbered(new QComboBox(box), 1068, QStringLiteral("地区"));
    station_ = Numbered(new QComboBox(box), 1069, QStringLiteral("电台"));
    channel_ = Numbered(new QComboBox(box), 1070, QStringLiteral("频道"));
    ResetCombo(area_, kAreaPlaceholder);
    ResetCombo(station_, kStationPlaceholder);
    ResetCombo(channel_, kChannelPlaceholder);
    grid->addWidget(area_, 1, 0);
    grid->addWidget(station_, 1, 1);
    grid->addWidget(channel_, 1, 2);
    loadGuide_ = Numbered(new QPushButton(QStringLiteral("确定"), box), 1076, QStringLiteral("确定"));
    grid->addWidget(loadGuide_, 1, 3);
    guide_ = Numbered(new QTableWidget(0, 7, box), 1077, QStringLiteral("节目单"));
    guide_->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("节目名称"), QStringLiteral("开始时间"),
                                       QStringLiteral("结束时间"), QStringLiteral("栏目ID"), QStringLiteral("选择"),
                                       QStringLiteral("周期")});
    guide_->setSelectionBehavior(QAbstractItemView::SelectRows);
    guide_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    guide_->verticalHeader()->hide();
    guide_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {40, 200, 70, 70, 60, 40};
    for (int column = 0; column < 6; ++column) guide_->setColumnWidth(column, widths[column]);
    grid->addWidget(guide_, 2, 0, 1, 4);
    connect(area_, &QComboBox::activated, this, [this](int index) { OnAreaChosen(index); });
    connect(station_, &QComboBox::activated, this, [this](int index) { OnStationChosen(index); });
    connect(loadGuide_, &QPushButton::clicked, this, [this] { OnLoadGuide(); });
}

void CAddShowDlg::BuildCycleBoxes(QWidget* box) {
    auto* grid = new QGridLayout(box);
    const QStringList& captions = CycleCaptions();
    for (int i = 0; i < captions.size(); ++i) {
        auto* check = Numbered(new QCheckBox(captions[i], box), 1052 + i, captions[i]);
        cycleBoxes_.append(check);
        grid->addWidget(check, i / 5, i % 5);
        connect(check, &QCheckBox::clicked, this, [this, i] { OnCycleBoxClicked(i); });
    }
    auto* reminderRow = new QHBoxLayout;
    reminderRow->addWidget(new QLabel(QStringLiteral("录制提醒"), box));
    for (int i = 0; i < 3; ++i) {
        auto* combo = Numbered(new QComboBox(box), 1061 + i, QStringLiteral("录制提醒"));
        combo->setEnabled(false);
        reminders_.append(combo);
        reminderRow->addWidget(combo);
    }
    grid->addLayout(reminderRow, 2, 0, 1, 5);
}

void CAddShowDlg::OnCycleBoxClicked(int index) {
    QCheckBox* box = cycleBoxes_[index];
    if (index == kOnce) {
        const bool once = box->isChecked();
        if (once) cycleBoxes_[kDaily]->setChecked(false);
        for (int i = kDaily; i < cycleBoxes_.size(); ++i) {
            if (once) cycleBoxes_[i]->setChecked(false);
            cycleBoxes_[i]->setEnabled(!once && (i == kDaily || !cycleBoxes_[kDaily]->isChecked()));
        }
    } else if (index == kDaily) {
        const bool daily = box->isChecked();
        if (daily) cycleBoxes_[kOnce]->setChecked(false);
        for (int i = kDaily + 1; i < cycleBoxes_.size(); ++i) {
            if (daily) cycleBoxes_[i]->setChecked(false);
            cycleBoxes_[i]->setEnabled(!daily);
        }
    } else if (box->isChecked()) {
        cycleBoxes_[kDaily]->setChecked(false);
    }
}

QStringList CAddShowDlg::ChosenCycles() const {
    QStringList cycles;
    for (QCheckBox* box : cycleBoxes_) {
        if (box->isChecked()) cycles.append(box->text());
    }
    if (cycles.isEmpty()) cycles.append(QStringLiteral("无"));
    return cycles;
}

void CAddShowDlg::ResetCombo(QComboBox* combo, const QString& placeholder) {
    combo->clear();
    combo->addItem(placeholder);
}

void CAddShowDlg::SetNetworkEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{area_, station_, channel_, loadGuide_}) w->setEnabled(enabled);
    networkHint_->setText(enabled ? QStringLiteral("正在使用网络电视节目获取当天节目") : QString());
}

void CAddShowDlg::ShowNetworkFailure() { ShowMessage(kNetworkFailure, QString::fromUtf8(kRecorderCaption), MsgIcon::Warning, this); }

void CAddShowDlg::OnCustomMode() { SetNetworkEnabled(false); }

void CAddShowDlg::OnNetworkMode() {
    SetNetworkEnabled(true);
    ResetCombo(area_, kAreaPlaceholder);
    ResetCombo(station_, kStationPlaceholder);
    ResetCombo(channel_, kChannelPlaceholder);
    FetchList<RecorderService::AreaBean>(
        calls_, this, [](CRecorderServiceT& service, auto* items) { return service.getArea(items); },
        [this](const auto& areas) {
            ResetCombo(area_, kAreaPlaceholder);
            for (const auto& area : areas) area_->addItem(area.area, area.areaId);
        },
        [this] { ShowNetworkFailure(); });
}

void CAddShowDlg::OnAreaChosen(int index) {
    ResetCombo(station_, kStationPlaceholder);
    ResetCombo(channel_, kChannelPlaceholder);
    if (index <= 0) return;
    const QString areaId = area_->itemData(index).toString();
    FetchList<RecorderService::ChannelBean>(
        calls_, this, [areaId](CRecorderServiceT& service, auto* items) { return service.getChannel(areaId, items); },
        [this](const auto& stations) {
            ResetCombo(station_, kStationPlaceholder);
            for (const auto& station : stations) station_->addItem(station.channelName, station.channelId);
        },
        [this] { ShowNetworkFailure(); });
}

void CAddShowDlg::OnStationChosen(int index) {
    ResetCombo(channel_, kChannelPlaceholder);
    if (index <= 0) return;
    const QString stationId = station_->itemData(index).toString();
    FetchList<RecorderService::NetProgBean>(
        calls_, this,
        [stationId](CRecorderServiceT& service, auto* items) { return service.getNetProg(stationId, items); },
        [this](const auto& channels) {
            ResetCombo(channel_, kChannelPlaceholder);
            for (const auto& channel : channels) channel_->addItem(channel.netProgName, channel.netProgId);
        },
        [this] { ShowNetworkFailure(); });
}

void CAddShowDlg::OnLoadGuide() {
    if (channel_->currentIndex() <= 0) return;
    const QString channelId = channel_->currentData().toString();
    const QString date = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString userId = QString::number(Recorder().userId.load());
    FetchList<RecorderService::TvProgBean>(
        calls_, this,
        [channelId, date, userId](CRecorderServiceT& service, auto* items) {
            return service.getTvProg(channelId, date, userId, items);
        },
        [this](const auto& guide) { FillGuide(guide); }, [this] { ShowNetworkFailure(); });
}

void CAddShowDlg::FillGuide(const std::vector<RecorderService::TvProgBean>& guide) {
    const QString channelName = channel_->currentText();
    const QString pgid = channel_->currentData().toString();
    const QList<GuideProgramme> programmes = GuideProgrammes(guide, channelName);
    guide_->setRowCount(0);
    guide_->setRowCount(static_cast<int>(programmes.size()));
    for (int row = 0; row < programmes.size(); ++row) {
        const GuideProgramme& p = programmes[row];
        const QStringList cells{QString::number(row + 1), p.name, p.start, p.end, pgid, QString(), QString()};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == kGuideSelect) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            }
            guide_->setItem(row, column, item);
        }
    }
}

ShowEntry CAddShowDlg::NewEntry() const {
    ShowEntry entry;
    entry.type = category_->currentText();
    entry.format = CINIConfig(settingsPath_).ReadString(recorder_settings::kSettingPage, recorder_settings::kFormatPc);
    entry.updateKey = kShowAdded;
    return entry;
}

void CAddShowDlg::OnAddPending() {
    ShowEntry base = NewEntry();
    base.name = name_->text().trimmed().isEmpty() ? kUnnamedShow : name_->text().trimmed();
    QList<ShowPiece> pieces{{start_->time(), end_->time()}};
    if (splitCheck_->isChecked()) {
        const CycleSplit split = SplitShowIntoCycles(start_->time(), end_->time(), splitMinutes_->text());
        const QString caption = QString::fromUtf8(kRecorderCaption);
        switch (split.outcome) {
        case CycleSplit::BadMinutes: return ShowMessage(kSplitBadMinutes, caption, MsgIcon::Warning, this);
        case CycleSplit::LongerThanShow: return ShowMessage(kSplitLongerThanShow, caption, MsgIcon::Warning, this);
        case CycleSplit::Zero: return ShowMessage(kSplitZero, caption, MsgIcon::Warning, this);
        case CycleSplit::Pieces: break;
        }
        if (split.uneven) ShowMessage(kSplitUneven, caption, MsgIcon::Information, this);
        pieces = split.pieces;
    }
    for (const ShowPiece& piece : pieces) {
        for (const QString& cycle : ChosenCycles()) {
            ShowEntry entry = base;
            entry.start = piece.start.toString(kTimeFormat);
            entry.end = piece.end.toString(kTimeFormat);
            entry.cycle = cycle;
            pending_.Append(entry, pending_.Count() + 1);
        }
    }
    pendingModel_->Refresh();
}

void CAddShowDlg::OnDeletePending() {
    if (DeleteShowRows(pending_, [this] { return pendingList_->SelectedOrCheckedRows(pending_); }, nullptr, this)) {
        for (int row = 0; row < pending_.Count(); ++row) pending_.SetCell(row, kColNumber, QString::number(row + 1));
    }
    pendingModel_->Refresh();
}

void CAddShowDlg::OnClearPending() {
    ClearShowRows(pending_, nullptr, this);
    pendingModel_->Refresh();
}

QList<ShowEntry> CAddShowDlg::ChosenProgrammes() const {
    QList<ShowEntry> entries;
    QSet<int> chosen;
    for (const QModelIndex& index : guide_->selectionModel()->selectedRows()) chosen.insert(index.row());
    for (int row = 0; row < guide_->rowCount(); ++row) {
        if (guide_->item(row, kGuideSelect)->checkState() == Qt::Checked) chosen.insert(row);
    }
    QList<int> rows = chosen.values();
    std::sort(rows.begin(), rows.end());
    const QStringList cycles = ChosenCycles();
    for (int row : rows) {
        ShowEntry entry = NewEntry();
        entry.name = guide_->item(row, kGuideName)->text();
        entry.start = guide_->item(row, kGuideStart)->text();
        entry.end = guide_->item(row, kGuideEnd)->text();
        entry.pgid = guide_->item(row, kGuidePgid)->text();
        for (const QString& cycle : cycles) {
            entry.cycle = cycle;
            entries.append(entry);
        }
    }
    return entries;
}

void CAddShowDlg::OnDone() {
    if (networkMode_->isChecked()) {
        if (guide_->rowCount() == 0)
            return ShowMessage(QStringLiteral("请选择要录制的节目"), QString::fromUtf8(kRecorderCaption),
                               MsgIcon::Warning, this);
        for (const ShowEntry& entry : ChosenProgrammes()) file_.Append(entry);
    } else {
        for (int row = 0; row < pending_.Count(); ++row) {
            ShowEntry entry = pending_.EntryOf(row);
            entry.updateKey = kShowAdded;
            file_.Append(entry);
        }
    }
    if (showsAdded_) showsAdded_();
    close();
    deleteLater();
}
