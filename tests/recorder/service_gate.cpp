#include "service_gate.h"

#include <chrono>

namespace recorder_test {
namespace {

const char* kServicePath = "/vekservices/ClientService";

// The first element inside the SOAP body names the operation.
std::string OperationOf(const std::string& body) {
    const std::size_t bodyAt = body.find("Body");
    if (bodyAt == std::string::npos) return {};
    const std::size_t open = body.find('<', bodyAt);
    if (open == std::string::npos) return {};
    std::size_t end = body.find_first_of(" />", open + 1);
    std::string name = body.substr(open + 1, end - open - 1);
    const std::size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

ServiceGate::ServiceGate(int platformPort) {
    server_.Post(kServicePath, [this, platformPort](const httplib::Request& req, httplib::Response& res) {
        Request request{OperationOf(req.body), req.body, std::chrono::steady_clock::now()};
        bool fail = false;
        {
            std::lock_guard guard(lock_);
            requests_.push_back(request);
            fail = fail_ && fail_(request);
        }
        if (fail) {
            res.status = 503;
            res.set_content("<html><body>service stopped</body></html>", "text/html");
            return;
        }
        httplib::Client client("127.0.0.1", platformPort);
        client.set_read_timeout(10, 0);
        httplib::Headers headers;
        for (const auto& [name, value] : req.headers) {
            if (name == "SOAPAction" || name == "Cookie") headers.emplace(name, value);
        }
        auto answer = client.Post(kServicePath, headers, req.body, req.get_header_value("Content-Type"));
        if (!answer) {
            res.status = 503;
            res.set_content("<html><body>no platform</body></html>", "text/html");
            return;
        }
        std::string body = answer->body;
        Rewrite rewrite;
        {
            std::lock_guard guard(lock_);
            rewrite = rewrite_;
        }
        if (rewrite) rewrite(request, body);
        res.status = answer->status;
        res.set_content(body, answer->get_header_value("Content-Type"));
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

ServiceGate::~ServiceGate() {
    server_.stop();
    thread_.join();
}

void ServiceGate::FailWhen(FailRule rule) {
    std::lock_guard guard(lock_);
    fail_ = std::move(rule);
}

void ServiceGate::RewriteAnswers(Rewrite rewrite) {
    std::lock_guard guard(lock_);
    rewrite_ = std::move(rewrite);
}

std::vector<ServiceGate::Request> ServiceGate::Requests() const {
    std::lock_guard guard(lock_);
    return requests_;
}

std::vector<ServiceGate::Request> ServiceGate::Requests(const std::string& operation) const {
    std::vector<Request> out;
    for (const Request& r : Requests()) {
        if (r.operation == operation) out.push_back(r);
    }
    return out;
}

std::string ServiceGate::Element(const std::string& body, const std::string& name) {
    const std::string open = "<" + name + ">";
    const std::size_t at = body.find(open);
    if (at == std::string::npos) return {};
    const std::size_t end = body.find("</" + name + ">", at);
    return end == std::string::npos ? std::string() : body.substr(at + open.size(), end - at - open.size());
}

}  // namespace recorder_test
