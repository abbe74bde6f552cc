// Signed-in sessions: an idle session ends after the timeout however it was last used, a
// used one stays, and ending sessions costs the same with many of them open.

#include "sim/session_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::int64_t kTimeout = 1000;

TEST(SessionTable, EndsExactlyTheSessionsIdleForLongerThanTheTimeout) {
  sim::SessionTable table(kTimeout);
  const std::string first = table.Create("demo", 1, 0);
  const std::string second = table.Create("demo", 1, 100);
  const std::string third = table.Create("other", 2, 200);
  ASSERT_NE(table.Find(first, 900), nullptr) << "seen again: idle from 900 on";
  EXPECT_EQ(table.Count(1100), 3u) << "the second is idle for exactly the timeout";
  EXPECT_EQ(table.Count(1101), 2u);
  EXPECT_EQ(table.Find(second, 1101), nullptr);
  EXPECT_TRUE(table.HasSessionFor("other", 1200));
  EXPECT_FALSE(table.HasSessionFor("other", 1201));
  const sim::Session* kept = table.Find(first, 1900);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->lastSeenMs, 1900);
  EXPECT_EQ(kept->companyId, 1);
  EXPECT_EQ(table.Count(2901), 0u);
  EXPECT_EQ(table.Find(third, 0), nullptr) << "gone for good";
}

TEST(SessionTable, ARemovedSessionIsGoneAndTheOthersStillExpireInTurn) {
  sim::SessionTable table(kTimeout);
  std::vector<std::string> ids;
  for (int i = 0; i < 5; ++i) ids.push_back(table.Create("demo", 1, i * 10));
  table.Remove(ids[0]);
  table.Remove(ids[2]);
  table.Remove("no such session");
  table.Remove(ids[2]);
  EXPECT_EQ(table.Count(0), 3u);
  EXPECT_EQ(table.Find(ids[0], 0), nullptr);
  ASSERT_NE(table.Find(ids[1], 500), nullptr);
  EXPECT_EQ(table.Count(1035), 2u) << "the fourth has gone, the first seen again at 500 has not";
  EXPECT_NE(table.Find(ids[4], 1035), nullptr);
  EXPECT_NE(table.Find(ids[1], 1035), nullptr);
}

TEST(SessionTable, ManyOpenSessionsExpireInOneGo) {
  sim::SessionTable table(kTimeout);
  const std::string kept = table.Create("demo", 1, 0);
  for (int i = 0; i < 100000; ++i) table.Create("demo", 1, 10 + i / 1000);
  ASSERT_NE(table.Find(kept, 900), nullptr);
  EXPECT_EQ(table.Count(1109), 1001u) << "the last thousand are idle for exactly the timeout";
  EXPECT_EQ(table.Count(1110), 1u);
  EXPECT_EQ(table.Count(1901), 0u);
}

}  // namespace
