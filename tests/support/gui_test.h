#pragma once
// What the window tests share: one application object for the whole test program, and
// waiting for a condition while the program's events run.

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>

namespace test_support {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "castora-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs events until `done` holds or `timeoutMs` passes; the last value of `done`.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

}  // namespace test_support
