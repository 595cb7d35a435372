// The counted start-up of the graphics layer.

#include <gtest/gtest.h>

#include "shell/gui/GraphicsStartup.h"

namespace slidemill {
namespace {

TEST(CountedStartup, StartsOnceAndShutsDownWhenTheCountReturnsToZero) {
    int starts = 0, shutdowns = 0;
    CountedStartup layer([&] { return ++starts, true; }, [&] { ++shutdowns; });
    EXPECT_TRUE(layer.Startup());
    EXPECT_TRUE(layer.Startup());
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(layer.Count(), 2);
    layer.Shutdown();
    EXPECT_EQ(shutdowns, 0);
    EXPECT_TRUE(layer.Started());
    layer.Shutdown();
    EXPECT_EQ(shutdowns, 1);
    EXPECT_FALSE(layer.Started());
    layer.Shutdown();  // one too many changes nothing
    EXPECT_EQ(shutdowns, 1);
    EXPECT_EQ(layer.Count(), 0);
    // Started again after the end.
    EXPECT_TRUE(layer.Startup());
    EXPECT_EQ(starts, 2);
    layer.Shutdown();
}

TEST(CountedStartup, AFailedStartCountsNothingAndIsTriedAgain) {
    int attempts = 0;
    bool works = false;
    int shutdowns = 0;
    CountedStartup layer([&] { return ++attempts, works; }, [&] { ++shutdowns; });
    EXPECT_FALSE(layer.Startup());
    EXPECT_EQ(layer.Count(), 0);
    layer.Shutdown();
    EXPECT_EQ(shutdowns, 0);
    works = true;
    EXPECT_TRUE(layer.Startup());
    EXPECT_EQ(attempts, 2);
    layer.Shutdown();
    EXPECT_EQ(shutdowns, 1);
}

TEST(CountedStartup, TheProgramsLayerComesUp) {
    EXPECT_TRUE(GraphicsLayer().Startup());
    GraphicsLayer().Shutdown();
}

}  // namespace
}  // namespace slidemill
