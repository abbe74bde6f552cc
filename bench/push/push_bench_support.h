#pragma once
// Shared pieces of the push benchmarks: castora-platform started on free loopback ports,
// child processes timed with the kernel's accounting, CPU readings of running processes.

#include <sys/types.h>

#include <chrono>

#include <string>
#include <vector>

namespace push_bench {

int FreeLoopbackPort();

// castora-platform with its media server 1 on mediaPort (data in a temporary folder).
struct Platform {
    pid_t pid = -1;
    int port = 0;
    int mediaPort = 0;
    std::string dataDir;
    bool Start(const std::vector<std::string>& extra = {});
    void Stop();
    ~Platform() { Stop(); }
};

pid_t Spawn(const std::vector<std::string>& argv, bool quiet = true);
// CPU seconds (user + system) a running process has used so far.
double ProcessCpuSeconds(pid_t pid);

struct ChildRun {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int status = -1;
};
// Runs the program to its end (killed after timeoutS) and reads its CPU from wait4.
ChildRun RunChild(const std::vector<std::string>& argv, int timeoutS);

double Median(std::vector<double> values);

// A player of `point` on the media server at `port`: the time in milliseconds from
// `start` until its first data packet ($D after the $H header); -1 when none came within
// ten seconds of waiting on one connection. With `retry`, a refused or empty answer (the
// point not pushed yet) is tried again every 10 ms until `retry` milliseconds have passed.
double FirstDataPacketMs(int port, const std::string& point, std::chrono::steady_clock::time_point start,
                         int retry = 0);

}  // namespace push_bench
