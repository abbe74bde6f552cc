#pragma once
// A data view shows the encoder's video in windows of the caller (any QWidget). Each
// stream added to a preview or postview collection gets a cookie; a cookie is given a
// window with SetViewProperties and shown between StartView and StopView.

#include "engine/results.h"

#include <QImage>
#include <QObject>
#include <QPointer>

#include <map>
#include <memory>
#include <mutex>

namespace wavetap::engine {

class ViewPainter;

class DataView {
public:
    DataView();
    ~DataView();
    DataView(const DataView&) = delete;
    DataView& operator=(const DataView&) = delete;

    // A new cookie for one stream.
    int NewCookie();
    HRESULT SetViewProperties(int cookie, QObject* window);
    HRESULT StartView(int cookie);
    HRESULT StopView(int cookie);
    bool IsRunning(int cookie) const;

    // Called from a streaming thread with each new frame of the encoder's video.
    void DeliverFrame(const QImage& frame);

private:
    struct Stream {
        QPointer<QObject> window;
        ViewPainter* painter = nullptr;  // lives on the window's thread
    };
    mutable std::mutex mutex_;
    std::map<int, Stream> streams_;
    int nextCookie_ = 1;
};

}  // namespace wavetap::engine
