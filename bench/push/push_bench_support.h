#pragma once
// Shared pieces of the push benchmarks: castora-platform started on free loopback ports,
// child processes timed with the kernel's accounting, CPU readings of running processes.

#include <sys/types.h>

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

}  // namespace push_bench
