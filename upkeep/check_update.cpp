// The updater's one export: compares the running program's version with the one
// published beside its installer, asks the user and downloads the installer into the
// temporary folder. Opening the installer is left to the caller.

#include "upkeep/connection_state.h"
#include "upkeep/http_download_dlg.h"
#include "upkeep/local_version.h"
#include "upkeep/upkeep_messages.h"
#include "upkeep/upkeepr.h"
#include "upkeep/url_parts.h"
#include "upkeep/version_compare.h"

#include "platform/paths.h"

#include <QApplication>
#include <QFileInfo>
#include <QThread>

namespace {

// Result codes written to the caller's `result`.
enum CheckResult {
    kDownloaded = 0,
    kNoConnection = 1,
    kCannotOpen = 2,
    kEmptyUpdateFile = 3,
    kDownloadFailed = 4,
    kNoLocalVersion = 5,
    kNotNewer = 6,
    kDeclined = 7,
};

// Only the first read of "update.txt" counts.
constexpr qsizetype kUpdateFileLimit = 4096;

QString ProgramFileName() {
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName();
}

// The question and the download window need the widget application's own thread.
bool CanShowWindows() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

int Check(const QString& updateAddress, const QString& installerName, void* progressThread) {
    CUpkeepr session;
    if (!session.IsOpen() || !upkeep::HasConnectionFor(updateAddress)) return kNoConnection;

    QByteArray updateFile;
    if (!session.Open(upkeep::CanonicalUrl(updateAddress + QStringLiteral("update.txt")), kUpdateFileLimit,
                      &updateFile)) {
        return kCannotOpen;
    }
    if (updateFile.isEmpty()) return kEmptyUpdateFile;

    const QString local = upkeep::LocalVersion();
    if (local.isEmpty()) return kNoLocalVersion;
    const QString published = upkeep::PublishedVersionText(updateFile);
    if (upkeep::ComparePublishedVersion(local, published) != upkeep::PublishedVersion::Newer) return kNotNewer;

    const QString installerUrl = upkeep::CanonicalUrl(updateAddress + installerName);
    // A protected installer opens too: the download window asks for the credentials.
    QByteArray ignored;
    if (!session.Open(installerUrl, 0, &ignored, true)) return kCannotOpen;

    if (progressThread) {
        static_cast<QThread*>(progressThread)->quit();
        QThread::msleep(500);
    }
    if (!CanShowWindows()) return kDeclined;
    const QString question = QStringLiteral("目前 %1 有新版本可用，请安装最新版本！").arg(ProgramFileName());
    if (!upkeep::AskYesNo(question, QStringLiteral("新版提示"), QApplication::activeWindow())) return kDeclined;

    CHttpDownloadDlg download(installerUrl, platform::GetTempFolder() + installerName);
    return download.DoModal() == QDialog::Accepted ? kDownloaded : kDownloadFailed;
}

}  // namespace

// `progressThread`, when given, is a QThread of the caller whose event loop is told to
// quit before the question is asked. Returns 1 when an installer is ready in the
// temporary folder (result 0), otherwise 0.
extern "C" __attribute__((visibility("default"))) int CheckUpdate(QString updateAddress, QString installerName,
                                                                  int* result, void* progressThread) {
    const int code = Check(updateAddress, installerName, progressThread);
    if (result) *result = code;
    return code == kDownloaded ? 1 : 0;
}
