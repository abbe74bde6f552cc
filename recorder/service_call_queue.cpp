#include "recorder/service_call_queue.h"

ServiceCallQueue::ServiceCallQueue(const QString& endpoint)
    : worker_(new QObject), proxy_(std::make_unique<RecorderService::CRecorderServiceT>()) {
    proxy_->SetUrl(endpoint);
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

ServiceCallQueue::~ServiceCallQueue() {
    thread_.quit();
    thread_.wait();
}
