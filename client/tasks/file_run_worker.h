#pragma once
// The base of the workers of the pages that work through a list of files (upload, DRM
// protection): the page's stop flag and the counts the page reads when the thread ends.

#include <QThread>

#include <atomic>

class CFileRunWorker : public QThread {
public:
    int FileCount() const { return fileCount_; }
    int SuccessCount() const { return successCount_; }
    // Ends a blocked wait of the running worker once the stop flag is set; a worker that
    // never blocks needs nothing.
    virtual void Wake() const {}

protected:
    CFileRunWorker(const std::atomic<int>* stopRequested, QObject* parent) : QThread(parent), stopRequested_(stopRequested) {}

    bool StopRequested() const { return *stopRequested_ != 0; }
    const std::atomic<int>* StopFlag() const { return stopRequested_; }
    void SetFileCount(int files) { fileCount_ = files; }
    void CountSuccess() { ++successCount_; }

private:
    const std::atomic<int>* stopRequested_;
    std::atomic<int> fileCount_{0};
    std::atomic<int> successCount_{0};
};
