// Feeds arbitrary server bytes to the reply reader, the PASV parser and the sign-in walk.
// The first byte picks how the bytes are split into network reads and which part runs.

#include "ftp/ftp_client.h"
#include "ftp/ftp_reply.h"
#include "ftp/passive_reply.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// A socket whose peer sends the fuzz input, `chunk` bytes per read, then falls silent.
class ScriptedSocket : public nsSocket::IBlockingSocket {
public:
    ScriptedSocket(const std::uint8_t* data, size_t size, int chunk) : data(data), size(size), chunk(chunk) {}

    std::unique_ptr<IBlockingSocket> CreateInstance() const override {
        return std::make_unique<ScriptedSocket>(nullptr, 0, 1);
    }
    void Create(int) override { open = true; }
    void Connect(const nsSocket::SocketAddress&) override {}
    void Bind(const nsSocket::SocketAddress&) override {}
    void Listen() override {}
    void Cleanup() override { open = false; }
    bool Accept(IBlockingSocket&, nsSocket::SocketAddress*) override { return false; }
    void Close() override { open = false; }
    int Write(const char*, int length, int) override { return length; }
    int ReceiveWithin(char* buffer, int bufferSize, int) override { return Receive(buffer, bufferSize, 0); }
    int Receive(char* buffer, int bufferSize, int) override {
        if (offset >= size) throw nsSocket::CBlockingSocketException(QStringLiteral("Receive timeout"), 0);
        const size_t count = std::min({size - offset, static_cast<size_t>(bufferSize), static_cast<size_t>(chunk)});
        std::memcpy(buffer, data + offset, count);
        offset += count;
        return static_cast<int>(count);
    }
    void GetSockName(nsSocket::SocketAddress* address) override { *address = nsSocket::MakeAddress(0x7f000001, 1025); }
    void GetPeerName(nsSocket::SocketAddress* address) override { *address = nsSocket::MakeAddress(0x7f000001, 21); }
    explicit operator int() const override { return open ? 3 : -1; }
    bool CheckReadability() override { return offset < size; }
    nsSocket::SocketAddress GetHostByName(const QString&, std::uint16_t port) override {
        return nsSocket::MakeAddress(0x7f000001, port);
    }
    QString GetHostByAddr(const nsSocket::SocketAddress&) override { return QStringLiteral("localhost"); }

private:
    const std::uint8_t* data;
    size_t size;
    int chunk;
    size_t offset = 0;
    bool open = false;
};

void ReadReplies(const std::uint8_t* data, size_t size, int chunk) {
    ScriptedSocket socket(data, size, chunk);
    socket.Create(SOCK_STREAM);
    nsFTP::CReplyReader reader(64, 1, 0);
    nsFTP::FtpReply reply;
    QString error;
    try {
        while (reader.ReadReply(socket, &reply, &error)) {
            nsSocket::SocketAddress address{};
            nsFTP::ParsePassiveReply(reply.text, &address);
        }
    } catch (const nsSocket::CBlockingSocketException&) {
    }
}

void SignIn(const std::uint8_t* data, size_t size, int chunk, int firewallType) {
    nsFTP::CFTPClient client(std::make_unique<ScriptedSocket>(data, size, chunk), 1, 2048, 0);
    nsFTP::CLogonInfo logon;
    logon.host = QStringLiteral("127.0.0.1");
    logon.firewallHost = QStringLiteral("127.0.0.1");
    logon.firewallType = firewallType;
    if (client.Login(logon, nullptr, nullptr)) {
        long long remoteSize = 0;
        client.FileSize(QStringLiteral("a.wmv"), remoteSize);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::uint8_t control = data[0];
    const int chunk = 1 + (control & 0x3f) * 37;
    if (control & 0x80) SignIn(data + 1, size - 1, chunk, (control >> 6 & 1) ? control % nsFTP::kFirewallTypeCount : 0);
    else ReadReplies(data + 1, size - 1, chunk);
    return 0;
}
