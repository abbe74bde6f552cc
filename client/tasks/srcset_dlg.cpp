#include "client/tasks/srcset_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/task_source.h"
#include "client/widgets/find_control.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kNoVideoDevice = QStringLiteral("没有可用的视频设备！");  // 207
const QString kNoAudioDevice = QStringLiteral("没有可用的音频设备！");  // 208

void FillFreeDevices(QComboBox* combo, const QList<DeviceEntry>& devices, const QString& current) {
    for (const DeviceEntry& device : devices) {
        if (device.flag == 0) combo->addItem(device.name);
    }
    const int found = combo->findText(current);
    if (found >= 0) combo->setCurrentIndex(found);
}

}  // namespace

CSrcsetDlg::CSrcsetDlg(int streamType, const CTSource* editing, QWidget* parent)
    : QDialog(parent),
      streamType_(streamType),
      name_(new QLineEdit(this)),
      fileKind_(new QRadioButton(QStringLiteral("文件场景"), this)),
      deviceKind_(new QRadioButton(QStringLiteral("设备场景"), this)),
      file_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("浏览..."), this)),
      rollMode_(new QComboBox(this)),
      video_(new QComboBox(this)),
      audio_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("场景设置"));
    setObjectName(QStringLiteral("srcsetDlg"));
    SetControlName(name_, "sceneName", QStringLiteral("场景名称"));
    SetControlName(fileKind_, "fileScene", QStringLiteral("文件场景"));
    SetControlName(deviceKind_, "deviceScene", QStringLiteral("设备场景"));
    SetControlName(file_, "filePath", QStringLiteral("场景文件"));
    SetControlName(browse_, "browseFile", QStringLiteral("浏览场景文件"));
    SetControlName(rollMode_, "rollMode", QStringLiteral("播放方式"));
    SetControlName(video_, "videoDevice", QStringLiteral("视频设备"));
    SetControlName(audio_, "audioDevice", QStringLiteral("音频设备"));
    for (int mode : {ROLL_REPEAT_SCENE, ROLL_NEXT_SCENE, ROLL_FIRST_SCENE}) rollMode_->addItem(SceneRollModeText(mode), mode);

    const ClientGlobals& g = Globals();
    FillFreeDevices(video_, g.videoDevices, editing ? editing->videoDevice : QString());
    FillFreeDevices(audio_, g.audioDevices, editing ? editing->audioDevice : QString());
    if (streamType_ == 1) video_->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("场景名称："), this), 0, 0);
    grid->addWidget(name_, 0, 1, 1, 2);
    grid->addWidget(fileKind_, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("场景文件："), this), 2, 0);
    grid->addWidget(file_, 2, 1);
    grid->addWidget(browse_, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("播放方式："), this), 3, 0);
    grid->addWidget(rollMode_, 3, 1, 1, 2);
    grid->addWidget(deviceKind_, 4, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("视频设备："), this), 5, 0);
    grid->addWidget(video_, 5, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("音频设备："), this), 6, 0);
    grid->addWidget(audio_, 6, 1, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    grid->addWidget(buttons, 7, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(420);

    connect(buttons, &QDialogButtonBox::accepted, this, &CSrcsetDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSrcsetDlg::reject);
    connect(browse_, &QPushButton::clicked, this, &CSrcsetDlg::Browse);
    connect(fileKind_, &QRadioButton::toggled, this, &CSrcsetDlg::ShowKind);

    const bool isFile = !editing || editing->isFile;
    (isFile ? fileKind_ : deviceKind_)->setChecked(true);
    if (editing) {
        name_->setText(editing->sceneName);
        file_->setText(editing->filePath);
        const int mode = rollMode_->findData(editing->rollMode);
        rollMode_->setCurrentIndex(mode >= 0 ? mode : 0);
    }
    ShowKind();
}

void CSrcsetDlg::ShowKind() {
    const bool isFile = fileKind_->isChecked();
    file_->setEnabled(isFile);
    browse_->setEnabled(isFile);
    rollMode_->setEnabled(isFile);
    video_->setEnabled(!isFile && streamType_ != 1);
    audio_->setEnabled(!isFile);
}

QString CSrcsetDlg::SceneName() const { return name_->text().trimmed(); }
int CSrcsetDlg::IsFile() const { return fileKind_->isChecked(); }
QString CSrcsetDlg::FilePath() const { return file_->text().trimmed(); }
QString CSrcsetDlg::VideoDevice() const { return streamType_ == 1 ? QString() : video_->currentText(); }
QString CSrcsetDlg::AudioDevice() const { return audio_->currentText(); }
int CSrcsetDlg::RollMode() const { return rollMode_->currentData().toInt(); }

void CSrcsetDlg::SetFilePath(const QString& path) { file_->setText(path); }

void CSrcsetDlg::Browse() {
    const QString filter = streamType_ == 1 ? QStringLiteral("音频文件 (*.mp3 *.wav *.wma)")
                                            : QStringLiteral("视频文件 (*.asf *.avi *.mpg *.wmv)");
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("场景文件"), file_->text(), filter, nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) SetFilePath(path);
}

void CSrcsetDlg::accept() {
    if (SceneName().isEmpty()) {
        ShowMessage(QStringLiteral("场景名称不能为空！"), this);  // 193
        return;
    }
    if (IsFile()) {
        // A scene without its file could never play.
        if (FilePath().isEmpty()) {
            ShowMessage(QStringLiteral("请选择场景文件！"), this);
            return;
        }
    } else {
        if (streamType_ != 1 && video_->count() == 0) {
            ShowMessage(kNoVideoDevice, this);
            return;
        }
        if (audio_->count() == 0) {
            ShowMessage(kNoAudioDevice, this);
            return;
        }
    }
    QDialog::accept();
}
