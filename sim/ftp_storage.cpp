#include "sim/ftp_storage.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <thread>

namespace sim {
namespace {

// The server reads its settings as JSON on standard input, so passwords never show
// on a command line.
const char* kServerScript = R"PY(
import json, logging, os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

cfg = json.loads(sys.stdin.read())
sys.stdin.close()
if cfg.get("log"):
    logging.basicConfig(filename=cfg["log"], level=logging.INFO,
                        format="%(asctime)s %(message)s")
else:
    logging.basicConfig(level=logging.WARNING)
authorizer = DummyAuthorizer()
for account in cfg["accounts"]:
    os.makedirs(account["home"], exist_ok=True)
    authorizer.add_user(account["user"], account["password"], account["home"], perm="elradfmwMT")
handler = FTPHandler
handler.authorizer = authorizer
handler.banner = "castora-platform storage ready."
handler.passive_ports = range(cfg["passiveFirst"], cfg["passiveLast"] + 1)
if cfg["readLimit"] > 0:
    dtp = ThrottledDTPHandler
    dtp.read_limit = cfg["readLimit"]
    handler.dtp_handler = dtp
server = FTPServer((cfg["host"], cfg["port"]), handler)
server.serve_forever()
)PY";

bool Accepts(const std::string& host, int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

bool FtpStorage::Start(const FtpStorageSettings& s, const std::vector<FtpAccount>& accounts, std::string& error) {
  if (!std::filesystem::exists(s.python)) {
    error = s.python + " not found (install python3-pyftpdlib)";
    return false;
  }
  QJsonArray list;
  for (const auto& a : accounts) {
    list.append(QJsonObject{{"user", QString::fromStdString(a.user)},
                            {"password", QString::fromStdString(a.password)},
                            {"home", QString::fromStdString(a.home)}});
  }
  QJsonObject cfg{{"host", QString::fromStdString(s.host)}, {"port", s.port},
                  {"passiveFirst", s.passiveFirst},         {"passiveLast", s.passiveLast},
                  {"readLimit", s.readLimit},
                  {"log", QString::fromStdString(s.logFile)}, {"accounts", list}};
  const QByteArray json = QJsonDocument(cfg).toJson(QJsonDocument::Compact);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    error = "cannot create a pipe for the FTP server";
    return false;
  }
  const pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    error = "cannot start the FTP server";
    return false;
  }
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    sigset_t all;
    sigfillset(&all);
    ::sigprocmask(SIG_UNBLOCK, &all, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(pipeFds[0], STDIN_FILENO);
    // Debian's interpreter by its full path, isolated (-I) from the environment's
    // PYTHONPATH and the user's site folder, so it finds Debian's pyftpdlib.
    ::execl(s.python.c_str(), "python3", "-I", "-c", kServerScript, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  pid_ = pid;
  ::close(pipeFds[0]);
  const char* data = json.constData();
  size_t left = static_cast<size_t>(json.size());
  while (left > 0) {
    ssize_t n = ::write(pipeFds[1], data, left);
    if (n <= 0) break;
    data += n;
    left -= static_cast<size_t>(n);
  }
  ::close(pipeFds[1]);

  for (int i = 0; i < 200; ++i) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error = "the FTP server ended at start (is python3-pyftpdlib installed and port " + std::to_string(s.port) +
              " free?)";
      return false;
    }
    if (Accepts(s.host, s.port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Stop();
  error = "the FTP server did not open port " + std::to_string(s.port);
  return false;
}

void FtpStorage::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 60; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace sim
