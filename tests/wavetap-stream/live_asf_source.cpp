#include "live_asf_source.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

LiveAsfSource::LiveAsfSource(Sink sink, const TestAsfFormat& format) : sink_(std::move(sink)), format_(format) {}

LiveAsfSource::~LiveAsfSource()
{
    Stop();
}

bool LiveAsfSource::Start()
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    const std::vector<std::string> args = TestAsfPipeline(true, 0, format_);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    reader_ = std::thread(&LiveAsfSource::Pump, this, pipeFds[0]);
    return true;
}

void LiveAsfSource::Pump(int fd)
{
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        sink_(buffer, static_cast<std::size_t>(got));
        bytesFed_ += static_cast<std::size_t>(got);
    }
    ::close(fd);
}

void LiveAsfSource::Stop()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (reader_.joinable())
        reader_.join();
}
