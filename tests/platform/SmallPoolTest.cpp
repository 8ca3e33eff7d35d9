// The small-object pool with arenas: objects made on threads of their own and freed elsewhere,
// before and after the arena's end, and the blocks given back only once nothing lives in them.
#include "platform/SmallPool.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

TEST(SmallPool, ArenaObjectsLiveUntilTheLastIsFreedWherever) {
    ASSERT_EQ(SmallPoolBytes(), 0u) << "the pool must start empty";
    std::mutex M;
    std::condition_variable Cv;
    int Step = 0;
    auto WaitFor = [&](int S) {
        std::unique_lock<std::mutex> L(M);
        Cv.wait(L, [&] { return Step >= S; });
    };
    auto Go = [&](int S) {
        std::lock_guard<std::mutex> L(M);
        Step = S;
        Cv.notify_all();
    };
    void* Early = nullptr;
    std::vector<void*> Late;
    std::thread T([&] {
        TSmallArena Arena;
        EXPECT_EQ(TSmallArena::Current(), &Arena);
        Early = AllocateSmall(40);
        Go(1);
        WaitFor(2);
        // The only other object was freed meanwhile on another thread: the slab must still be
        // there for the arena to go on with.
        for (int I = 0; I < 100000; ++I) {
            void* P = AllocateSmall(8 + static_cast<size_t>(I % 64) * 8);
            std::memset(P, 0x5A, 8);
            Late.push_back(P);
        }
        // Freed here, reused here.
        FreeSmall(Late.back(), 8 + (99999 % 64) * 8);
        Late.back() = AllocateSmall(8 + (99999 % 64) * 8);
    });
    WaitFor(1);
    FreeSmall(Early, 40);
    Go(2);
    T.join();
    EXPECT_EQ(TSmallArena::Current(), nullptr);
    for (size_t I = 0; I + 1 < Late.size(); ++I)
        FreeSmall(Late[I], 8 + (I % 64) * 8);
    // One object left: the blocks stay.
    EXPECT_GE(SmallPoolBytes(), size_t(2) << 20);
    FreeSmall(Late.back(), 8 + (99999 % 64) * 8);
    EXPECT_EQ(SmallPoolBytes(), 0u);
}

// A thread frees many objects into an arena while others live: its end hands the free lists
// back whole, and the pool makes its next objects from them instead of growing.
TEST(SmallPool, ObjectsFreedInAnArenaAreReusedAfterItsEnd) {
    ASSERT_EQ(SmallPoolBytes(), 0u) << "the pool must start empty";
    void* Keep = AllocateSmall(16);
    std::vector<void*> Many;
    for (int I = 0; I < 200000; ++I)
        Many.push_back(AllocateSmall(I % 2 ? 24 : 104));
    size_t Held = SmallPoolBytes();
    {
        TSmallArena Arena;
        for (size_t I = Many.size(); I-- > 0;)
            FreeSmall(Many[I], I % 2 ? 24 : 104);
    }
    EXPECT_EQ(SmallPoolBytes(), Held) << "an object still lives: the blocks stay";
    for (size_t I = 0; I < Many.size(); ++I) {
        Many[I] = AllocateSmall(I % 2 ? 24 : 104);
        std::memset(Many[I], 0x5A, I % 2 ? 24 : 104);
    }
    EXPECT_EQ(SmallPoolBytes(), Held);
    for (size_t I = 0; I < Many.size(); ++I)
        FreeSmall(Many[I], I % 2 ? 24 : 104);
    FreeSmall(Keep, 16);
    EXPECT_EQ(SmallPoolBytes(), 0u);
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build checks the pool as the release build runs it: a freed object and the
// bytes of a size class beyond the size asked for are poisoned, in the pool and in arenas.
TEST(SmallPool, TheAddressSanitizerSeesPooledObjects) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto Touch = [](void* P, size_t At) { static_cast<volatile char*>(P)[At] = 1; };
    void* Keep = AllocateSmall(8); // the blocks stay while it lives
    EXPECT_DEATH(
        {
            void* P = AllocateSmall(24);
            FreeSmall(P, 24);
            Touch(P, 3);
        },
        "use-after-poison");
    EXPECT_DEATH(Touch(AllocateSmall(20), 20), "use-after-poison");
    EXPECT_DEATH(
        {
            TSmallArena Arena;
            void* P = AllocateSmall(104);
            FreeSmall(P, 104);
            Touch(P, 0);
        },
        "use-after-poison");
    // What is live is not poisoned, also when it was freed and made again.
    void* P = AllocateSmall(24);
    FreeSmall(P, 24);
    void* Q = AllocateSmall(24);
    std::memset(Q, 0x5A, 24);
    FreeSmall(Q, 24);
    FreeSmall(Keep, 8);
}
#endif

} // namespace
