// The component layer with the real recorder library: castora-regsvr writes and removes
// its registration, a library without the entry points and a store that cannot be
// written give the SELFREG codes, a host creates the control by ProgID, calls it by
// DISPID and receives its exit message, and castora-ocx-host does the same from the
// command line.

#include "platform/component_host.h"
#include "platform/component_registry.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/registry_store.h"
#include "tests/support/tool_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace {

const QString kLibrary = QStringLiteral(CASTORA_BIN_DIR "/libCastoraRecordOcx.so");
const QString kProgId = QStringLiteral("CASTORARECORDO.CastoraRecordOCtrl.1");
const QUuid kClsid = QUuid::fromString(QStringLiteral("{EF82635F-F68F-4AEE-82B6-D25B12A53778}"));
const QUuid kTypeLib = QUuid::fromString(QStringLiteral("{5991D0BD-28FE-4307-8A8C-655BF01BCBE4}"));
const QUuid kDispatch = QUuid::fromString(QStringLiteral("{94A09951-426E-4183-895A-AE4A13EFA26A}"));

QApplication& App() {
    static int argc = 1;
    static char name[] = "component_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class HostHandle : public platform::MessageTarget {
public:
    std::vector<std::pair<unsigned, platform::WPARAM>> messages;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) override {
        messages.emplace_back(msg, wParam);
        return 0;
    }
};

class Components : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        // The control works in the folder of the program hosting it: this test's own.
        const QString folder = platform::GetProgramFolder();
        QDir(folder).mkpath("log");
        QFile config(folder + "Recorderconfig.ini");
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[SERVER]\r\nURL=http://127.0.0.1:1\r\n");
    }
    test_support::ToolRun Regsvr(const QStringList& args) { return test_support::RunTool("castora-regsvr", args); }
    QString Value(const QString& key, const QString& name = QString()) { return platform::RegistryGetString(key, name); }

    QTemporaryDir home;
};

TEST_F(Components, RegsvrWritesAndRemovesTheClassProgIdTypeLibraryAndPath) {
    const auto run = Regsvr({kLibrary});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString classKey = platform::ClassKey(kClsid);
    EXPECT_EQ(Value(classKey), "CastoraRecordOcx Control");
    EXPECT_EQ(Value(classKey + "\\InprocServer32"), kLibrary);
    EXPECT_EQ(Value(classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Value(classKey + "\\ProgID"), kProgId);
    EXPECT_EQ(Value(classKey + "\\MiscStatus\\1"), QString::number(0x20191));
    EXPECT_EQ(Value(classKey + "\\TypeLib"), "{5991D0BD-28FE-4307-8A8C-655BF01BCBE4}");
    EXPECT_EQ(Value(platform::ProgIdKey(kProgId) + "\\CLSID"), "{EF82635F-F68F-4AEE-82B6-D25B12A53778}");
    EXPECT_EQ(Value(platform::TypeLibraryKey(kTypeLib) + "\\1.0"), "CastoraRecordOcx ActiveX Control module");
    EXPECT_EQ(Value(platform::TypeLibraryKey(kTypeLib) + "\\1.0\\0\\win32"), kLibrary);
    EXPECT_EQ(Value(platform::InterfaceKey(kDispatch)), "_DCastoraRecordOcx");
    const QString page = Value(platform::ProgIdKey("CASTORARECOR.CastoraRecorPropPage.1") + "\\CLSID");
    ASSERT_FALSE(page.isEmpty());
    EXPECT_EQ(Value(platform::ClassKey(QUuid::fromString(page))), "CastoraRecordOcx Property Page");
    EXPECT_EQ(platform::ClassIdFromText(kProgId), kClsid);
    EXPECT_EQ(platform::InprocServerPath(kClsid), kLibrary);

    const auto undo = Regsvr({"-u", kLibrary});
    ASSERT_EQ(undo.exitCode, 0) << undo.err.toStdString();
    for (const QString& key : {classKey, platform::ProgIdKey(kProgId), platform::TypeLibraryKey(kTypeLib),
                               platform::InterfaceKey(kDispatch), platform::ClassKey(QUuid::fromString(page))})
        EXPECT_FALSE(platform::RegistryKeyExists(key)) << key.toStdString();
    EXPECT_TRUE(platform::ClassIdFromText(kProgId).isNull());
}

TEST_F(Components, LibrariesWithoutTheEntryPointsOrAWritableStoreGiveTheSelfregCodes) {
    const auto noExports = Regsvr({QStringLiteral(CASTORA_BIN_DIR "/libwavetap.so")});
    EXPECT_EQ(noExports.exitCode, 4);
    EXPECT_TRUE(noExports.err.contains("0x80040201")) << noExports.err.toStdString();
    const auto missing = Regsvr({home.filePath("no-such-library.so")});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_EQ(Regsvr({}).exitCode, 1);

    // The store's file is a folder here, so the first step, the type library, fails.
    ASSERT_TRUE(QDir().mkpath(platform::RegistryFilePath()));
    const auto readOnly = Regsvr({kLibrary});
    EXPECT_EQ(readOnly.exitCode, 5);
    EXPECT_TRUE(readOnly.err.contains("0x80040200")) << readOnly.err.toStdString();
    EXPECT_EQ(platform::CallRegistrationEntry(kLibrary, false).result, platform::kSELFREG_E_TYPELIB);
}

TEST_F(Components, AHostCreatesTheControlByProgIdCallsItByDispidAndHearsItsExit) {
    ASSERT_EQ(Regsvr({kLibrary}).exitCode, 0);
    std::unique_ptr<platform::IComponentObject> object;
    EXPECT_EQ(platform::CreateComponent(QUuid::createUuid(), &object), platform::kREGDB_E_CLASSNOTREG);
    ASSERT_EQ(platform::CreateComponent(platform::ClassIdFromText(kProgId), &object), platform::kS_OK);
    ASSERT_TRUE(object);

    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    HostHandle handle;
    QWidget* window = object->CreateControlWindow(&host);
    ASSERT_NE(window, nullptr);
    layout->addWidget(window);
    host.show();

    platform::IDispatchInterface* dispatch = object->Dispatch();
    ASSERT_NE(dispatch, nullptr);
    const auto methods = dispatch->Methods();
    ASSERT_EQ(methods.size(), 3);
    EXPECT_EQ(methods[2].dispId, 3);
    EXPECT_EQ(methods[2].name, "SetRecvMsgHWnd");
    QVariant result;
    EXPECT_EQ(dispatch->Invoke(3, {QVariant::fromValue<QObject*>(&handle)}, &result), platform::kS_OK);
    EXPECT_EQ(dispatch->Invoke(1, {-5}, &result), platform::kS_OK);
    EXPECT_EQ(result.toInt(), 0);
    EXPECT_EQ(dispatch->Invoke(7, {}, &result), platform::kDISP_E_MEMBERNOTFOUND);

    void* library = dlopen(QFile::encodeName(kLibrary).constData(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    auto canUnload = reinterpret_cast<platform::DllCanUnloadNowFn>(dlsym(library, platform::kDllCanUnloadNow));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), platform::kS_FALSE);

    // The exit button of the control's own window; its question is a real box.
    QAbstractButton* exitButton = nullptr;
    for (auto* button : window->findChildren<QAbstractButton*>()) {
        if (button->property("controlId").toInt() == 2) exitButton = button;
    }
    ASSERT_NE(exitButton, nullptr);
    EXPECT_EQ(exitButton->text(), "退出录制");
    QString question;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            question = box->text();
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        }
    });
    answer.start(20);
    QTest::mouseClick(exitButton, Qt::LeftButton);
    answer.stop();
    EXPECT_EQ(question, "确定要退出吗?");
    ASSERT_EQ(handle.messages.size(), 1U) << "the library's message reaches this host";
    EXPECT_EQ(handle.messages[0].first, 1324U);
    EXPECT_EQ(handle.messages[0].second, 1U);

    delete window;
    object.reset();
    EXPECT_EQ(canUnload(), platform::kS_OK);
}

TEST_F(Components, ThePropertyPageHoldsItsPlaceholderText) {
    ASSERT_EQ(Regsvr({kLibrary}).exitCode, 0);
    const QUuid page = platform::ClassIdFromText("CASTORARECOR.CastoraRecorPropPage.1");
    std::unique_ptr<platform::IComponentObject> object;
    ASSERT_EQ(platform::CreateComponent(page, &object), platform::kS_OK);
    EXPECT_EQ(object->Dispatch(), nullptr);
    std::unique_ptr<QWidget> window(object->CreateControlWindow(nullptr));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "General");
    auto* text = window->findChild<QLabel*>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), "TODO: Place controls to manipulate properties of CastoraRecordOcx Control on this dialog.");
}

TEST_F(Components, OcxHostCallsTheListedMethodsWithItsWindow) {
    ASSERT_EQ(Regsvr({kLibrary}).exitCode, 0);
    // The control works in the host's folder: a copy of the host in a folder of its own.
    QTemporaryDir folder;
    const QString host = folder.filePath("castora-ocx-host");
    ASSERT_TRUE(QFile::copy(QStringLiteral(CASTORA_BIN_DIR "/castora-ocx-host"), host));
    QFile config(folder.filePath("Recorderconfig.ini"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[SERVER]\r\nURL=http://127.0.0.1:1\r\n");
    config.close();

    QProcess process;
    process.start(host, {kProgId, "--call", "1:-5", "--call", "2:ftp.example.cn,演示,secret,2121,", "--call", "9",
                         "--seconds", "2"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "call 3 SetRecvMsgHWnd(window) -> 0x00000000") << "its window first";
    EXPECT_EQ(lines[1], "call 1 SetUserId(-5) -> 0x00000000 result 0");
    EXPECT_EQ(lines[2], "call 2 SetFtpInfo(\"ftp.example.cn\", \"演示\", \"secret\", 2121, \"\") -> 0x00000000 result 0");
    EXPECT_EQ(lines[3], "call 9 ?() -> 0x80020003");
    EXPECT_TRUE(QFile::exists(folder.filePath("TVRecord"))) << "the control worked in the host's folder";

    process.start(host, {"NO.Such.Control.1"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 2);
}

}  // namespace
