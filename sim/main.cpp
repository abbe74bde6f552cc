// castora-platform: a local stand-in for the hosted streaming platform. Serves the
// ClientService SOAP endpoint, the state and agreement pages, and FTP storage.

#include <httplib.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "sim/data_folder.h"
#include "sim/ftp_storage.h"
#include "sim/drm_authority.h"
#include "sim/http_frontend.h"
#include "sim/media_servers.h"
#include "sim/licence_endpoint.h"
#include "sim/platform_options.h"
#include "sim/platform_service.h"
#include "sim/request_gate.h"
#include "sim/route_server.h"
#include "sim/template_route.h"
#include "sim/update_folder.h"

namespace {

constexpr const char* kHost = "127.0.0.1";

int Fail(const std::string& message) {
  std::fprintf(stderr, "castora-platform: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  sim::PlatformOptions options;
  std::string error;
  if (!sim::ParseOptions(argc, argv, options, error)) {
    std::fputs(error.c_str(), stderr);
    return 2;
  }

  // SIGINT and SIGTERM are taken by one thread that stops the server, so the FTP child
  // is always ended on the way out.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // Every open connection is a descriptor: allow as many as the system lets this user.
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }

  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path data = fs::absolute(options.dataDir, ec);
  const fs::path storage = data / "storage";
  if (ec || !sim::SecureDataFolder(data, error)) return Fail(ec ? "bad data folder: " + ec.message() : error);

  sim::ServiceSettings settings;
  settings.storageDir = storage.string();
  settings.liveMinuteMs = options.liveMinuteMs;
  sim::DrmAuthority drmAuthority;
  if (!drmAuthority.Open(data.string(), error)) return Fail(error);
  settings.licenceUrl = "http://" + std::string(kHost) + ":" + std::to_string(options.port) + sim::kLicencePath;
  settings.drmLoginUrl = settings.licenceUrl;
  settings.drmAuthority = &drmAuthority;
  settings.withholdLiveDrm = options.faults.withholdLiveDrm;
  settings.mediaPorts = options.media.ports;
  sim::PlatformService service(data.string(), settings, options.sessionTimeoutS * 1000);
  if (!service.Open(kHost, options.ftpPort, error)) return Fail(error);

  sim::FtpStorage ftp;
  std::string ftpAddress = "off";
  if (options.ftpPort != 0) {
    std::size_t sessions = 0;
    std::vector<sim::FtpAccount> accounts;
    for (const auto& c : service.Snapshot(sessions).companies) {
      if (!c.ftpUser.empty()) accounts.push_back({c.ftpUser, c.ftpPass, (storage / c.ftpUser).string()});
    }
    sim::FtpStorageSettings ftpSettings;
    ftpSettings.host = kHost;
    ftpSettings.port = options.ftpPort;
    ftpSettings.passiveFirst = options.passiveFirst;
    ftpSettings.passiveLast = options.passiveLast;
    ftpSettings.readLimit = options.ftpReadLimit;
    ftpSettings.logFile = (data / "ftp.log").string();
    if (!ftp.Start(ftpSettings, accounts, error)) return Fail(error);
    ftpAddress = "ftp://" + std::string(kHost) + ":" + std::to_string(options.ftpPort) + "/";
  }

  sim::MediaServers media;
  if (options.media.enabled) {
    std::size_t sessions = 0;
    std::string report;
    media.Start(service.Snapshot(sessions).mediaServers, sim::MediaOptionsFor(options.media), report);
    if (!report.empty()) std::fprintf(stderr, "castora-platform: %s\n", report.c_str());
  }

  // The gate takes each request whole on the public port; its workers run the HTTP
  // library's routes on it and answer on the client's connection.
  sim::RequestGate::Limits limits;
  sim::RouteServer server;
  server.set_payload_max_length(limits.maxBodyBytes);
  sim::InstallRoutes(server, service, options, ftpAddress, &media);
  sim::InstallLicenceRoute(server, service);
  sim::InstallTemplateRoute(server, service);
  sim::InstallUpdateFolder(server, options.update);
  sim::RequestGate gate(
      limits,
      [&server](int client, std::string_view request, bool keepAlive) { return server.Answer(client, request, keepAlive); },
      sim::TooLargeAnswer);
  if (!gate.Bind(kHost, options.port, error)) return Fail(error);

  std::thread signalWaiter([&gate, &server, stopSignals] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    server.Shutdown();
    gate.Stop();
  });

  std::printf("castora-platform: http://%s:%d%s data %s, FTP storage %s, media servers %s\n", kHost, options.port,
              sim::kServicePath, data.c_str(), ftpAddress.c_str(), media.Addresses().c_str());
  std::fflush(stdout);
  gate.Run();

  // The server stopped by a signal: the waiter has returned. Stopped otherwise: wake it.
  if (signalWaiter.joinable()) {
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
  }
  media.Stop();
  ftp.Stop();
  return 0;
}
