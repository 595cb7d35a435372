#pragma once
// Lends one started presentation application to its users in turn. Starting the office
// suite and loading a deck take longer than converting most decks, so the command line
// reads a presentation's summary and converts it with the same instance and the same
// open presentation: while held, a user's Quit keeps the application running for the
// next Create, and opening the same file again with the same arguments gives the
// presentation already open. The last user's Quit ends it; so does the factory's end
// when nobody took it over.

#include <memory>

#include "platform/automation/PresentationApp.h"

namespace slidemill {

class HeldAppFactory : public PresentationAppFactory {
public:
    explicit HeldAppFactory(PresentationAppFactory& inner);
    ~HeldAppFactory() override;
    HeldAppFactory(const HeldAppFactory&) = delete;
    HeldAppFactory& operator=(const HeldAppFactory&) = delete;

    // While holding, Quit leaves the application running for the next Create.
    void SetHolding(bool holding);

    // The running application, or a newly started one; null when it cannot be started.
    std::unique_ptr<PresentationApp> Create() override;

    struct Shared;  // the running application and what it has open

private:
    PresentationAppFactory& inner_;
    std::shared_ptr<Shared> shared_;
    bool holding_ = false;
};

}  // namespace slidemill
