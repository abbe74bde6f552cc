#pragma once
// The platform's FTP storage: Debian's pyftpdlib run as a child process, rooted in the
// data folder, with one account per company. The child ends with this object, and also
// when the platform process dies.

#include <sys/types.h>

#include <string>
#include <vector>

namespace sim {

struct FtpAccount {
  std::string user;
  std::string password;
  std::string home;
};

struct FtpStorageSettings {
  std::string host = "127.0.0.1";
  int port = 2121;
  int passiveFirst = 60000;
  int passiveLast = 60499;
  int readLimit = 0;  // bytes per second read from each upload; 0: no limit
  std::string logFile;
  std::string python = "/usr/bin/python3";
};

class FtpStorage {
 public:
  FtpStorage() = default;
  FtpStorage(const FtpStorage&) = delete;
  FtpStorage& operator=(const FtpStorage&) = delete;
  ~FtpStorage() { Stop(); }

  // Starts the server and waits until it accepts connections (at most 10 s).
  bool Start(const FtpStorageSettings& settings, const std::vector<FtpAccount>& accounts, std::string& error);
  // Ends the server: SIGTERM, then SIGKILL when it has not gone within 3 s.
  void Stop();
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

}  // namespace sim
