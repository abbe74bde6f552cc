#pragma once
// The multi-source wizard: first page, type, quality, media server, output, times. The
// scenes are added on the task's page afterwards.

#include "client/tasks/base_sheet.h"

class CBaseTask;
class CMultiCastTask;
class COutputPg;
class CProfilePg;

class CMultiCastSheet : public CBaseSheet {
    Q_OBJECT
public:
    explicit CMultiCastSheet(QWidget* parent = nullptr);

    bool LoadTaskFile(const QString& path) override;
    // Copies the pages' values into a new task's record (outputFile only while recording).
    void FillRecord(CMultiCastTask& task) const;

    CProfilePg* ProfilePage() const { return profile_; }
    COutputPg* OutputPage() const { return output_; }

private:
    CProfilePg* profile_;
    COutputPg* output_;
};

// Runs the wizard over `parent` and fills `record` (a CMultiCastTask); false when the
// operator did not finish it.
bool RunMultiCastSheet(QWidget* parent, CBaseTask& record);
