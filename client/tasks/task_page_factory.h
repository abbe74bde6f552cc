#pragma once
// The one place that knows which page (and, for the wizard kinds, which wizard) belongs
// to a page kind. A kind without a page creates nothing: the task list then drops the
// record it made for it.

#include <functional>

class CBaseTask;
class CBaseTaskDlg;
class QWidget;

struct TaskPageKind {
    // Builds the page as a child of `parent`.
    std::function<CBaseTaskDlg*(QWidget* parent)> makePage;
    // For the kinds set up in a wizard (file and multi-source broadcast): runs it modally
    // over `parent` and fills `record`; false when the operator did not finish it.
    std::function<bool(QWidget* parent, CBaseTask& record)> runWizard;
};

// The kind's page, or null when the kind has no page (yet).
CBaseTaskDlg* CreateTaskPage(int pageKind, QWidget* parent);
// True when the kind needs no wizard or its wizard finished.
bool RunTaskWizard(int pageKind, QWidget* parent, CBaseTask& record);
bool HasTaskPage(int pageKind);

// Sets or (with an empty entry) removes a kind; for tests and for kinds added at run time.
void RegisterTaskPage(int pageKind, TaskPageKind entry);
