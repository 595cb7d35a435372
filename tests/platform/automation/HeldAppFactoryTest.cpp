#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/automation/HeldAppFactory.h"

namespace slidemill {
namespace {

// An application that records what is asked of it.
struct Calls {
    int started = 0;
    int quit = 0;
    std::vector<std::string> opened;
};

class FakePresentation : public Presentation {
public:
    std::shared_ptr<Slides> GetSlides() override { return nullptr; }
    std::shared_ptr<PageSetup> GetPageSetup() override { return nullptr; }
    std::shared_ptr<DocumentProperties> BuiltInDocumentProperties() override { return nullptr; }
};

class FakePresentations : public Presentations {
public:
    explicit FakePresentations(Calls& calls) : calls_(calls) {}
    std::shared_ptr<Presentation> Open(const std::string& fileName, int32_t, int32_t, int32_t) override {
        calls_.opened.push_back(fileName);
        return std::make_shared<FakePresentation>();
    }

private:
    Calls& calls_;
};

class FakeApp : public PresentationApp {
public:
    explicit FakeApp(Calls& calls) : calls_(calls) {}
    std::shared_ptr<Presentations> GetPresentations() override { return std::make_shared<FakePresentations>(calls_); }
    void Quit() override { ++calls_.quit; }

private:
    Calls& calls_;
};

class FakeFactory : public PresentationAppFactory {
public:
    explicit FakeFactory(Calls& calls, bool starts = true) : calls_(calls), starts_(starts) {}
    std::unique_ptr<PresentationApp> Create() override {
        if (!starts_) return nullptr;
        ++calls_.started;
        return std::make_unique<FakeApp>(calls_);
    }

private:
    Calls& calls_;
    bool starts_;
};

TEST(HeldAppFactory, TheSummaryAndTheConversionShareOneApplicationAndDeck) {
    Calls calls;
    FakeFactory inner(calls);
    {
        HeldAppFactory held(inner);
        held.SetHolding(true);
        auto summaryApp = held.Create();
        auto first = summaryApp->GetPresentations()->Open("deck.odp", 0, 0, 0);
        summaryApp->Quit();
        EXPECT_EQ(calls.quit, 0) << "held across the summary's quit";
        held.SetHolding(false);

        auto jobApp = held.Create();
        EXPECT_EQ(jobApp->GetPresentations()->Open("deck.odp", 0, 0, 0), first);
        EXPECT_NE(jobApp->GetPresentations()->Open("deck.odp", -1, 0, 0), first) << "other arguments, other open";
        EXPECT_EQ(calls.started, 1);
        EXPECT_EQ(calls.opened.size(), 2u);
        jobApp->Quit();
        EXPECT_EQ(calls.quit, 1);
        EXPECT_THROW(jobApp->GetPresentations(), AutomationError) << "ended for everyone";

        auto again = held.Create();  // a later user starts a new one
        EXPECT_EQ(calls.started, 2);
    }
    EXPECT_EQ(calls.quit, 2) << "the factory ends what nobody quit";
}

TEST(HeldAppFactory, AnApplicationThatCannotStartIsNull) {
    Calls calls;
    FakeFactory inner(calls, false);
    HeldAppFactory held(inner);
    EXPECT_EQ(held.Create(), nullptr);
}

TEST(HeldAppFactory, AHeldApplicationNobodyTookOverEndsWithTheFactory) {
    Calls calls;
    FakeFactory inner(calls);
    {
        HeldAppFactory held(inner);
        held.SetHolding(true);
        held.Create()->Quit();
        EXPECT_EQ(calls.quit, 0);
    }
    EXPECT_EQ(calls.quit, 1);
}

}  // namespace
}  // namespace slidemill
