#pragma once
// What every broadcast page does the same way before and around its encoder run: ask the
// platform for a publishing point (or fall back to this PC without a live balance), and
// aim the run at it: display texts, the push target, live DRM and the startLive report.

#include "client/tasks/encoder_worker.h"
#include "client/tasks/task_records.h"

#include <QString>

#include <functional>

struct SelMediaServerRequest;
class QWidget;

// "mms://" + this PC's address + ":9100".
QString ThisPcPlayAddress();

// With a live balance: GetSelMediaServerList for `server` (its id preset), refusing a failed
// answer (182), a server whose points are all taken (181) and missing live DRM material
// (180, a message box); sets the server-broadcast flag. Without a balance: status 149 and
// the flag cleared. False when the run must not start.
bool RequestLiveServer(const SelMediaServerRequest& request, TaskServerInfo& server,
                       const std::function<void(const QString&)>& setStatus, QWidget* parent);

// Fills the run's author texts, the push target (only while the server-broadcast flag is
// set), live DRM and the startLive registration; `title` is the display title.
void SetLiveTarget(EncoderRunSpec& spec, const TaskServerInfo& server, bool isLiveDrm, const QString& title);
