// The live code: sixteen characters after the code base, the company id's length at index
// 2 and the id at index 9, the random groups around them.

#include "client/tasks/live_code.h"

#include <gtest/gtest.h>

TEST(LiveCode, CarriesTheCompanyIdInSixteenCharacters) {
    int calls = 0;
    const auto fixed = [&calls] {
        static const int values[] = {0x7fff, 0x1, 0xabc, 0x12};
        return values[calls++ % 4];
    };
    const QString code = BuildLiveCode(1001, "http://h/c?", fixed);
    ASSERT_TRUE(code.startsWith("http://h/c?"));
    const QString body = code.mid(11);
    EXPECT_EQ(body.size(), 16);
    // "7fff1000abc01200", "4" inserted at 2 and "1001" at 9, cut back to 16.
    EXPECT_EQ(body, "7f4ff10001001abc");
    EXPECT_EQ(calls, 4);

    calls = 0;
    const QString longId = BuildLiveCode(123456789, "", fixed);
    EXPECT_EQ(longId.size(), 16);
    EXPECT_EQ(longId.mid(2, 1), "9");
    EXPECT_EQ(longId.mid(9, 7), "1234567") << "the id is cut where the sixteen characters end";
}
