#include "recorder/recorder_set_dlg.h"

#include "client/widgets/find_control.h"
#include "platform/paths.h"
#include "recorder/recorder_settings.h"
#include "recorder/recorder_trace.h"
#include "recorder/recording_folder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace recorder_settings;

namespace {

template <typename W>
W* Numbered(W* widget, int id, const QString& name) {
    SetControlId(widget, id, name);
    return widget;
}

}  // namespace

CRecorderSetDlg::CRecorderSetDlg(const QString& settingsPath, const QString& programFolder, QWidget* parent)
    : QWidget(parent), config_(settingsPath), programFolder_(programFolder) {
    setObjectName(QStringLiteral("CRecorderSetDlg"));
    auto* layout = new QVBoxLayout(this);

    auto* outputs = new QGroupBox(QStringLiteral("输出"), this);
    auto* outputsRow = new QHBoxLayout(outputs);
    auto* pc = Numbered(new QCheckBox(QStringLiteral("PC"), outputs), 1010, QStringLiteral("PC"));
    auto* terminal = Numbered(new QCheckBox(QStringLiteral("智能终端"), outputs), 1015, QStringLiteral("智能终端"));
    logo_ = Numbered(new QCheckBox(QStringLiteral("添加LOGO"), outputs), 1016, QStringLiteral("添加LOGO"));
    for (QCheckBox* box : {pc, terminal, logo_}) {
        box->setChecked(true);
        outputsRow->addWidget(box);
    }
    terminal->setEnabled(false);
    logo_->setEnabled(false);
    outputsRow->addStretch();
    layout->addWidget(outputs);

    auto* devices = new QGroupBox(QStringLiteral("采集设备"), this);
    auto* grid = new QGridLayout(devices);
    grid->addWidget(new QLabel(QStringLiteral("视频设备"), devices), 0, 0);
    video_ = Numbered(new QComboBox(devices), 1004, QStringLiteral("视频设备"));
    grid->addWidget(video_, 0, 1);
    videoSettings_ = Numbered(new QPushButton(QStringLiteral("视频设置"), devices), 1005, QStringLiteral("视频设置"));
    grid->addWidget(videoSettings_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("音频设备"), devices), 1, 0);
    audio_ = Numbered(new QComboBox(devices), 1006, QStringLiteral("音频设备"));
    grid->addWidget(audio_, 1, 1);
    auto* audioSettings = Numbered(new QPushButton(QStringLiteral("音频设置"), devices), 1007, QStringLiteral("音频设置"));
    grid->addWidget(audioSettings, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("录制质量"), devices), 2, 0);
    quality_ = Numbered(new QComboBox(devices), 1008, QStringLiteral("录制质量"));
    grid->addWidget(quality_, 2, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(devices);

    auto* saving = new QGroupBox(QStringLiteral("保存位置"), this);
    auto* savingGrid = new QGridLayout(saving);
    savePc_ = Numbered(new QCheckBox(QStringLiteral("我的电脑"), saving), 1018, QStringLiteral("我的电脑"));
    savePc_->setChecked(true);
    savePc_->setEnabled(false);
    savingGrid->addWidget(savePc_, 0, 0);
    folderEdit_ = Numbered(new QLineEdit(saving), 1019, QStringLiteral("保存路径"));
    savingGrid->addWidget(folderEdit_, 0, 1);
    chooseFolder_ = Numbered(new QPushButton(QStringLiteral("路径"), saving), 1020, QStringLiteral("路径"));
    savingGrid->addWidget(chooseFolder_, 0, 2);
    openFolder_ = Numbered(new QPushButton(QStringLiteral("预览"), saving), 1021, QStringLiteral("预览"));
    savingGrid->addWidget(openFolder_, 0, 3);
    savingGrid->addWidget(new QLabel(QStringLiteral("可用空间(MB):"), saving), 1, 0);
    freeSpace_ = Numbered(new QLineEdit(saving), 1040, QStringLiteral("可用空间(MB):"));
    freeSpace_->setReadOnly(true);
    freeSpace_->setEnabled(false);
    savingGrid->addWidget(freeSpace_, 1, 1);
    savingGrid->setColumnStretch(1, 1);
    layout->addWidget(saving);

    // FTP and cloud storage: shown, never enabled.
    auto* remote = new QGroupBox(QStringLiteral("网络存储"), this);
    auto* remoteGrid = new QGridLayout(remote);
    auto* ftp = Numbered(new QCheckBox(QStringLiteral("FTP"), remote), 1022, QStringLiteral("FTP"));
    auto* ftpServers = Numbered(new QComboBox(remote), 1023, QStringLiteral("FTP服务器"));
    auto* addFtp = Numbered(new QPushButton(QStringLiteral("添加FTP"), remote), 1024, QStringLiteral("添加FTP"));
    auto* cloudCheck = Numbered(new QCheckBox(QStringLiteral("云存储"), remote), 1025, QStringLiteral("云存储"));
    cloud_ = Numbered(new QComboBox(remote), 1026, QStringLiteral("云盘"));
    cloud_->setEditable(true);
    auto* addCloud = Numbered(new QPushButton(QStringLiteral("添加云盘"), remote), 1082, QStringLiteral("添加云盘"));
    remoteGrid->addWidget(ftp, 0, 0);
    remoteGrid->addWidget(ftpServers, 0, 1);
    remoteGrid->addWidget(addFtp, 0, 2);
    remoteGrid->addWidget(cloudCheck, 1, 0);
    remoteGrid->addWidget(cloud_, 1, 1);
    remoteGrid->addWidget(addCloud, 1, 2);
    remoteGrid->setColumnStretch(1, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{ftp, ftpServers, addFtp, cloudCheck, cloud_, addCloud})
        w->setEnabled(false);
    layout->addWidget(remote);
    layout->addStretch();

    connect(video_, &QComboBox::activated, this, [this](int index) { OnVideoChanged(index); });
    connect(audio_, &QComboBox::activated, this, [this](int index) { OnAudioChanged(index); });
    connect(quality_, &QComboBox::activated, this, [this](int index) { OnQualityChanged(index); });
    connect(videoSettings_, &QPushButton::clicked, this, [this] { OnVideoSettings(); });
    connect(audioSettings, &QPushButton::clicked, this, [this] { OnAudioSettings(); });
    connect(chooseFolder_, &QPushButton::clicked, this, [this] { OnChooseFolder(); });
    connect(openFolder_, &QPushButton::clicked, this, [this] { OnOpenFolder(); });
    connect(savePc_, &QCheckBox::clicked, this, [this] { OnSaveToPc(); });
}

void CRecorderSetDlg::Init(const RecorderDeviceLists& devices) {
    config_.WriteInt(kSettingPage, kLogo, logo_->isChecked() ? 1 : 0);
    config_.WriteString(kSettingPage, kFormatPc, kFormatWmv);
    config_.WriteInt(kSettingPage, kShowSavePc, 1);

    SetFolder(ChooseRecordingFolder(config_.ReadString(kSettingPage, kPcPath), programFolder_));

    const QString deviceV = config_.ReadString(kSettingPage, kDeviceV);
    const QString deviceA = config_.ReadString(kSettingPage, kDeviceA);
    RecorderTrace(QStringLiteral("DEVICE_V = %1").arg(deviceV));
    RecorderTrace(QStringLiteral("DEVICE_A = %1").arg(deviceA));
    const int qualityIndex = config_.ReadInt(kSettingPage, kSaveQualitySel, 0);

    video_->clear();
    const bool audioOnly = IsOnlyAudio(deviceV);
    if (audioOnly) video_->addItem(kOnlyAudio);
    for (const RecorderDevice& device : devices.video) video_->addItem(device.name);
    if (!audioOnly) video_->addItem(kOnlyAudio);
    video_->setCurrentIndex(std::max(0, video_->findText(deviceV, Qt::MatchExactly)));
    videoSettings_->setEnabled(!audioOnly);
    FillQualities(audioOnly, qualityIndex);

    audio_->clear();
    for (const RecorderDevice& device : devices.audio) audio_->addItem(device.name);
    audio_->setCurrentIndex(std::max(0, audio_->findText(deviceA, Qt::MatchExactly)));

    config_.WriteString(kSettingPage, kDeviceV, video_->currentText());
    config_.WriteString(kSettingPage, kDeviceA, audio_->currentText());
    config_.WriteString(kSettingPage, kSaveQuality, quality_->currentText());
    cloud_->setEditText(QStringLiteral("微软云盘"));
}

void CRecorderSetDlg::FillQualities(bool audioOnly, int selected) {
    quality_->clear();
    quality_->addItems(audioOnly ? AudioQualities() : VideoQualities());
    quality_->setCurrentIndex(selected >= 0 && selected < quality_->count() ? selected : 0);
}

void CRecorderSetDlg::OnVideoChanged(int) {
    const int previous = quality_->currentIndex();
    const bool audioOnly = IsOnlyAudio(video_->currentText());
    videoSettings_->setEnabled(!audioOnly);
    FillQualities(audioOnly, audioOnly ? 1 : previous);
    config_.WriteString(kSettingPage, kDeviceV, video_->currentText());
}

void CRecorderSetDlg::OnAudioChanged(int) { config_.WriteString(kSettingPage, kDeviceA, audio_->currentText()); }

void CRecorderSetDlg::OnQualityChanged(int index) {
    config_.WriteInt(kSettingPage, kSaveQualitySel, index);
    config_.WriteString(kSettingPage, kSaveQuality, quality_->currentText());
}

void CRecorderSetDlg::OnVideoSettings() { ConfigureRecorderDevice(video_->currentText(), this, false); }

void CRecorderSetDlg::OnAudioSettings() { ConfigureRecorderDevice(audio_->currentText(), this, true); }

void CRecorderSetDlg::OnChooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a directory:"), folder_,
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty()) SetFolder(folder);
}

void CRecorderSetDlg::OnOpenFolder() { platform::ShellOpen(folderEdit_->text()); }

void CRecorderSetDlg::OnSaveToPc() {
    const bool on = savePc_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{folderEdit_, chooseFolder_, openFolder_}) w->setEnabled(on);
    config_.WriteInt(kSettingPage, kShowSavePc, on ? 1 : 0);
}

void CRecorderSetDlg::SetFolder(const QString& folder) {
    folder_ = folder;
    folderEdit_->setText(folder);
    freeSpace_->setText(QString::number(FreeSpaceMegabytes(folder)));
    config_.WriteString(kSettingPage, kPcPath, folder);
}
