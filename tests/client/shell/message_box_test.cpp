// The message-box layer: real boxes answered by key presses, the responder, and boxes asked
// for on a worker thread.

#include "client/shell/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {

int argc = 1;
char arg0[] = "message_box_test";
char* argv[] = {arg0, nullptr};
QApplication& App() {
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Castora"));
        return a;
    }();
    return *app;
}

// Presses `key` in the next modal box that appears, noting its text and caption.
struct KeyAnswer {
    explicit KeyAnswer(int key) {
        QObject::connect(&timer, &QTimer::timeout, [this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || answered) return;
            answered = true;
            text = box->text();
            caption = box->windowTitle();
            buttons = box->standardButtons();
            QTest::keyClick(box, static_cast<Qt::Key>(key));
        });
        timer.start(10);
    }
    QTimer timer;
    bool answered = false;
    QString text, caption;
    QMessageBox::StandardButtons buttons;
};

// Clicks the given standard button of the next box.
struct ClickAnswer {
    explicit ClickAnswer(QMessageBox::StandardButton which) {
        QObject::connect(&timer, &QTimer::timeout, [this, which] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || done) return;
            done = true;
            QTest::mouseClick(static_cast<QWidget*>(box->button(which)), Qt::LeftButton);
        });
        timer.start(10);
    }
    QTimer timer;
    bool done = false;
};

}  // namespace

TEST(MessageBox, RealBoxesReturnTheButtonPressedAndCarryTheirCaption) {
    App();
    {
        ClickAnswer retry(QMessageBox::Retry);
        EXPECT_EQ(AskMessage("FTP登录失败！", MsgButtons::AbortRetryIgnore, MsgIcon::Warning, "提示"), IDRETRY);
    }
    {
        ClickAnswer ignore(QMessageBox::Ignore);
        EXPECT_EQ(AskMessage("x", MsgButtons::AbortRetryIgnore), IDIGNORE);
    }
    {
        ClickAnswer no(QMessageBox::No);
        EXPECT_EQ(AskMessage("x", MsgButtons::YesNo), IDNO);
    }
    {
        KeyAnswer enter(Qt::Key_Return);
        EXPECT_EQ(AskMessage("您确定要退出吗？", MsgButtons::OkCancel, MsgIcon::Question, "提示"), IDOK);
        EXPECT_EQ(enter.text, "您确定要退出吗？");
        EXPECT_EQ(enter.caption, "提示");
        EXPECT_EQ(enter.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    }
    {
        // Escape closes an OK/Cancel box as Cancel and an Abort/Retry/Ignore box as Abort.
        KeyAnswer escape(Qt::Key_Escape);
        EXPECT_EQ(AskMessage("x", MsgButtons::OkCancel), IDCANCEL);
    }
    {
        KeyAnswer escape(Qt::Key_Escape);
        EXPECT_EQ(AskMessage("x", MsgButtons::AbortRetryIgnore), IDABORT);
    }
    {
        KeyAnswer enter(Qt::Key_Return);
        ShowMessage("没有设备！");
        EXPECT_EQ(enter.caption, "Castora");  // no caption given: the program's name
        EXPECT_EQ(enter.buttons, QMessageBox::Ok);
    }
}

TEST(MessageBox, TheResponderAnswersWithoutAWindowAndSeesTheRequest) {
    App();
    QList<MessageBoxRequest> seen;
    SetMessageBoxResponder([&](const MessageBoxRequest& r) {
        seen << r;
        return r.buttons == MsgButtons::RetryCancel ? IDRETRY : IDOK;
    });
    EXPECT_EQ(AskMessage("a", MsgButtons::RetryCancel, MsgIcon::Question), IDRETRY);
    ShowMessage("b", "提示", MsgIcon::Information);
    SetMessageBoxResponder(nullptr);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].text, "a");
    EXPECT_EQ(seen[0].caption, "Castora");
    EXPECT_EQ(seen[1].caption, "提示");
    EXPECT_EQ(seen[1].icon, MsgIcon::Information);
    EXPECT_EQ(seen[1].buttons, MsgButtons::Ok);
}

TEST(MessageBox, AWorkerWaitsForTheAnswerGivenOnTheUserInterfaceThread) {
    App();
    Qt::HANDLE answeredOn = nullptr;
    SetMessageBoxResponder([&](const MessageBoxRequest&) {
        answeredOn = QThread::currentThreadId();
        return IDIGNORE;
    });
    int result = 0;
    QThread* worker = QThread::create([&] { result = AskMessage("w", MsgButtons::AbortRetryIgnore); });
    worker->start();
    while (!worker->isFinished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker->wait();
    delete worker;
    SetMessageBoxResponder(nullptr);
    EXPECT_EQ(result, IDIGNORE);
    EXPECT_EQ(answeredOn, QThread::currentThreadId());

    // A real box from a worker, answered by a key press on the user-interface thread.
    KeyAnswer enter(Qt::Key_Return);
    worker = QThread::create([&] { result = AskMessage("real", MsgButtons::OkCancel); });
    worker->start();
    while (!worker->isFinished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker->wait();
    delete worker;
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(enter.text, "real");
}
