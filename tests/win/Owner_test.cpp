#include "Owner.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace pagora {
namespace {

std::vector<int> released;

struct RecordRelease {
    void operator()(int value) const noexcept { released.push_back(value); }
};
struct MinusOneIsNone {
    static int None() noexcept { return -1; }
};
using Owned = Unique<int, RecordRelease>;
using OwnedOrMinusOne = Unique<int, RecordRelease, MinusOneIsNone>;

TEST(Owner, ReleasesEachValueExactlyOnce) {
    released.clear();
    {
        Owned first(1);
        Owned second(std::move(first)); // moved: the first owns nothing
        EXPECT_FALSE(first);
        Owned third(3);
        third = std::move(second); // 3 goes now
        EXPECT_EQ(released, std::vector<int>{3});
        third.Reset(4);                // 1 goes
        EXPECT_EQ(third.Release(), 4); // handed on: never released here
        Owned none;
        *none.Put() = 5;
    }
    EXPECT_EQ(released, (std::vector<int>{3, 1, 5}));

    // A kind whose "nothing" is not zero releases zero and never its none.
    released.clear();
    {
        OwnedOrMinusOne empty;
        EXPECT_FALSE(empty);
        OwnedOrMinusOne zero(0);
        EXPECT_TRUE(zero);
    }
    EXPECT_EQ(released, std::vector<int>{0});
}

TEST(Owner, GuardRunsOnEveryWayOutUnlessDismissed) {
    int runs = 0;
    try {
        const ScopeGuard guard([&] { ++runs; });
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(runs, 1);
    {
        ScopeGuard guard([&] { ++runs; });
        guard.Dismiss();
    }
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace pagora
