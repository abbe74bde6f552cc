#pragma once
// The bus of a run's pipeline: a watch that delivers its messages on the thread that
// builds the run (while that thread pumps), and the wait for the end of the stream.

#include "engine/results.h"

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GSource GSource;

namespace wavetap::engine {

using BusHandler = int (*)(GstBus* bus, GstMessage* message, void* data);

// Attaches a watch of the pipeline's bus to the calling thread's main context.
GSource* WatchPipelineBus(GstElement* pipeline, BusHandler handler, void* data);
void ReleaseBusWatch(GSource* watch);
// Waits up to timeoutSeconds for the end of the stream: S_OK, or E_FAIL on an error or none.
HRESULT WaitForEndOfStream(GstElement* pipeline, int timeoutSeconds);

}  // namespace wavetap::engine
