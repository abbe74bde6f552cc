#pragma once
// Shared pieces of the live encoder benchmarks: an application, an owner that counts
// notifications, message pumping, CPU and memory readings, the test devices.

#include "platform/messages.h"
#include "wavetap/wavetap.h"

#include <QString>

#include <memory>

namespace wavetap_bench {

class CountingOwner : public platform::MessageTarget {
public:
    int started = 0;
    int stopped = 0;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) override;
};

// Makes the QApplication and writes the test devices beside the program.
void InitBench(int& argc, char** argv);
void PumpFor(int milliseconds);
// CPU seconds (user + system) of this process, and of its waited-for children.
double SelfCpuSeconds();
double ChildrenCpuSeconds();
// Resident set size of this process in MiB.
double ResidentMiB();
QString ProfileDir();
// A media file made with ffmpeg, or empty.
QString MakeBenchClip(const QString& path, double seconds, int width, int height);

inline constexpr const char* kCamera = "DEVICE://Test Camera";
inline constexpr const char* kMicrophone = "DEVICE://Test Microphone";
inline constexpr const char* kBusyCamera = "DEVICE://Busy Camera";

}  // namespace wavetap_bench
