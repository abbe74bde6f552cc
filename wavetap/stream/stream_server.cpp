#include "wavetap/stream/stream_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "wavetap/stream/peer_address.h"
#include "wavetap/stream/stream_feed.h"
#include "wavetap/stream/stream_server_limits.h"
#include "wavetap/stream/viewer_connection.h"

namespace wavetap {

namespace {

constexpr int kPollIntervalMs = 250;
// Shown by ps and top for the server thread (at most 15 characters).
constexpr char kThreadName[] = "wavetap-stream";
// How long a closing connection may take to finish before it is cut.
constexpr auto kClosingGrace = std::chrono::seconds(2);
// How long to stop accepting when the process has run out of descriptors.
constexpr auto kAcceptPause = std::chrono::milliseconds(200);
// How often viewers' lag behind the live edge is measured (a system call per viewer).
constexpr auto kLagCheckInterval = std::chrono::milliseconds(500);

void Refuse(int fd)
{
    const QByteArray refusal = ErrorResponse(503);
    [[maybe_unused]] const ssize_t sent =
        ::send(fd, refusal.constData(), static_cast<std::size_t>(refusal.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
}

}  // namespace

class StreamServer::Impl {
public:
    explicit Impl(const StreamServerLimits& limits) : limits_(limits), feed_(limits) {}
    ~Impl() { Stop(); }

    bool Start(std::optional<quint16> port, int maxViewers);
    bool Adopt(int fd);
    void Stop();
    void Feed(const char* data, std::size_t size)
    {
        if (data != nullptr && size > 0 && feed_.Feed(data, size))
            Wake();
    }
    int ViewerCount() const { return viewerCount_.load(); }
    quint16 Port() const { return port_.load(); }

private:
    void Run();
    void Wake();
    void AcceptNew(Clock::time_point now);
    void AddConnection(int fd, Clock::time_point now);
    void TakeAdopted(Clock::time_point now);
    void HandOutPackets(Clock::time_point now);
    void HandleRequest(ViewerConnection& viewer, Clock::time_point now);
    void StartWaitingViewers(Clock::time_point now);
    void ApplyTimeouts(Clock::time_point now);
    void EndAll(Clock::time_point now);
    void RemoveClosed();
    bool MakeRoomForPending();
    int ServedViewers() const;
    int PendingConnections() const;

    const StreamServerLimits limits_;
    StreamFeed feed_;
    std::mutex lifecycleMutex_;
    std::mutex wakeMutex_;
    int wakeFd_ = -1;
    int listenFd_ = -1;
    int maxViewers_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> viewerCount_{0};
    std::atomic<quint16> port_{0};
    std::uint32_t nextClientId_ = std::random_device{}();
    Clock::time_point acceptPausedUntil_{};
    Clock::time_point nextLagCheck_{};
    std::unordered_map<std::string, int> perAddress_;  // open connections by peer address
    std::vector<std::unique_ptr<ViewerConnection>> viewers_;  // server thread only
    std::vector<int> adopted_;  // handed over by Adopt, not yet taken; under wakeMutex_
};

bool StreamServer::Impl::Start(std::optional<quint16> port, int maxViewers)
{
    std::lock_guard lock(lifecycleMutex_);
    if (thread_.joinable())
        return false;
    int fd = -1;
    sockaddr_in address{};
    if (port) {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(*port);
        socklen_t length = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, SOMAXCONN) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ::close(fd);
            return false;
        }
    }
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    {
        std::lock_guard wakeLock(wakeMutex_);
        wakeFd_ = wakeFd;
    }
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    maxViewers_ = maxViewers;
    stopping_ = false;
    feed_.SetHandOut(true);
    thread_ = std::thread(&Impl::Run, this);
    pthread_setname_np(thread_.native_handle(), kThreadName);
    return true;
}

void StreamServer::Impl::Stop()
{
    std::lock_guard lock(lifecycleMutex_);
    if (!thread_.joinable())
        return;
    stopping_ = true;
    Wake();
    thread_.join();
    feed_.SetHandOut(false);
    if (listenFd_ >= 0)
        ::close(listenFd_);
    listenFd_ = -1;
    {
        std::lock_guard wakeLock(wakeMutex_);
        ::close(wakeFd_);
        wakeFd_ = -1;
        for (const int fd : adopted_)
            ::close(fd);
        adopted_.clear();
    }
    port_ = 0;
    viewerCount_ = 0;
}

void StreamServer::Impl::Wake()
{
    std::lock_guard lock(wakeMutex_);
    if (wakeFd_ < 0)
        return;
    const std::uint64_t one = 1;
    // A full counter already means "wake up"; nothing else can go wrong here.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void StreamServer::Impl::Run()
{
    std::vector<pollfd> fds;
    while (!stopping_) {
        fds.clear();
        const bool accepting = Clock::now() >= acceptPausedUntil_;
        fds.push_back({accepting ? listenFd_ : -1, POLLIN, 0});
        fds.push_back({wakeFd_, POLLIN, 0});
        for (const auto& viewer : viewers_) {
            const short events =
                static_cast<short>((viewer->WantsInput() ? POLLIN : 0) | (viewer->HasOutput() ? POLLOUT : 0));
            fds.push_back({viewer->Fd(), events, 0});
        }
        if (::poll(fds.data(), fds.size(), kPollIntervalMs) < 0) {
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));  // short of memory: try again
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &count, sizeof count);
        }
        HandOutPackets(now);
        // New viewers are appended only after this loop, so fds and viewers_ stay aligned.
        for (std::size_t i = 0; i < viewers_.size(); ++i) {
            ViewerConnection& viewer = *viewers_[i];
            const short revents = fds[i + 2].revents;
            if (revents & (POLLIN | POLLHUP | POLLERR)) {
                viewer.OnReadable(now);
                if (viewer.CurrentPhase() == ViewerConnection::Phase::ReadingRequest &&
                    viewer.Request().CurrentState() == HttpRequest::State::Complete)
                    HandleRequest(viewer, now);
            }
            if ((revents & POLLHUP) && !viewer.Closed())
                viewer.Close();  // both directions are gone
            if (!viewer.Closed() && viewer.HasOutput())
                viewer.Flush(now);
        }
        if (fds[0].revents & POLLIN)
            AcceptNew(now);
        TakeAdopted(now);
        StartWaitingViewers(now);
        ApplyTimeouts(now);
        RemoveClosed();
        viewerCount_ = ServedViewers();
    }
    EndAll(Clock::now());
}

void StreamServer::Impl::AcceptNew(Clock::time_point now)
{
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                acceptPausedUntil_ = now + kAcceptPause;  // out of descriptors: let viewers leave first
            return;
        }
        AddConnection(fd, now);
    }
}

void StreamServer::Impl::AddConnection(int fd, Clock::time_point now)
{
    std::string address = PeerAddressOf(fd);
    if (!address.empty() && perAddress_[address] >= limits_.maxConnectionsPerAddress) {
        Refuse(fd);  // one client may not take the places of all others
        return;
    }
    if (PendingConnections() >= limits_.maxPendingConnections && !MakeRoomForPending()) {
        Refuse(fd);  // too many unanswered connections at once: refuse without waiting
        return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (!address.empty())
        ++perAddress_[address];
    viewers_.push_back(std::make_unique<ViewerConnection>(fd, nextClientId_++, std::move(address), now));
}

bool StreamServer::Impl::MakeRoomForPending()
{
    // The connection that has waited longest without sending a whole request head goes:
    // players send theirs at once, so it is the least likely to be one.
    ViewerConnection* oldest = nullptr;
    for (const auto& viewer : viewers_) {
        if (!viewer->Closed() && viewer->CurrentPhase() == ViewerConnection::Phase::ReadingRequest &&
            (!oldest || viewer->Since() < oldest->Since()))
            oldest = viewer.get();
    }
    if (!oldest)
        return false;
    oldest->Close();
    return true;
}

void StreamServer::Impl::RemoveClosed()
{
    std::erase_if(viewers_, [this](const auto& viewer) {
        if (!viewer->Closed())
            return false;
        const auto found = perAddress_.find(viewer->PeerAddress());
        if (found != perAddress_.end() && --found->second <= 0)
            perAddress_.erase(found);
        return true;
    });
}

bool StreamServer::Impl::Adopt(int fd)
{
    std::lock_guard lock(wakeMutex_);
    if (wakeFd_ < 0 || fd < 0)
        return false;
    adopted_.push_back(fd);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    return true;
}

void StreamServer::Impl::TakeAdopted(Clock::time_point now)
{
    std::vector<int> taken;
    {
        std::lock_guard lock(wakeMutex_);
        taken.swap(adopted_);
    }
    for (const int fd : taken) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
            ::close(fd);
            continue;
        }
        AddConnection(fd, now);
    }
}

void StreamServer::Impl::HandOutPackets(Clock::time_point now)
{
    StreamFeed::Batch batch = feed_.TakePending();
    if (batch.packets.empty() && !batch.lostPackets)
        return;
    for (const auto& viewer : viewers_) {
        if (viewer->CurrentPhase() != ViewerConnection::Phase::Streaming)
            continue;
        if (batch.lostPackets)
            viewer->Resync();
        for (const StreamPacket& packet : batch.packets)
            viewer->Offer(packet, limits_.maxQueuedBytesPerViewer, now);
        viewer->Flush(now);
    }
}

void StreamServer::Impl::HandleRequest(ViewerConnection& viewer, Clock::time_point now)
{
    if (viewer.Request().Method() != "GET") {
        viewer.Answer(ErrorResponse(405), now);
        return;
    }
    const ViewerKind kind = ClassifyRequest(viewer.Request());
    // A describe request only fetches the header and does not take a viewer's place.
    if (kind != ViewerKind::Describe && ServedViewers() >= maxViewers_) {
        viewer.Answer(ErrorResponse(503), now);
        return;
    }
    viewer.WaitForStream(kind, now);
}

void StreamServer::Impl::StartWaitingViewers(Clock::time_point now)
{
    StreamStart start;
    for (const auto& viewer : viewers_) {
        if (viewer->CurrentPhase() != ViewerConnection::Phase::WaitingForStream)
            continue;
        if (start.header.isEmpty()) {
            start = feed_.Snapshot();
            if (start.header.isEmpty())
                return;  // no stream yet
        }
        if (viewer->Kind() == ViewerKind::Describe) {
            const QByteArray framed = FramedHeader(start.header);
            viewer->Answer(DescribeResponseHead(0, static_cast<std::size_t>(framed.size())) + framed, now);
        } else {
            viewer->StartStreaming(start, now);
        }
        viewer->Flush(now);
    }
}

void StreamServer::Impl::ApplyTimeouts(Clock::time_point now)
{
    using std::chrono::milliseconds;
    const bool checkLag = now >= nextLagCheck_;
    if (checkLag)
        nextLagCheck_ = now + kLagCheckInterval;
    for (const auto& viewer : viewers_) {
        const Clock::duration waited = now - viewer->Since();
        switch (viewer->CurrentPhase()) {
        case ViewerConnection::Phase::ReadingRequest:
            if (waited > milliseconds(limits_.requestTimeoutMs))
                viewer->Close();
            break;
        case ViewerConnection::Phase::WaitingForStream:
            if (waited > milliseconds(limits_.headerWaitTimeoutMs)) {
                viewer->Answer(ErrorResponse(503), now);
                viewer->Flush(now);
            }
            break;
        case ViewerConnection::Phase::Streaming:
            // Takes nothing, or too little to follow the stream: give its place to someone else.
            if (viewer->StalledFor(milliseconds(limits_.stallTimeoutMs), now) ||
                (checkLag && viewer->Lag(now) > milliseconds(limits_.maxViewerLagMs)))
                viewer->Close();
            break;
        case ViewerConnection::Phase::Closing:
            if (waited > kClosingGrace)
                viewer->Close();
            break;
        }
    }
}

void StreamServer::Impl::EndAll(Clock::time_point now)
{
    for (const auto& viewer : viewers_) {
        if (viewer->CurrentPhase() == ViewerConnection::Phase::Streaming) {
            viewer->EndStream(now);
            viewer->Flush(now);  // one try: a viewer that takes nothing is not waited for
        }
        viewer->Close();
    }
    viewers_.clear();
    perAddress_.clear();
}

int StreamServer::Impl::ServedViewers() const
{
    int count = 0;
    for (const auto& viewer : viewers_) {
        const auto phase = viewer->CurrentPhase();
        if (!viewer->Closed() && (phase == ViewerConnection::Phase::Streaming ||
                                  (phase == ViewerConnection::Phase::WaitingForStream &&
                                   viewer->Kind() != ViewerKind::Describe)))
            ++count;
    }
    return count;
}

int StreamServer::Impl::PendingConnections() const
{
    int count = 0;
    for (const auto& viewer : viewers_)
        count += viewer->Closed() ? 0 : 1;
    return count - ServedViewers();
}

StreamServer::StreamServer() : StreamServer(StreamServerLimits{}) {}

StreamServer::StreamServer(const StreamServerLimits& limits) : impl_(std::make_unique<Impl>(limits)) {}

StreamServer::~StreamServer() = default;

bool StreamServer::Start(quint16 port, int maxViewers)
{
    return impl_->Start(port, maxViewers);
}

bool StreamServer::StartDetached(int maxViewers)
{
    return impl_->Start(std::nullopt, maxViewers);
}

bool StreamServer::Adopt(int fd)
{
    return impl_->Adopt(fd);
}

void StreamServer::Stop()
{
    impl_->Stop();
}

void StreamServer::FeedAsf(const char* data, size_t size)
{
    impl_->Feed(data, size);
}

int StreamServer::ViewerCount() const
{
    return impl_->ViewerCount();
}

quint16 StreamServer::Port() const
{
    return impl_->Port();
}

}  // namespace wavetap
