#pragma once
// Service calls of a dialog on a thread of their own, so that a slow or silent service
// never freezes the window. Calls run one after another with the queue's proxy; each
// answer is handed to the receiver on the receiver's thread. The receiver owns the queue,
// so no answer can reach a receiver that is gone.

#include "recorder/recorder_service.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

class ServiceCallQueue {
public:
    explicit ServiceCallQueue(const QString& endpoint);
    // Waits for the call in progress; calls not started yet are dropped.
    ~ServiceCallQueue();
    ServiceCallQueue(const ServiceCallQueue&) = delete;
    ServiceCallQueue& operator=(const ServiceCallQueue&) = delete;

    template <typename Result>
    void Run(QObject* receiver, std::function<Result(RecorderService::CRecorderServiceT&)> call,
             std::function<void(const Result&)> done) {
        auto* proxy = proxy_.get();
        QMetaObject::invokeMethod(worker_, [proxy, receiver, call = std::move(call), done = std::move(done)] {
            Result result = call(*proxy);
            QMetaObject::invokeMethod(receiver, [result = std::move(result), done] { done(result); },
                                      Qt::QueuedConnection);
        }, Qt::QueuedConnection);
    }

private:
    QThread thread_;
    QObject* worker_;
    std::unique_ptr<RecorderService::CRecorderServiceT> proxy_;
};
