#include "platform_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "sim/password_digest.h"

namespace simtest {

int FreeLoopbackPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

bool PortAccepts(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

std::string Md5Hex(const std::string& password) { return sim::PasswordDigest(password); }

std::string Envelope(const std::string& operation, const std::string& innerXml) {
  return "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body><" +
         operation + " xmlns=\"http://service.castora.com\">" + innerXml + "</" + operation +
         "></soap:Body></soap:Envelope>";
}

const sim::XmlElement* SoapReply::Return() const {
  if (!xml) return nullptr;
  const sim::XmlElement* body = xml->Child("Body");
  if (!body || body->children.empty()) return nullptr;
  return body->children.front().Child("return");
}

std::string SoapReply::ReturnText() const {
  const sim::XmlElement* r = Return();
  return r ? r->text : "<absent>";
}

std::string SoapReply::Field(const std::string& name) const {
  const sim::XmlElement* r = Return();
  const sim::XmlElement* f = r ? r->Child(name) : nullptr;
  if (!f) return "<absent>";
  if (!f->Attribute("http://www.w3.org/2001/XMLSchema-instance", "nil").empty()) return "<nil>";
  return f->text;
}

std::string SoapReply::FaultCode() const {
  const sim::XmlElement* body = xml ? xml->Child("Body") : nullptr;
  const sim::XmlElement* fault = body ? body->Child("Fault") : nullptr;
  const sim::XmlElement* code = fault ? fault->Child("faultcode") : nullptr;
  if (!code) return {};
  auto colon = code->text.find(':');
  return colon == std::string::npos ? code->text : code->text.substr(colon + 1);
}

std::string SoapReply::FaultString() const {
  const sim::XmlElement* body = xml ? xml->Child("Body") : nullptr;
  const sim::XmlElement* fault = body ? body->Child("Fault") : nullptr;
  const sim::XmlElement* s = fault ? fault->Child("faultstring") : nullptr;
  return s ? s->text : std::string();
}

PlatformProcess::PlatformProcess(std::vector<std::string> extraArgs, bool withFtp)
    : extraArgs_(std::move(extraArgs)), port_(FreeLoopbackPort()), ftpPort_(withFtp ? FreeLoopbackPort() : 0) {
  char pattern[] = "/tmp/castora-sim-XXXXXX";
  dataDir_ = ::mkdtemp(pattern);
}

PlatformProcess::~PlatformProcess() {
  Stop();
  std::error_code ec;
  std::filesystem::remove_all(dataDir_, ec);
}

void PlatformProcess::SetFtpEnabled(bool on) {
  if (ftpPortWhenOn_ == 0) ftpPortWhenOn_ = ftpPort_ != 0 ? ftpPort_ : FreeLoopbackPort();
  ftpPort_ = on ? ftpPortWhenOn_ : 0;
}

bool PlatformProcess::Start() {
  std::vector<std::string> args = {CASTORA_BIN_DIR "/castora-platform", "--port", std::to_string(port_),
                                   "--data", dataDir_, "--ftp-port", std::to_string(ftpPort_)};
  if (ftpPort_ != 0) {
    // A passive range of its own per run keeps parallel tests apart.
    int first = 20000 + (ftpPort_ % 20000);
    args.insert(args.end(), {"--ftp-passive-ports", std::to_string(first) + "-" + std::to_string(first + 20)});
  }
  args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
  std::string log = dataDir_ + "/platform.log";
  pid_ = ::fork();
  if (pid_ == 0) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    FILE* out = std::fopen(log.c_str(), "a");
    if (out) {
      ::dup2(fileno(out), STDOUT_FILENO);
      ::dup2(fileno(out), STDERR_FILENO);
    }
    // Started the way a shell starts a background job: SIGINT ignored.
    ::signal(SIGINT, SIG_IGN);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  for (int i = 0; i < 300; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    if (PortAccepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

int PlatformProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, signal);
  int status = 0;
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return -9;
}

SoapReply PlatformProcess::Post(const std::string& body, const httplib::Headers& headers) {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(10, 0);
  SoapReply reply;
  auto res = client.Post("/vekservices/ClientService", headers, body, "text/xml; charset=utf-8");
  if (!res) return reply;
  reply.status = res->status;
  reply.body = res->body;
  reply.contentType = res->get_header_value("Content-Type");
  reply.setCookie = res->get_header_value("Set-Cookie");
  std::string error;
  reply.xml = sim::ParseXml(reply.body, error);
  return reply;
}

SoapReply PlatformProcess::Call(const std::string& operation, const std::string& innerXml,
                                const std::string& sessionId) {
  httplib::Headers headers{{"SOAPAction", "\"\""}, {"Accept", "text/xml"},
                           {"User-Agent", "Microsoft-ATL-Native/8.00"}};
  if (!sessionId.empty()) headers.emplace("Cookie", "JSESSIONID=" + sessionId);
  return Post(Envelope(operation, innerXml), headers);
}

std::string PlatformProcess::Get(const std::string& path, int* status) {
  httplib::Client client("127.0.0.1", port_);
  auto res = client.Get(path.c_str());
  if (status) *status = res ? res->status : 0;
  return res ? res->body : std::string();
}

std::string PlatformProcess::LivePointRow(int serverId, const std::string& point) {
  const std::string page = Get("/");
  const std::string cells = "<tr><td>" + std::to_string(serverId) + "</td><td>" + point + "</td><td>";
  const auto table = page.find("<h2>Live points</h2>");
  const auto at = table == std::string::npos ? table : page.find(cells, table);
  if (at == std::string::npos) return "<none>";
  std::string row = page.substr(at + cells.size(), page.find("</tr>", at) - at - cells.size());
  std::string out;
  for (std::size_t pos = 0; pos < row.size();) {
    if (row.compare(pos, 9, "</td><td>") == 0) {
      out += '|';
      pos += 9;
    } else if (row.compare(pos, 5, "</td>") == 0) {
      pos += 5;
    } else {
      out += row[pos++];
    }
  }
  return out;
}

bool PlatformProcess::WaitForLivePoint(int serverId, const std::string& point, const std::string& prefix,
                                       int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 50) {
    if (LivePointRow(serverId, point).rfind(prefix, 0) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string PlatformProcess::Login(const std::string& user, const std::string& password) {
  SoapReply r = Call("login", "<userName>" + user + "</userName><passWord>" + Md5Hex(password) + "</passWord>");
  std::string id = r.Field("sessionId");
  return r.status == 200 && id != "<nil>" && id != "<absent>" ? id : std::string();
}

}  // namespace simtest
