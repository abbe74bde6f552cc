// Sequential SvcLogin + SvcGetCompany against castora-platform on loopback: calls per
// second and the median and 99th-percentile latency of one call.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "tests/sim/platform_process.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    simtest::PlatformProcess platform;
    if (!platform.Start()) {
        std::fprintf(stderr, "castora-platform did not start\n");
        return 1;
    }
    Globals().serviceUrl = QString("http://127.0.0.1:%1/vekservices/ClientService").arg(platform.port());
    const QString digest = PasswordDigest("demo123");

    std::vector<double> loginMs;
    std::vector<double> companyMs;
    loginMs.reserve(static_cast<std::size_t>(rounds));
    companyMs.reserve(static_cast<std::size_t>(rounds));
    const auto started = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        auto before = Clock::now();
        if (SvcLogin("demo", digest) != 1) {
            std::fprintf(stderr, "login %d failed\n", i);
            return 1;
        }
        auto after = Clock::now();
        loginMs.push_back(std::chrono::duration<double, std::milli>(after - before).count());
        before = after;
        if (!SvcGetCompany()) {
            std::fprintf(stderr, "getCompany %d failed\n", i);
            return 1;
        }
        companyMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::vector<double> all = loginMs;
    all.insert(all.end(), companyMs.begin(), companyMs.end());

    std::printf("rounds: %d (login + getCompany), calls: %zu, %.2f s\n", rounds, all.size(), seconds);
    std::printf("calls per second: %.0f\n", static_cast<double>(all.size()) / seconds);
    std::printf("per call      p50 %.3f ms  p99 %.3f ms\n", Percentile(all, 0.50), Percentile(all, 0.99));
    std::printf("login         p50 %.3f ms  p99 %.3f ms\n", Percentile(loginMs, 0.50), Percentile(loginMs, 0.99));
    std::printf("getCompany    p50 %.3f ms  p99 %.3f ms\n", Percentile(companyMs, 0.50), Percentile(companyMs, 0.99));
    return 0;
}
