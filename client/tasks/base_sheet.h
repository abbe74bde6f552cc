#pragma once
// The base of the task wizards ("新建会话向导"): a wizard for one task kind whose first
// page can import a task configuration file of that kind into the other pages. The pages
// every wizard has (first, type, server, time) are made here; each sheet adds them, with
// its own pages, in its order.

#include <QWizard>

class CBaseTask;
class CFirstPg;
class CServerListPg;
class CTimePg;
class CTypePg;
struct SelectedServer;

class CBaseSheet : public QWizard {
    Q_OBJECT
public:
    // What exec() returns when the operator finished the wizard.
    static constexpr int kWizardFinished = 12325;

    CBaseSheet(int kind, QWidget* parent = nullptr);

    // The task kind (2 or 5); it picks the task file's extension.
    int Kind() const { return kind_; }
    // Loads a task file of the kind into the pages; false when it cannot be read.
    virtual bool LoadTaskFile(const QString& path) = 0;

    CFirstPg* FirstPage() const { return first_; }
    CTypePg* TypePage() const { return type_; }
    CServerListPg* ServerPage() const { return server_; }
    CTimePg* TimePage() const { return time_; }

public slots:
    void accept() override;

protected:
    // The settings every task file holds, into the shared pages and back.
    void LoadSharedPages(const CBaseTask& task, int reconn, int serverId);
    void FillFromSharedPages(CBaseTask& task, int& reconn, SelectedServer& server) const;

private:
    int kind_;
    CFirstPg* first_;
    CTypePg* type_;
    CServerListPg* server_;
    CTimePg* time_;
};
