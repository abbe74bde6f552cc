#include "viewer_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "wavetap/stream/asf_format.h"

const char kMmshDescribeRequest[] =
    "GET / HTTP/1.1\r\nAccept: */*\r\nUser-Agent: NSPlayer/4.1.0.3856\r\nHost: 127.0.0.1\r\n"
    "Pragma: no-cache,rate=1.000000,stream-time=0,stream-offset=0:0,request-context=1,max-duration=0\r\n"
    "Pragma: xClientGUID={c77e7400-738a-11d2-9add-0020af0a3278}\r\nConnection: Close\r\n\r\n";
const char kMmshPlayRequest[] =
    "GET / HTTP/1.1\r\nAccept: */*\r\nUser-Agent: NSPlayer/4.1.0.3856\r\nHost: 127.0.0.1\r\n"
    "Pragma: no-cache,rate=1.000000,request-context=2\r\nPragma: xPlayStrm=1\r\n"
    "Pragma: xClientGUID={c77e7400-738a-11d2-9add-0020af0a3278}\r\n"
    "Pragma: stream-switch-count=2\r\nPragma: stream-switch-entry=ffff:1:0 ffff:2:0 \r\n"
    "Connection: Close\r\n\r\n";
const char kPlainRequest[] = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: curl/7.88.1\r\nAccept: */*\r\n\r\n";

std::unique_ptr<ViewerClient> ViewerClient::Connect(quint16 port, const std::string& request, int receiveBuffer,
                                                   const char* fromAddress)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    if (::inet_pton(AF_INET, fromAddress, &source.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
        ::close(fd);
        return nullptr;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ViewerClient>(new ViewerClient(fd));
}

ViewerClient::~ViewerClient()
{
    ::close(fd_);
}

void ViewerClient::FinishSending()
{
    ::shutdown(fd_, SHUT_WR);
}

bool ViewerClient::ReadAvailable()
{
    char buffer[65536];
    while (!ended_) {
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            received_.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        ended_ = true;
    }
    return !ended_;
}

bool ViewerClient::ReadUntil(const std::function<bool(const std::string&)>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (ReadAvailable() && !done(received_)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd{fd_, POLLIN, 0};
        ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
    }
    return done(received_);
}

std::string ViewerClient::Head() const
{
    const std::size_t end = received_.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : received_.substr(0, end + 4);
}

std::string ViewerClient::Body() const
{
    const std::size_t end = received_.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : received_.substr(end + 4);
}

std::vector<MmsFrame> ParseFrames(const std::string& body, std::size_t* consumed)
{
    std::vector<MmsFrame> frames;
    std::size_t pos = 0;
    while (body.size() - pos >= 4) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(body.data() + pos);
        const std::uint32_t length = wavetap::asf::ReadLe16(p + 2);
        if (body.size() - pos < 4 + length)
            break;
        MmsFrame frame;
        frame.type = static_cast<char>(p[1]);
        if ((p[0] & 0x7F) != '$')
            break;
        if (frame.type == 'E') {
            frame.payload = body.substr(pos + 4, length);
        } else if (length >= 8) {
            frame.locationId = wavetap::asf::ReadLe32(p + 4);
            frame.afFlags = p[9];
            frame.payload = body.substr(pos + 12, length - 8);
        }
        frames.push_back(std::move(frame));
        pos += 4 + length;
    }
    if (consumed)
        *consumed = pos;
    return frames;
}

void ReadAll(const std::vector<ViewerClient*>& viewers, std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::vector<pollfd> fds;
    while (std::chrono::steady_clock::now() < deadline) {
        fds.clear();
        for (ViewerClient* viewer : viewers)
            fds.push_back({viewer->Fd(), static_cast<short>(viewer->Ended() ? 0 : POLLIN), 0});
        ::poll(fds.data(), fds.size(), 50);
        for (std::size_t i = 0; i < viewers.size(); ++i) {
            if (fds[i].revents)
                viewers[i]->ReadAvailable();
        }
    }
}
