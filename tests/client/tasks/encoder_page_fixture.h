#pragma once
// What the encoder page tests share: castora-platform with its media servers on free
// ports, the test capture devices, a program folder with the shipped profiles, a signed-in
// account, answered message boxes, choosing combo items with the mouse, and reading the
// platform's broadcasts and what players receive.

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/task_list_message.h"
#include "client/widgets/find_control.h"
#include "tests/sim/platform_process.h"
#include "tests/support/gui_test.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace encoder_page_test {

using test_support::WaitFor;

// The view's window handle as far as a page is concerned: the codes and strings it was sent.
class ViewStub : public platform::MessageTarget {
public:
    std::vector<int> codes;
    QStringList strings;
    int Count(int code) const { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (msg != WM_TASKLIST) return 0;
        codes.push_back(static_cast<int>(wParam));
        strings << StringOfParam(lParam);
        return 0;
    }
};

inline void WriteTestDevices() {
    QFile source(QStringLiteral(CASTORA_SOURCE_DIR "/tests/wavetap/test-devices.ini"));
    QSaveFile file(QStringLiteral(CASTORA_BIN_DIR "/devices.ini"));
    if (!source.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) return;
    file.write(source.readAll());
    file.commit();
}

// Opens the combo's list with the mouse and picks the item reading `text` with the
// arrow keys and Return; false when there is none.
inline bool ChooseItem(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    if (index < 0 || !combo->isEnabled()) return false;
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* list = combo->view();
    if (!WaitFor([list] { return list->isVisible(); }, 3000)) return false;
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    WaitFor([list] { return !list->isVisible(); }, 3000);
    return combo->currentIndex() == index;
}

inline QByteArray Streams(const QString& url) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                            QStringLiteral("stream=codec_name"), QStringLiteral("-of"),
                                            QStringLiteral("csv=p=0"), url});
    WaitFor([&probe] { return probe.state() == QProcess::NotRunning; }, 25000);
    if (probe.state() != QProcess::NotRunning) probe.kill();
    return probe.readAllStandardOutput();
}

// mms:// addresses as ffmpeg's client of that framing takes them.
inline QString PlayerUrl(QString mms) { return mms.replace(QStringLiteral("mms://"), QStringLiteral("mmsh://")); }

class EncoderPageSuite : public ::testing::Test {
protected:
    // One platform per test: each test sets its own faults.
    void StartPlatform(std::vector<std::string> extra = {}) {
        test_support::App();
        WriteTestDevices();
        mediaPort_ = simtest::FreeLoopbackPort();
        extra.insert(extra.end(), {"--media-ports", std::to_string(mediaPort_) + "," +
                                                        std::to_string(simtest::FreeLoopbackPort())});
        platform_ = std::make_unique<simtest::PlatformProcess>(extra);
        ASSERT_TRUE(platform_->Start());
        ASSERT_TRUE(WaitFor([this] { return simtest::PortAccepts(mediaPort_); }, 5000));
        ClientGlobals& g = Globals();
        g.serviceUrl = QStringLiteral("http://127.0.0.1:%1/vekservices/ClientService").arg(platform_->port());
        g.serverIp = QStringLiteral("http://127.0.0.1:%1").arg(platform_->port());
        g.programFolder = program_.path() + QLatin1Char('/');
        g.userIp = QStringLiteral("127.0.0.1");
        g.contentAuthor = QStringLiteral("卡斯托拉网络传媒");
        g.codeBaseUrl = QStringLiteral("http://127.0.0.1/code/");
        QDir(program_.path()).mkdir(QStringLiteral("log"));
        QFile::link(QStringLiteral(CASTORA_SOURCE_DIR "/Profiles"), program_.filePath(QStringLiteral("Profiles")));
        g.videoDevices = {{kScreenCaptureDevice, 2, 0}, {QStringLiteral("Test Camera"), 2, 0},
                          {QStringLiteral("Broken Camera"), 2, 0}};
        g.audioDevices = {{QStringLiteral("Test Microphone"), 1, 0}};
        SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            messages << request.text;
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxResponder(nullptr); }

    void SignInAs(const char* user, const char* password) {
        ClientGlobals& g = Globals();
        g.passwordDigest = PasswordDigest(QString::fromLatin1(password));
        ASSERT_EQ(SvcLogin(QString::fromLatin1(user), g.passwordDigest), 1);
        ASSERT_TRUE(SvcGetCompany());
        g.mediaServers.clear();
        ASSERT_TRUE(SvcGetMediaServerList());
        g.serverBroadcast = g.account.liveCount > 0;
    }

    // The broadcasts of the platform's state file.
    QJsonArray Broadcasts() const {
        QFile file(QString::fromStdString(platform_->dataDir()) + QStringLiteral("/platform-state.json"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("broadcasts")).toArray();
    }
    QJsonObject LastBroadcast() const {
        const QJsonArray all = Broadcasts();
        return all.isEmpty() ? QJsonObject() : all.last().toObject();
    }
    QString Settings() const {
        QFile file(program_.filePath(QStringLiteral("configure.ini")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    std::unique_ptr<simtest::PlatformProcess> platform_;
    int mediaPort_ = 0;
    QTemporaryDir program_;
    QStringList messages;
};

}  // namespace encoder_page_test
