// The registered CastoraRecordOcx library hosted through the component layer, as the
// program's page hosts it, driven only through its windows: a custom show from one minute
// ago to one minute ahead is added, recording is armed, the row goes "准备录制" →
// "正在录制" → "已成功", the .wmv lies in the recording folder with the window's length,
// and "ftpconfigure.ini" holds the item. The platform runs, so the category list loads.

#include "client/widgets/find_control.h"
#include "platform/component_host.h"
#include "platform/component_registry.h"
#include "platform/ini_store.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "recorder_test_support.h"
#include "tests/sim/platform_process.h"
#include "tests/support/tool_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace recorder_test;

namespace {

constexpr int kStatusColumn = 8;

// Answers every real message box with Yes (or OK) and notes its text.
class RealBoxAnswers {
public:
    RealBoxAnswers() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts << box->text();
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QTest::mouseClick(yes ? yes : box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        timer_.start(20);
    }
    QStringList texts;

private:
    QTimer timer_;
};

void Press(QWidget* root, int id) {
    auto* button = qobject_cast<QAbstractButton*>(FindControl(root, id));
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    const bool indicator = qobject_cast<QCheckBox*>(button) != nullptr;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      indicator ? QPoint(6, button->height() / 2) : button->rect().center());
}

TEST(HostedRecorder, ACustomShowIsRecordedQueuedAndReportedThroughTheWindows) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    const auto reg = test_support::RunTool("castora-regsvr", {QStringLiteral(CASTORA_BIN_DIR "/libCastoraRecordOcx.so")});
    ASSERT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    const QString folder = PrepareProgramFolder();
    WriteFile(folder + "Recorderconfig.ini",
              "[SERVER]\r\nURL=http://127.0.0.1:" + QByteArray::number(platform.port()) + "\r\n");

    std::unique_ptr<platform::IComponentObject> object;
    ASSERT_EQ(platform::CreateComponent(platform::ClassIdFromText("CASTORARECORDO.CastoraRecordOCtrl.1"), &object),
              platform::kS_OK);
    auto host = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(host.get());
    class Handle : public platform::MessageTarget {
    public:
        std::vector<unsigned> messages;

    protected:
        platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) override {
            messages.push_back(msg * 10 + static_cast<unsigned>(wParam));
            return 0;
        }
    } handle;
    RealBoxAnswers boxes;
    QWidget* window = object->CreateControlWindow(host.get());
    ASSERT_NE(window, nullptr);
    layout->addWidget(window);
    host->resize(1000, 760);
    host->show();
    platform::IDispatchInterface* dispatch = object->Dispatch();
    ASSERT_EQ(dispatch->Invoke(3, {QVariant::fromValue<QObject*>(&handle)}, nullptr), platform::kS_OK);
    ASSERT_EQ(dispatch->Invoke(1, {1001}, nullptr), platform::kS_OK);
    ASSERT_EQ(dispatch->Invoke(2, {QByteArray("127.0.0.1"), QByteArray("demo"), QByteArray("demoftp"), 2121, QByteArray()},
                               nullptr),
              platform::kS_OK);

    // The show: from one minute ago to one minute ahead, added in the add dialog.
    const QTime now = QTime::currentTime();
    if (now.secsTo(QTime(23, 58, 0)) < 0 || now < QTime(0, 2, 0)) GTEST_SKIP() << "too close to midnight";
    Press(window, 1034);
    QWidget* add = window->findChild<QWidget*>("CAddShowDlg");
    ASSERT_NE(add, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return qobject_cast<QComboBox*>(FindControl(add, 1067))->count() == 4; }, 15000));
    qobject_cast<QLineEdit*>(FindControl(add, 1046))->setText("一分钟节目");
    qobject_cast<QTimeEdit*>(FindControl(add, 1049))->setTime(now.addSecs(-60));
    qobject_cast<QTimeEdit*>(FindControl(add, 1050))->setTime(now.addSecs(60));
    Press(add, 1064);
    Press(add, 1);
    auto* list = qobject_cast<QTableView*>(FindControl(window, 1033));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 2).data().toString(), "一分钟节目");

    Press(window, 1002);
    EXPECT_EQ(qobject_cast<QAbstractButton*>(FindControl(window, 1002))->text(), "停止录制");
    QStringList statuses;
    const bool succeeded = PumpUntil(
        [&] {
            const QString status = list->model()->index(0, kStatusColumn).data().toString();
            if (statuses.isEmpty() || statuses.back() != status) statuses << status;
            return status == "已成功";
        },
        100000);
    ASSERT_TRUE(succeeded) << statuses.join(' ').toStdString();
    statuses.removeAll(QString());
    EXPECT_EQ(statuses, (QStringList{"准备录制", "正在录制", "停止", "已成功"}));

    const QStringList files = QDir(folder + "TVRecord").entryList({"*.wmv"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\d{5}\\.wmv$").match(files[0]).hasMatch()) << files[0].toStdString();
    const QString path = folder + "TVRecord/" + files[0];
    const Probe probe = ProbeFile(path);
    EXPECT_EQ(probe.codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_NEAR(probe.duration, 60.0, 4.0);
    const QString queue = folder + "ftpconfigure.ini";
    EXPECT_EQ(platform::GetPrivateProfileInt("FTP", "FILECOUNT", 0, queue), 1);
    EXPECT_EQ(platform::GetPrivateProfileString("FTP_0", "FILENAME", "", queue), path);
    EXPECT_EQ(platform::GetPrivateProfileString("FTP_0", "FTPSTATE", "", queue), "0");

    // Stop (the encoder had started, so the question names the recording), then exit.
    Press(window, 1002);
    EXPECT_TRUE(boxes.texts.contains("正在录制中!确定要停止吗?")) << boxes.texts.join('|').toStdString();
    EXPECT_EQ(qobject_cast<QAbstractButton*>(FindControl(window, 1002))->text(), "准备录制");
    Press(window, 2);
    EXPECT_EQ(handle.messages, std::vector<unsigned>{13241});
    host.reset();
    object.reset();
}

}  // namespace
