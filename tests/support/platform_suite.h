#pragma once
// A window test suite with one castora-platform for all its tests and the application
// object up: derive the suite's fixture from PlatformSuite.

#include "tests/sim/platform_process.h"
#include "tests/support/gui_test.h"

#include <QString>

#include <gtest/gtest.h>

namespace test_support {

class PlatformSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        App();
        platform_ = new simtest::PlatformProcess();
        ASSERT_TRUE(platform_->Start());
    }
    static void TearDownTestSuite() {
        delete platform_;
        platform_ = nullptr;
    }

    static QString BaseUrl(int port) { return QStringLiteral("http://127.0.0.1:%1").arg(port); }
    static QString ServiceUrl(int port) { return BaseUrl(port) + QStringLiteral("/vekservices/ClientService"); }

    static inline simtest::PlatformProcess* platform_ = nullptr;
};

}  // namespace test_support
