#include "update_test_support.h"

#include "client/widgets/find_control.h"
#include "platform_process.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <dlfcn.h>

#include <stdexcept>

namespace upkeeptest {

PublishedUpdate::PublishedUpdate(std::vector<std::string> platformOptions) : options_(std::move(platformOptions)) {}

PublishedUpdate::~PublishedUpdate() = default;

void PublishedUpdate::Write(const QString& name, const QByteArray& bytes) {
    QFile file(folder_.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write the update folder");
    }
}

bool PublishedUpdate::Start() {
    std::vector<std::string> args = {"--update-dir", folder_.path().toStdString()};
    args.insert(args.end(), options_.begin(), options_.end());
    platform_ = std::make_unique<simtest::PlatformProcess>(args);
    return platform_->Start();
}

QString PublishedUpdate::Url() const {
    return QStringLiteral("http://127.0.0.1:%1/update/").arg(platform_->port());
}

QByteArray SomeBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size));
    for (char& c : bytes) c = static_cast<char>(generator.generate());
    return bytes;
}

CheckOutcome CallCheckUpdate(const QString& updateAddress, const QString& installerName, void* progressThread) {
    using CheckUpdateFunction = int (*)(QString, QString, int*, void*);
    static void* library = dlopen(CASTORA_BIN_DIR "/libupkeep.so", RTLD_NOW);
    if (!library) throw std::runtime_error(dlerror());
    auto check = reinterpret_cast<CheckUpdateFunction>(dlsym(library, "CheckUpdate"));
    if (!check) throw std::runtime_error("no CheckUpdate");
    CheckOutcome outcome;
    outcome.returned = check(updateAddress, installerName, &outcome.code, progressThread);
    return outcome;
}

UpdaterUser::UpdaterUser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start(5);
}

void UpdaterUser::Note(QStringList& seen, const QString& text) {
    if (!text.isEmpty() && (seen.isEmpty() || seen.last() != text)) seen << text;
}

namespace {

QAbstractButton* ButtonLabelled(QWidget* window, const QString& label) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text() == label) return button;
    }
    return nullptr;
}

// Types text as key presses, Chinese characters included (QTest::keyClicks takes Latin-1 only).
void TypeText(QWidget* field, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

}  // namespace

void UpdaterUser::Look() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window) return;
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        if (box->objectName() == u"upkeepQuestion") {
            questions << box->text();
            questionCaptions << box->windowTitle();
            QTest::mouseClick(ButtonLabelled(box, acceptUpdate ? QStringLiteral("是") : QStringLiteral("否")),
                              Qt::LeftButton);
        } else {
            errors << box->text();
            if (QWidget* owner = box->parentWidget(); owner && owner->objectName() == u"CHttpDownloadDlg") {
                progressAtError = FindControlAs<QProgressBar>(owner, 11000)->value();
            }
            QTest::keyClick(box, Qt::Key_Return);
        }
        return;
    }
    if (window->objectName() == u"CCredentialsDlg") {
        ++credentialRequests;
        // A user who was refused three times gives up.
        if (giveCredentials && credentialRequests <= 3) {
            TypeText(window->findChild<QLineEdit*>(QStringLiteral("userName")), userName);
            TypeText(window->findChild<QLineEdit*>(QStringLiteral("password")), password);
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        } else {
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
        }
        return;
    }
    if (window->objectName() == u"CHttpDownloadDlg") {
        OnDownloadWindow(window);
        return;
    }
    // Anything else (the sign-in dialog, once start-up reaches it) is closed unanswered.
    otherWindows << window->objectName() + u'|' + window->windowTitle();
    QTest::keyClick(window, Qt::Key_Escape);
}

void UpdaterUser::OnDownloadWindow(QWidget* window) {
    if (window != lastDownloadWindow_) {
        lastDownloadWindow_ = window;
        ++downloadWindows;
    }
    Note(statusLines, FindControlAs<QLabel>(window, 11004)->text());
    Note(fromLines, FindControlAs<QLabel>(window, 11003)->text());
    Note(rates, FindControlAs<QLabel>(window, 11002)->text());
    Note(remaining, FindControlAs<QLabel>(window, 11001)->text());
    Note(titles, window->windowTitle());
    const int value = FindControlAs<QProgressBar>(window, 11000)->value();
    if (progressValues.isEmpty() || progressValues.last() != value) progressValues << value;

    auto* cancel = FindControlAs<QPushButton>(window, 2);
    if (cancelPressed) {
        cancelDisabledAfterPress = !cancel->isEnabled();
        statusAfterCancel = FindControlAs<QLabel>(window, 11004)->text();
        return;
    }
    if (cancelWhenDownloadShows || (cancelAtPercent && value >= *cancelAtPercent)) {
        QTest::mouseClick(cancel, Qt::LeftButton);
        cancelPressed = true;
        // The click is handled at once; read the window now, since a loaded machine may
        // close it before the next observation.
        cancelDisabledAfterPress = !cancel->isEnabled();
        statusAfterCancel = FindControlAs<QLabel>(window, 11004)->text();
    }
}

PrivateTempFolder::PrivateTempFolder() : previous_(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", folder_.path().toLocal8Bit());
}

PrivateTempFolder::~PrivateTempFolder() {
    if (previous_.isEmpty()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", previous_);
    }
}

}  // namespace upkeeptest
