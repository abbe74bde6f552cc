#pragma once
// A gate in front of the platform's service: forwards each SOAP request over HTTP,
// notes it, and answers a fault page instead for the requests a test chooses to fail, or
// hands the platform's answer to the test to rewrite.

#include <httplib.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace recorder_test {

class ServiceGate {
public:
    // A request as it passed the gate: its operation and body.
    struct Request {
        std::string operation;
        std::string body;
        std::chrono::steady_clock::time_point at;
    };
    using FailRule = std::function<bool(const Request&)>;
    // Edits the platform's answer body to a request before it goes back.
    using Rewrite = std::function<void(const Request&, std::string& answer)>;

    explicit ServiceGate(int platformPort);
    ~ServiceGate();
    ServiceGate(const ServiceGate&) = delete;
    ServiceGate& operator=(const ServiceGate&) = delete;

    int port() const { return port_; }
    void FailWhen(FailRule rule);
    void RewriteAnswers(Rewrite rewrite);
    std::vector<Request> Requests() const;
    std::vector<Request> Requests(const std::string& operation) const;

    // The text of `<name>...</name>` in a request body, or empty.
    static std::string Element(const std::string& body, const std::string& name);

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex lock_;
    FailRule fail_;
    Rewrite rewrite_;
    std::vector<Request> requests_;
};

}  // namespace recorder_test
