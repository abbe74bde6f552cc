#pragma once
// The file-broadcast wizard: first page, type, files, media server, times.

#include "client/tasks/base_sheet.h"

class CBaseTask;
class CFileCastTask;
class CFilePg;

class CFileCastSheet : public CBaseSheet {
    Q_OBJECT
public:
    explicit CFileCastSheet(QWidget* parent = nullptr);

    bool LoadTaskFile(const QString& path) override;
    // Copies the pages' values into a new task's record.
    void FillRecord(CFileCastTask& task) const;

    CFilePg* FilePage() const { return file_; }

private:
    CFilePg* file_;
};

// Runs the wizard over `parent` and fills `record` (a CFileCastTask); false when the
// operator did not finish it.
bool RunFileCastSheet(QWidget* parent, CBaseTask& record);
