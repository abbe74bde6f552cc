#pragma once
// What the encoder asks of the pipeline of one run, whichever kind it is: the live
// timeline of groups (RunGraph) or the transcode of one file to another (TranscodeGraph).

#include "engine/results.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace wavetap::engine {

class SourceGroup;

class EncodingGraph {
public:
    virtual ~EncodingGraph() = default;
    // Builds the pipeline for the groups of the run.
    virtual HRESULT Build(const std::vector<SourceGroup*>& groups, QString* reason) = 0;
    // Starts encoding with the group shown.
    virtual HRESULT Play(SourceGroup* active, QString* reason) = 0;
    // Shows `to` instead of `from` (either may be null).
    virtual HRESULT Switch(SourceGroup* from, SourceGroup* to) = 0;
    // Ends the stream so the archive gets its header and index, then stops everything.
    virtual HRESULT Finish() = 0;
    // How much of the output is encoded, in nanoseconds.
    virtual std::int64_t RunningTime() const = 0;
};

}  // namespace wavetap::engine
