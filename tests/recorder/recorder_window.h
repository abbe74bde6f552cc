#pragma once
// The recorder control created in this process and hosted in a test window.

#include "client/widgets/find_control.h"
#include "recorder/castora_record_ctrl.h"
#include "recorder/vek_recorder_dlg.h"
#include "recorder_test_support.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace recorder_test {

class RecorderWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes "Recorderconfig.ini"; `extra` follows a SERVER section with `url`.
    void Config(const QByteArray& url, const QByteArray& extra = {});
    // Creates the control and its window, as the host page does.
    void Open();
    void Close();
    QWidget* Control(int id) const { return FindControl(host.get(), id); }
    template <typename T>
    T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }
    // Clicks the control with the mouse.
    void Click(int id) const;

    QString folder;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<CCastoraRecordOcxCtrl> ctrl;
    CVEKRecorderDlg* dialog = nullptr;
};

}  // namespace recorder_test
