#include "recorder_window.h"

#include "recorder/recorder_globals.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

namespace recorder_test {

void RecorderWindowTest::SetUp() {
    folder = PrepareProgramFolder();
    Recorder().userId = 0;
    Recorder().recordingArmed = 0;
    Recorder().refreshList = 0;
    Recorder().exitRequested = 0;
    Recorder().forceSync = 1;
}

void RecorderWindowTest::TearDown() { Close(); }

void RecorderWindowTest::Config(const QByteArray& url, const QByteArray& extra) {
    WriteFile(folder + "Recorderconfig.ini", "[SERVER]\r\nURL=" + url + "\r\n" + extra);
}

void RecorderWindowTest::Open() {
    host = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(host.get());
    layout->setContentsMargins(0, 0, 0, 0);
    ctrl = std::make_unique<CCastoraRecordOcxCtrl>();
    QWidget* window = ctrl->CreateControlWindow(host.get());
    ASSERT_NE(window, nullptr);
    layout->addWidget(window);
    host->resize(1000, 760);
    host->show();
    dialog = ctrl->Dialog();
    PumpFor(20);
}

void RecorderWindowTest::Close() {
    ctrl.reset();
    host.reset();
    dialog = nullptr;
}

void RecorderWindowTest::Click(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    // Check boxes and radio buttons take clicks on their indicator and label only.
    const bool indicator = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    const QPoint at = indicator ? QPoint(6, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace recorder_test
