// fontconfig keeps its configuration until FcFini; releasing it when the tests end keeps
// the leak checker of sanitized builds quiet about memory that is not really lost.

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {

class FontconfigCleanup : public ::testing::Environment {
public:
    void TearDown() override { FcFini(); }
};

const ::testing::Environment* const kCleanup = ::testing::AddGlobalTestEnvironment(new FontconfigCleanup);

}  // namespace
