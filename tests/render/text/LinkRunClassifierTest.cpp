#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/text/LinkRunClassifier.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

using slidemill::testing::RecordingPageWriter;

constexpr double kH = 540;

class LinkRunClassifierTest : public ::testing::Test {
protected:
    std::vector<std::string> Classify(const std::string& text, TextRunGeometry run = {100, 200, 80, 20}, double s = 0.5) {
        writer_.calls.clear();
        ClassifyTextRun(writer_, state_, linkContinues_, text, run, s, kH);
        return writer_.calls;
    }
    RecordingPageWriter writer_;
    LinkRunState state_;
    bool linkContinues_ = false;
};

TEST_F(LinkRunClassifierTest, AddressLikeRunWithoutHyperlinksLinksToItself) {
    const std::vector<std::string> expected = {
        "FindLinkTarget www.example.org",
        "AddUriLink 50 440 40 10 www.example.org",  // px 50, y = 540 - 100, w 40, h 10
        "AddTextRun 0 www.example.org 50 440 40 10",
        "AddTextRun 1 www.example.org 50 440 40 10",
    };
    EXPECT_EQ(Classify("www.example.org"), expected);
    EXPECT_EQ(state_.lastLinkTarget, "www.example.org");
    EXPECT_FALSE(linkContinues_);  // not found: the flag stays as it was
}

TEST_F(LinkRunClassifierTest, MailAddressesGetMailto) {
    EXPECT_EQ(Classify("me@example.org")[1], "AddUriLink 50 440 40 10 Mailto:me@example.org");
    EXPECT_EQ(Classify("Mailto:me@example.org")[1], "AddUriLink 50 440 40 10 Mailto:me@example.org");
    // The scheme in another letter case is the scheme all the same: no second prefix.
    EXPECT_EQ(Classify("mailto:me@example.org")[1], "AddUriLink 50 440 40 10 mailto:me@example.org");
    EXPECT_EQ(Classify("MAILTO:me@example.org")[1], "AddUriLink 50 440 40 10 MAILTO:me@example.org");
}

TEST_F(LinkRunClassifierTest, ContinuationRunsKeepTheAddress) {
    writer_.linkTexts = {"Our site"};
    writer_.linkTargets = {{"Our site", "http://example.org/long/path"}};
    Classify("Our site");
    EXPECT_TRUE(linkContinues_);
    EXPECT_EQ(state_.lastLinkTarget, "http://example.org/long/path");

    // Same height, no blank: a continuation that is not itself found keeps the address.
    const std::vector<std::string> next = Classify("continued", {100, 240, 60, 20});
    EXPECT_EQ(next[2], "AddUriLink 50 420 30 10 http://example.org/long/path");
    EXPECT_TRUE(linkContinues_);

    // A blank ends it.
    const std::vector<std::string> plain = Classify("plain text", {100, 280, 60, 20});
    EXPECT_EQ(plain.size(), 3u);  // IsLinkText, then the two text runs
    EXPECT_FALSE(linkContinues_);

    // Another height does not continue either.
    linkContinues_ = true;
    EXPECT_EQ(Classify("word", {100, 300, 60, 21}).size(), 3u);
    EXPECT_FALSE(linkContinues_);
}

TEST_F(LinkRunClassifierTest, NoHeightMatchesBeforeTheFirstLinkRun) {
    linkContinues_ = true;  // left over from an earlier page
    EXPECT_EQ(Classify("word", {0, 0, 0, 0}).size(), 3u);
}

}  // namespace
}  // namespace slidemill
