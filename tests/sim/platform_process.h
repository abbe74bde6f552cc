#pragma once
// Runs the built castora-platform for a test: free loopback ports, a temporary data
// folder, and SOAP calls over HTTP.

#include <httplib.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/xml_tree.h"

namespace simtest {

int FreeLoopbackPort();

struct SoapReply {
  int status = 0;  // 0 when no answer came
  std::string body;
  std::string contentType;
  std::string setCookie;
  std::unique_ptr<sim::XmlElement> xml;

  // The `return` element of an answer, or null.
  const sim::XmlElement* Return() const;
  // Text of a scalar `return`, or "<absent>".
  std::string ReturnText() const;
  // Text of a field of `return`; "<nil>" for a nil string, "<absent>" when missing.
  std::string Field(const std::string& name) const;
  // The local part of a fault's code, or empty.
  std::string FaultCode() const;
  std::string FaultString() const;
};

class PlatformProcess {
 public:
  // `extraArgs` are added to --port, --data and --ftp-port.
  explicit PlatformProcess(std::vector<std::string> extraArgs = {}, bool withFtp = false);
  ~PlatformProcess();

  // Starts the platform and waits until it accepts connections; false when it exits.
  bool Start();
  // For the next Start: run with or without the FTP storage (on the same port as
  // before), and with these extra arguments. A platform made without FTP gets a port.
  void SetFtpEnabled(bool on);
  void SetExtraArgs(std::vector<std::string> extraArgs) { extraArgs_ = std::move(extraArgs); }
  bool Running() const { return pid_ > 0; }
  // Sends `signal` and waits; returns the exit status.
  int Stop(int signal = 15);

  int port() const { return port_; }
  int ftpPort() const { return ftpPort_ != 0 ? ftpPort_ : ftpPortWhenOn_; }
  const std::string& dataDir() const { return dataDir_; }

  // Posts one envelope whose body holds `operation` with `innerXml`.
  SoapReply Call(const std::string& operation, const std::string& innerXml, const std::string& sessionId = "");
  // Posts raw bytes to the service path.
  SoapReply Post(const std::string& body, const httplib::Headers& headers);
  std::string Get(const std::string& path, int* status = nullptr);

  // The state page's row of a media server's publishing point, as "state|viewers|packets"
  // ("free|0|0", "live, pushing|1|120"); "<none>" when the page has no such row.
  std::string LivePointRow(int serverId, const std::string& point);
  // Waits up to timeoutMs for that row to start with `prefix`.
  bool WaitForLivePoint(int serverId, const std::string& point, const std::string& prefix, int timeoutMs = 5000);

  // Signs in and returns the session id (empty when refused).
  std::string Login(const std::string& user, const std::string& password);

 private:
  std::vector<std::string> extraArgs_;
  int port_ = 0;
  int ftpPort_ = 0;
  int ftpPortWhenOn_ = 0;
  std::string dataDir_;
  pid_t pid_ = -1;
};

std::string Envelope(const std::string& operation, const std::string& innerXml);
std::string Md5Hex(const std::string& bytes);
bool PortAccepts(int port);

}  // namespace simtest
