#pragma once
// castora-encode --job: runs one of the batch encoder library's jobs from the command line.

#include <QStringList>

namespace wavetap::cli {

// True when the command line asks for a batch job.
bool IsBatchCommand(const QStringList& arguments);
// Runs the job; prints "progress N" for each progress message and "result 0x..." at the
// end. Exit status 0 when the job succeeded, 1 when it failed, 2 for bad usage.
int RunBatchCommand(const QStringList& arguments);

QString BatchUsage();

}  // namespace wavetap::cli
