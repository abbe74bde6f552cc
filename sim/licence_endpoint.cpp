#include "sim/licence_endpoint.h"

namespace sim {

void InstallLicenceRoute(httplib::Server& server, PlatformService& service) {
  const auto answer = [&service](const httplib::Request& req, httplib::Response& res) {
    const LicenceAnswer licence = service.IssueLicence(req.get_header_value("Cookie"), req.get_param_value("kid"));
    res.status = licence.status;
    res.set_content(licence.body, "text/plain; charset=utf-8");
  };
  server.Get(kLicencePath, answer);
  server.Post(kLicencePath, answer);
}

}  // namespace sim
