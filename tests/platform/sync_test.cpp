#include "platform/registry_store.h"
#include "platform/sync.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace platform;

TEST(Sync, AutoResetReleasesOneWaiterManualResetReleasesAll) {
    Event autoEvent(false, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { if (autoEvent.Wait(300) == WaitResult::Signalled) ++released; });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    autoEvent.Set();
    for (auto& t : waiters) t.join();
    EXPECT_EQ(released.load(), 1);
    EXPECT_FALSE(autoEvent.IsSet());

    Event manual(true, true);
    EXPECT_EQ(manual.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(manual.Wait(0), WaitResult::Signalled);
    manual.Reset();
    EXPECT_EQ(manual.Wait(30), WaitResult::Timeout);
}

TEST(Sync, NamedObjectsAreSharedWhileHeld) {
    auto a = Event::Named("stopevent", true, false);
    auto b = Event::Named("stopevent", false, true);  // existing object: settings ignored
    EXPECT_EQ(a.get(), b.get());
    EXPECT_FALSE(b->IsSet());
    EXPECT_NE(Event::Named("Updateevent", true, false).get(), a.get());
    EXPECT_EQ(Mutex::Named("updateMutex").get(), Mutex::Named("updateMutex").get());
}

TEST(Sync, MutexIsRecursiveAndExcludesOtherThreads) {
    Mutex m;
    ASSERT_EQ(m.Wait(0), WaitResult::Signalled);
    ASSERT_EQ(m.Wait(0), WaitResult::Signalled);
    WaitResult other = WaitResult::Signalled;
    bool foreignRelease = true;
    std::thread([&] { other = m.Wait(30); foreignRelease = m.Release(); }).join();
    EXPECT_EQ(other, WaitResult::Timeout);
    EXPECT_FALSE(foreignRelease);
    EXPECT_TRUE(m.Release());
    EXPECT_TRUE(m.Release());
    EXPECT_FALSE(m.Release());
    std::thread([&] { other = m.Wait(30); m.Release(); }).join();
    EXPECT_EQ(other, WaitResult::Signalled);
}

TEST(Registry, DefaultValueRoundTripsInThePerUserStore) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    const QString key = QString::fromLatin1(kMaxClientConnectionsKey);
    EXPECT_EQ(RegistryGetString(key, {}), "");
    ASSERT_TRUE(RegistrySetString(key, {}, "500"));
    EXPECT_EQ(RegistryGetString(key, {}), "500");
    EXPECT_EQ(RegistryGetString(key.toLower(), {}), "500");
    EXPECT_TRUE(RegistryFilePath().startsWith(home.path() + "/castora/"));
    ASSERT_TRUE(RegistryDeleteValue(key, {}));
    EXPECT_EQ(RegistryGetString(key, {}), "");
}
