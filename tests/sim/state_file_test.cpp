// The state file and the password digest, without a running platform.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/password_digest.h"
#include "sim/seed_data.h"
#include "sim/state_file.h"

TEST(PasswordDigest, IsMd5OfTheGbkBytesInLowerCase) {
  EXPECT_EQ(sim::PasswordDigest("demo123"), "62cc2d8b4bf2d8728120d052163a77df");
  EXPECT_EQ(sim::PasswordDigest("中文密码"), "cab54837b8cb3345b7d7bd03e904d1c8");
}

TEST(StateFile, RoundTripKeepsEveryRecord) {
  char pattern[] = "/tmp/castora-state-XXXXXX";
  std::string dir = ::mkdtemp(pattern);
  const std::string path = dir + "/state.json";
  sim::PlatformState seeded = sim::SeedState();
  sim::ApplyFtpEndpoint(seeded, "127.0.0.1", 2999);
  seeded.companies[0].freeCount = 12.5;
  seeded.nextId = (1LL << 40) + 3;  // beyond 32 bits
  std::string error;
  ASSERT_TRUE(sim::SaveState(path, seeded, error)) << error;

  sim::PlatformState loaded;
  ASSERT_TRUE(sim::LoadState(path, loaded, error)) << error;
  EXPECT_EQ(loaded.nextId, seeded.nextId);
  ASSERT_EQ(loaded.companies.size(), 3u);
  EXPECT_EQ(loaded.companies[0].comName, "演示传媒有限公司");
  EXPECT_EQ(loaded.companies[0].port, 2999);
  EXPECT_DOUBLE_EQ(loaded.companies[0].freeCount, 12.5);
  EXPECT_TRUE(loaded.accounts[2].singleSession);
  EXPECT_EQ(loaded.mediaServers[0].points.size(), 3u);
  EXPECT_EQ(loaded.weeklyTemplates.size(), 7u);
  EXPECT_EQ(loaded.tvGuide[0].stations[0].channels[0].programmes[1].tvProgram, "北京人在纽约");
  EXPECT_EQ(loaded.recorderChannels[0].mediaServerIds, std::vector<std::int64_t>{1});

  // Saving what was loaded gives the same bytes: nothing is lost on the way.
  auto read = [](const std::string& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  const std::string first = read(path);
  ASSERT_TRUE(sim::SaveState(path, loaded, error));
  EXPECT_EQ(read(path), first);

  sim::PlatformState untouched;
  EXPECT_FALSE(sim::LoadState(dir + "/missing.json", untouched, error));
  EXPECT_TRUE(error.empty());
  std::ofstream(dir + "/broken.json") << "[1,2";
  EXPECT_FALSE(sim::LoadState(dir + "/broken.json", untouched, error));
  EXPECT_FALSE(error.empty());
  std::filesystem::remove_all(dir);
}
