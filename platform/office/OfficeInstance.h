#pragma once
// One private, headless LibreOffice for one run, and the bridge program that talks UNO
// to it on Slidemill's behalf.
//
// Start() makes a private folder (profile, exported pictures), starts soffice in a
// process group of its own with a unique pipe name, starts the bridge in the same group
// and waits until the bridge has connected. Call() sends one request line and waits, at
// most the given time, for the answer line. The instance is gone when the object is: the
// destructor kills the group and removes the folder. A small watchdog shell started with
// the instance does the same if this process dies without running destructors (a crash,
// Ctrl-C, SIGKILL): it waits for the end of a socket only this process holds open.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace slidemill {

struct OfficeLaunchOptions {
    std::string sofficePath;  // empty: SLIDEMILL_SOFFICE, then soffice on PATH, then the Debian location
    std::string bridgePath;   // empty: SLIDEMILL_OFFICE_BRIDGE, then beside the executable
    std::string pythonPath = "/usr/bin/python3";  // the Python that can import uno
    std::chrono::milliseconds startTimeout{60000};
    std::chrono::milliseconds callTimeout{60000};  // every bridge request
    std::chrono::milliseconds openTimeout{180000};  // loading a presentation
    std::chrono::milliseconds quitTimeout{10000};   // a polite end before the group is killed
    std::chrono::milliseconds quitGrace{500};       // the same once it has answered the request
    bool useProfileTemplate = true;  // seed the profile from the user's cached template
};

class OfficeInstance {
public:
    // Null with *whyNot set when soffice or the bridge cannot be found or started.
    static std::unique_ptr<OfficeInstance> Start(const OfficeLaunchOptions& options, std::string* whyNot);
    ~OfficeInstance();
    OfficeInstance(const OfficeInstance&) = delete;
    OfficeInstance& operator=(const OfficeInstance&) = delete;

    // Sends one request and returns its answer. Throws AutomationError with the bridge's
    // description when the answer is a failure, and when the instance does not answer in
    // time or has stopped; after those two the instance is killed and every further call
    // throws.
    nlohmann::json Call(const nlohmann::json& request, std::chrono::milliseconds timeout);

    // Asks soffice to end, waits for it (at most quitTimeout), then kills whatever of
    // the group is left and removes the private folder. Never throws.
    void Quit();
    // Kills the group at once and removes the private folder. Never throws.
    void Kill();

    bool Running() const { return running_; }
    pid_t SofficePid() const { return sofficePid_; }
    pid_t BridgePid() const { return bridgePid_; }
    const std::string& Folder() const { return folder_; }
    const std::string& ProfileFolder() const { return profile_; }
    const OfficeLaunchOptions& Options() const { return options_; }

private:
    explicit OfficeInstance(OfficeLaunchOptions options) : options_(std::move(options)) {}
    bool Launch(std::string* whyNot);
    bool ReadLine(std::string* line, std::chrono::milliseconds timeout, std::string* whyNot);
    void KillGroupAndReap();
    void RemoveFolder();
    void ReleaseWatchdog();
    bool SofficeExited();

    OfficeLaunchOptions options_;
    std::mutex callMutex_;
    std::string folder_;
    std::string profile_;
    std::string pipeName_;
    std::string templateFolder_;       // where the profile template is kept ("" when nowhere)
    bool seededFromTemplate_ = false;
    bool endedInOrder_ = false;        // soffice ended by itself after the quit request
    pid_t sofficePid_ = -1;
    pid_t bridgePid_ = -1;
    pid_t watchdogPid_ = -1;
    int channel_ = -1;   // our end of the socket pair whose other end is the bridge's stdin/stdout
    int watchdog_ = -1;  // our end of the watchdog's socket
    bool running_ = false;
    bool sofficeReaped_ = false;
    bool groupKilled_ = false;  // the group's id is never signalled again once it may be reused
    std::string pending_;  // bytes read past the last answer line
};

// For a signal handler of the program: kills the process groups of every office
// instance still alive. Async-signal-safe; the private folders are then removed by the
// instances' watchdogs when the program ends.
void KillOfficeInstancesFromSignalHandler();

}  // namespace slidemill
