// The platform's routes answered on a connection the front end has read a request from:
// the library sees the client's own addresses, writes its answer there, and says
// whether the connection can take another request.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "sim/route_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// Both ends of a loopback TCP connection.
struct Connection {
  int client = -1;
  int server = -1;
  int clientPort = 0;

  Connection() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ::close(listener);
      return;
    }
    client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      sockaddr_in own{};
      length = sizeof own;
      ::getsockname(client, reinterpret_cast<sockaddr*>(&own), &length);
      clientPort = ntohs(own.sin_port);
    }
    ::close(listener);
    const timeval timeout{5, 0};
    ::setsockopt(server, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  }
  ~Connection() {
    if (client >= 0) ::close(client);
    if (server >= 0) ::close(server);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // What the client has been sent by now.
  std::string Received() const {
    std::string got;
    char buffer[8192];
    for (;;) {
      pollfd entry{client, POLLIN, 0};
      if (::poll(&entry, 1, 200) <= 0) return got;
      const ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
      if (count <= 0) return got;
      got.append(buffer, static_cast<std::size_t>(count));
    }
  }
};

class RouteServerTest : public ::testing::Test {
 protected:
  sim::RouteServer server;

  void SetUp() override {
    server.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content("got " + std::to_string(req.body.size()) + " from " + req.remote_addr + ":" +
                          std::to_string(req.remote_port),
                      "text/plain");
    });
    server.Get("/page", [](const httplib::Request&, httplib::Response& res) { res.set_content("page", "text/plain"); });
  }
};

TEST_F(RouteServerTest, AnswersOnTheClientsConnectionAndSeesItsAddress) {
  Connection c;
  ASSERT_GE(c.server, 0);
  const std::string body(100000, 'x');
  const std::string request = "POST /echo HTTP/1.1\r\nHost: a\r\nContent-Length: " + std::to_string(body.size()) +
                              "\r\nConnection: Keep-Alive\r\n\r\n" + body;
  std::string answer;
  std::thread reader([&] { answer = c.Received(); });
  EXPECT_TRUE(server.Answer(c.server, request, true));
  reader.join();
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer;
  EXPECT_NE(answer.find("Keep-Alive: "), std::string::npos) << answer;
  EXPECT_EQ(answer.find("Connection: close"), std::string::npos) << answer;
  EXPECT_NE(answer.find("\r\n\r\ngot 100000 from 127.0.0.1:" + std::to_string(c.clientPort)), std::string::npos) << answer;
}

TEST_F(RouteServerTest, AConnectionNotKeptIsToldSoAndHeadAnswersCarryNoBody) {
  Connection c;
  ASSERT_GE(c.server, 0);
  EXPECT_FALSE(server.Answer(c.server, "GET /page HTTP/1.1\r\nHost: a\r\nConnection: Keep-Alive\r\n\r\n", false));
  const std::string closing = c.Received();
  EXPECT_NE(closing.find("Connection: close\r\n"), std::string::npos) << closing;
  EXPECT_NE(closing.find("\r\n\r\npage"), std::string::npos) << closing;

  EXPECT_TRUE(server.Answer(c.server, "HEAD /page HTTP/1.1\r\nHost: a\r\nConnection: Keep-Alive\r\n\r\n", true));
  const std::string head = c.Received();
  EXPECT_NE(head.find("Content-Length: 4\r\n"), std::string::npos) << head;
  EXPECT_EQ(head.size(), head.find("\r\n\r\n") + 4) << head;

  EXPECT_TRUE(server.Answer(c.server, "GET /missing HTTP/1.1\r\nHost: a\r\nConnection: Keep-Alive\r\n\r\n", true));
  EXPECT_EQ(c.Received().rfind("HTTP/1.1 404 ", 0), 0u);
  // A request the library cannot read ends the connection, and the answer says so.
  EXPECT_FALSE(server.Answer(c.server, "garbage\r\n\r\n", true));
  const std::string bad = c.Received();
  EXPECT_EQ(bad.rfind("HTTP/1.1 400 ", 0), 0u) << bad;
  EXPECT_NE(bad.find("Connection: close\r\n"), std::string::npos) << bad;
  EXPECT_EQ(bad.find("Connection: keep-alive"), std::string::npos) << bad;
}

TEST_F(RouteServerTest, AGoneClientOrAShutdownEndsAnAnswerInsteadOfHangingOrKilling) {
  // An answer that would never end, as a download to a reader that stays.
  server.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
      const std::string piece(4096, 'z');
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return sink.write(piece.data(), piece.size());
    });
  });
  const std::string endless = "GET /endless HTTP/1.1\r\nHost: a\r\nConnection: Keep-Alive\r\n\r\n";
  {
    Connection c;
    ASSERT_GE(c.server, 0);
    ::close(c.client);  // written to, the socket raises SIGPIPE unless the write avoids it
    c.client = -1;
    const auto start = Clock::now();
    EXPECT_FALSE(server.Answer(c.server, endless, true));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  }
  {
    Connection c;
    ASSERT_GE(c.server, 0);
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      server.Shutdown();
    });
    std::thread reader([&] {
      char buffer[65536];
      while (::recv(c.client, buffer, sizeof buffer, 0) > 0) {
      }
    });
    const auto start = Clock::now();
    EXPECT_FALSE(server.Answer(c.server, endless, true));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    stopper.join();
    ::shutdown(c.server, SHUT_RDWR);
    reader.join();
  }
}

}  // namespace
