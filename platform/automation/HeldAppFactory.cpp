#include "platform/automation/HeldAppFactory.h"

#include <string>
#include <tuple>
#include <vector>

namespace slidemill {

struct HeldAppFactory::Shared {
    std::unique_ptr<PresentationApp> app;
    std::shared_ptr<Presentations> presentations;
    struct Opened {
        std::tuple<std::string, int32_t, int32_t, int32_t> arguments;
        std::shared_ptr<Presentation> presentation;
    };
    std::vector<Opened> opened;
    bool holding = false;

    void Quit() {
        opened.clear();
        presentations.reset();
        std::unique_ptr<PresentationApp> ending = std::move(app);
        if (ending) ending->Quit();
    }
};

namespace {

class HeldPresentations : public Presentations {
public:
    explicit HeldPresentations(std::shared_ptr<HeldAppFactory::Shared> shared) : shared_(std::move(shared)) {}
    std::shared_ptr<Presentation> Open(const std::string& fileName, int32_t readOnly, int32_t untitled,
                                       int32_t withWindow) override {
        const auto arguments = std::make_tuple(fileName, readOnly, untitled, withWindow);
        for (const auto& o : shared_->opened)
            if (o.arguments == arguments) return o.presentation;
        if (!shared_->app) throw AutomationError("The presentation application has ended.");
        if (!shared_->presentations) shared_->presentations = shared_->app->GetPresentations();
        std::shared_ptr<Presentation> presentation =
            shared_->presentations->Open(fileName, readOnly, untitled, withWindow);
        shared_->opened.push_back({arguments, presentation});
        return presentation;
    }

private:
    std::shared_ptr<HeldAppFactory::Shared> shared_;
};

class HeldApp : public PresentationApp {
public:
    explicit HeldApp(std::shared_ptr<HeldAppFactory::Shared> shared) : shared_(std::move(shared)) {}
    std::shared_ptr<Presentations> GetPresentations() override {
        if (!shared_->app) throw AutomationError("The presentation application has ended.");
        return std::make_shared<HeldPresentations>(shared_);
    }
    void Quit() override {
        if (!shared_->holding) shared_->Quit();
    }

private:
    std::shared_ptr<HeldAppFactory::Shared> shared_;
};

}  // namespace

HeldAppFactory::HeldAppFactory(PresentationAppFactory& inner) : inner_(inner) {}

void HeldAppFactory::SetHolding(bool holding) {
    holding_ = holding;
    if (shared_) shared_->holding = holding;
}

HeldAppFactory::~HeldAppFactory() {
    if (!shared_) return;
    try {
        shared_->Quit();
    } catch (...) {
        // The application is ended by its own owner either way.
    }
}

std::unique_ptr<PresentationApp> HeldAppFactory::Create() {
    if (!shared_ || !shared_->app) {
        std::unique_ptr<PresentationApp> app = inner_.Create();
        if (!app) return nullptr;
        shared_ = std::make_shared<Shared>();
        shared_->app = std::move(app);
    }
    shared_->holding = holding_;
    return std::make_unique<HeldApp>(shared_);
}

}  // namespace slidemill
