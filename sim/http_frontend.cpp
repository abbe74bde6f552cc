#include "sim/http_frontend.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "sim/connection_drop.h"
#include "sim/html_pages.h"
#include "sim/media_servers.h"
#include "sim/site_pages.h"
#include "sim/soap_message.h"
#include "sim/wsdl.h"

namespace sim {
namespace {

constexpr const char* kXmlType = "text/xml; charset=utf-8";
constexpr const char* kHtmlType = "text/html; charset=utf-8";
constexpr std::size_t kChunkSize = 512;

const char* kErrorPage =
    "<!DOCTYPE html><html><head><title>500 Internal Server Error</title></head>"
    "<body><h1>HTTP Status 500 - Internal Server Error</h1><p>The server encountered an internal error.</p>"
    "</body></html>";

bool FaultApplies(const FaultOptions& f, const std::string& operation) {
  return f.operation.empty() || f.operation == operation;
}

void SendChunked(httplib::Response& res, std::string body) {
  auto shared = std::make_shared<std::string>(std::move(body));
  res.set_chunked_content_provider(kXmlType, [shared](size_t offset, httplib::DataSink& sink) {
    if (offset < shared->size()) {
      sink.write(shared->data() + offset, std::min(kChunkSize, shared->size() - offset));
    } else {
      sink.done();
    }
    return true;
  });
}

void AnswerService(const httplib::Request& req, httplib::Response& res, PlatformService& service,
                   const PlatformOptions& options) {
  ServiceAnswer answer = service.Handle(req.body, req.get_header_value("Cookie"), req.has_header("SOAPAction"));
  const FaultOptions& f = options.faults;
  const bool inject = FaultApplies(f, answer.operation);
  if (inject && f.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(f.delayMs));
  if (inject && f.drop) {
    DropConnection(req.remote_addr, req.remote_port, req.local_port);
    res.status = 500;
    return;
  }
  if (inject && f.html500) {
    res.status = 500;
    res.set_content(kErrorPage, kHtmlType);
    return;
  }
  res.status = answer.status;
  if (!answer.newSessionId.empty()) {
    res.set_header("Set-Cookie", "JSESSIONID=" + answer.newSessionId + "; Path=/vekservices");
  }
  if (inject && f.chunked) {
    SendChunked(res, std::move(answer.body));
  } else {
    res.set_content(answer.body, kXmlType);
  }
}

constexpr const char* kTooLarge = "the request body is too large";

}  // namespace

std::string TooLargeAnswer(const std::string& method, const std::string& target) {
  const std::string path = target.substr(0, target.find('?'));
  if (method != "POST" || path != kServicePath) {
    return "HTTP/1.1 413 Payload Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  }
  const std::string fault = WriteSoapFault(SoapFault("Client", kTooLarge));
  return "HTTP/1.1 500 Internal Server Error\r\nContent-Type: " + std::string(kXmlType) +
         "\r\nContent-Length: " + std::to_string(fault.size()) + "\r\nConnection: close\r\n\r\n" + fault;
}

void InstallRoutes(httplib::Server& server, PlatformService& service, const PlatformOptions& options,
                   const std::string& ftpAddress, const MediaServers* media) {
  server.Post(kServicePath, [&service, &options](const httplib::Request& req, httplib::Response& res) {
    AnswerService(req, res, service, options);
  });
  server.Get(kServicePath, [&options](const httplib::Request& req, httplib::Response& res) {
    if (!req.has_param("wsdl")) {
      res.set_content("<html><body>ClientService: POST SOAP requests here; <a href=\"?wsdl\">WSDL</a></body></html>",
                      kHtmlType);
      return;
    }
    std::string host = req.get_header_value("Host");
    if (host.empty()) host = "127.0.0.1:" + std::to_string(options.port);
    res.set_content(ServiceWsdl("http://" + host + kServicePath), kXmlType);
  });
  server.Get("/web/xieyi.jsp", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(AgreementPageHtml(), kHtmlType);
  });
  server.Get("/web/index.jsp", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(HomePageHtml(), kHtmlType);
  });
  server.Get("/web/register.jsp", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(RegistrationPageHtml("", {}), kHtmlType);
  });
  server.Post("/web/register.jsp", [&service](const httplib::Request& req, httplib::Response& res) {
    RegistrationForm form{req.get_param_value("userName"), req.get_param_value("password"),
                          req.get_param_value("passwordAgain"), req.get_param_value("companyName")};
    const std::string why = service.Register(form);
    if (!why.empty()) {
      res.status = 400;
      res.set_content(RegistrationPageHtml(why, form), kHtmlType);
      return;
    }
    res.set_content(RegisteredPageHtml(form), kHtmlType);
  });
  server.Get("/", [&service, ftpAddress, media](const httplib::Request&, httplib::Response& res) {
    std::size_t sessions = 0;
    PlatformState snapshot = service.Snapshot(sessions);
    res.set_content(StatePageHtml(snapshot, sessions, ftpAddress, media ? media->Status() : std::vector<LivePointStatus>{}),
                    kHtmlType);
  });
  // Errors the HTTP layer raises itself on the service path (a body over the size
  // limit, say) are still answered as SOAP faults.
  server.set_error_handler(httplib::Server::Handler([](const httplib::Request& req, httplib::Response& res) {
    if (req.path != kServicePath || req.method != "POST" || !res.body.empty()) return;
    std::string why = "HTTP error " + std::to_string(res.status);
    if (res.status == 413) why = kTooLarge;
    res.status = 500;
    res.set_content(WriteSoapFault(SoapFault("Client", why)), kXmlType);
  }));
  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    res.status = 500;
    res.set_content(WriteSoapFault(SoapFault("Server", "internal error")), kXmlType);
  });
}

}  // namespace sim
