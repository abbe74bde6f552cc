#include "push_bench_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace push_bench {

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

namespace {

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

pid_t Spawn(const std::vector<std::string>& argv, bool quiet) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (quiet) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

bool Platform::Start(const std::vector<std::string>& extra) {
    char pattern[] = "/tmp/castora-push-bench-XXXXXX";
    dataDir = ::mkdtemp(pattern);
    port = FreeLoopbackPort();
    mediaPort = FreeLoopbackPort();
    std::vector<std::string> argv = {CASTORA_BIN_DIR "/castora-platform", "--port", std::to_string(port), "--data",
                                     dataDir, "--ftp-port", "0", "--media-ports",
                                     std::to_string(mediaPort) + "," + std::to_string(FreeLoopbackPort())};
    argv.insert(argv.end(), extra.begin(), extra.end());
    pid = Spawn(argv);
    for (int i = 0; i < 200; ++i) {
        if (Accepts(mediaPort)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void Platform::Stop() {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
    std::system(("rm -rf '" + dataDir + "'").c_str());
}

double ProcessCpuSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return 0;
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    double ticks = 0;
    // utime and stime are fields 14 and 15 (the state is field 3).
    for (int index = 3; index <= 15 && fields >> field; ++index)
        if (index == 14 || index == 15) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

ChildRun RunChild(const std::vector<std::string>& argv, int timeoutS) {
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(argv);
    rusage usage{};
    int status = 0;
    for (;;) {
        const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(timeoutS)) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

namespace {

// One connection: the first data packet's time, or -1.
double TryFirstDataPacket(int port, const std::string& point, std::chrono::steady_clock::time_point start) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const std::string request =
        "GET /" + point + " HTTP/1.0\r\nUser-Agent: NSPlayer/7.0\r\nPragma: xPlayStrm=1\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string received;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
        // After the response head: framed packets, each '$', its id, a 16-bit length.
        std::size_t at = received.find("\r\n\r\n");
        if (at == std::string::npos) continue;
        at += 4;
        while (at + 4 <= received.size()) {
            if (received[at + 1] == 'D') {
                ::close(fd);
                return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            }
            at += 4 + (static_cast<unsigned char>(received[at + 2]) | (static_cast<unsigned char>(received[at + 3]) << 8));
        }
    }
    ::close(fd);
    return -1;
}

}  // namespace

double FirstDataPacketMs(int port, const std::string& point, std::chrono::steady_clock::time_point start, int retry) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(retry);
    for (;;) {
        const double ms = TryFirstDataPacket(port, point, start);
        if (ms >= 0 || std::chrono::steady_clock::now() >= giveUp) return ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace push_bench
