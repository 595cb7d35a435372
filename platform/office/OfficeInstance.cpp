#include "platform/office/OfficeInstance.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/automation/PresentationApp.h"
#include "platform/office/OfficeLocator.h"
#include "platform/office/ProfileTemplate.h"

extern char** environ;

namespace slidemill {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// Process groups of the live instances, for KillOfficeInstancesFromSignalHandler. A
// fixed table of atomics, so a signal handler can walk it without locks or allocation.
constexpr size_t kMaxInstances = 32;
std::atomic<pid_t> liveGroups[kMaxInstances];

void RegisterGroup(pid_t group) {
    for (auto& slot : liveGroups) {
        pid_t expected = 0;
        if (slot.compare_exchange_strong(expected, group)) return;
    }
}

void UnregisterGroup(pid_t group) {
    for (auto& slot : liveGroups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0)) return;
    }
}

// Kills the process group given as $1 and removes the folder $2 unless the line it
// reads says the instance ended in order. Ignores the terminal's signals, so Ctrl-C on
// the program does not take the watchdog with it.
constexpr const char* kWatchdogScript =
    "trap '' INT HUP TERM QUIT PIPE TSTP\n"
    "IFS= read -r line\n"
    "if [ \"$line\" != done ]; then kill -s KILL -- \"-$1\" 2>/dev/null; sleep 1; kill -s KILL -- \"-$1\" 2>/dev/null; fi\n"
    "rm -rf -- \"$2\"\n";

std::string PercentEncodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string RandomHex(size_t digits) {
    std::random_device rd;
    std::string s;
    static const char* hex = "0123456789abcdef";
    while (s.size() < digits) {
        uint32_t v = rd();
        for (int i = 0; i < 8 && s.size() < digits; ++i, v >>= 4) s += hex[v & 15];
    }
    return s;
}

std::string TempRoot() {
    const char* t = std::getenv("TMPDIR");
    std::string root = (t && *t) ? t : "/tmp";
    std::error_code ec;
    if (!fs::is_directory(root, ec)) root = "/tmp";
    return root;
}

std::string ErrnoText(const char* what, int err) { return std::string(what) + ": " + std::strerror(err); }

// posix_spawn with the settings every child of an instance shares: default signal
// dispositions and an empty mask, no descriptors beyond 0-2, and the given stdin,
// stdout, stderr and process group (or a new session).
class Spawn {
public:
    Spawn() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attr_);
    }
    ~Spawn() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attr_);
    }
    void Stdio(int in, int out, int err) {
        posix_spawn_file_actions_adddup2(&actions_, in, 0);
        posix_spawn_file_actions_adddup2(&actions_, out, 1);
        posix_spawn_file_actions_adddup2(&actions_, err, 2);
        posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
    }
    void Group(pid_t group) {
        flags_ |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attr_, group);
    }
    void NewSession() { flags_ |= POSIX_SPAWN_SETSID; }
    int Run(const std::vector<std::string>& args, pid_t* pid) {
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        posix_spawnattr_setsigmask(&attr_, &none);
        posix_spawnattr_setsigdefault(&attr_, &all);
        posix_spawnattr_setflags(&attr_, short(flags_ | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        return posix_spawn(pid, argv[0], &actions_, &attr_, argv.data(), environ);
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attr_;
    int flags_ = 0;
};

// Waits for a child to end, at most `limit`; true when it has ended (and was reaped).
bool WaitForChild(pid_t pid, milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (true) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(milliseconds(10));
    }
}

// The processes of a group that still run, by /proc. Zombies do not count: they run no
// code, and who reaps them (init, or a container's first process) is not ours to wait for.
std::vector<pid_t> LiveGroupMembers(pid_t group) {
    std::vector<pid_t> members;
    if (kill(-group, 0) != 0) return members;
    DIR* proc = opendir("/proc");
    if (!proc) return {group};
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end) continue;
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string text;
        if (!std::getline(stat, text)) continue;
        const size_t close = text.rfind(')');
        if (close == std::string::npos || close + 2 >= text.size()) continue;
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        long ppid = 0, pgrp = 0;
        rest >> state >> ppid >> pgrp;
        if (pgrp == group && state != 'Z' && state != 'X') members.push_back(pid_t(pid));
    }
    closedir(proc);
    return members;
}

}  // namespace

void KillOfficeInstancesFromSignalHandler() {
    for (auto& slot : liveGroups) {
        pid_t group = slot.load();
        if (group > 0) kill(-group, SIGKILL);
    }
}

std::unique_ptr<OfficeInstance> OfficeInstance::Start(const OfficeLaunchOptions& options, std::string* whyNot) {
    std::unique_ptr<OfficeInstance> instance(new OfficeInstance(options));
    std::string reason;
    if (!instance->Launch(&reason)) {
        instance->Kill();
        if (whyNot) *whyNot = reason;
        return nullptr;
    }
    return instance;
}

OfficeInstance::~OfficeInstance() { Kill(); }

bool OfficeInstance::Launch(std::string* whyNot) {
    const std::string soffice = FindSoffice(options_.sofficePath);
    if (soffice.empty()) {
        *whyNot = "soffice was not found";
        return false;
    }
    const std::string bridge = FindOfficeBridge(options_.bridgePath);
    if (bridge.empty()) {
        *whyNot = "the office bridge program slidemill_office_bridge.py was not found";
        return false;
    }
    if (access(options_.pythonPath.c_str(), X_OK) != 0) {
        *whyNot = options_.pythonPath + " was not found";
        return false;
    }

    // The private folder: the profile and the exported pictures of this instance only.
    std::string pattern = TempRoot() + "/slidemill-office-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        *whyNot = ErrnoText("cannot create a private folder", errno);
        return false;
    }
    folder_ = buf.data();
    profile_ = folder_ + "/profile";
    std::error_code ec;
    fs::create_directories(profile_ + "/user", ec);
    if (ec) {
        *whyNot = "cannot create the office profile: " + ec.message();
        return false;
    }
    const std::string version = OfficeProductVersion(soffice);
    if (!version.empty()) {
        std::ofstream seed(profile_ + "/user/registrymodifications.xcu");
        seed << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" "
                "oor:op=\"fuse\"><value>"
             << version
             << "</value></prop></item>\n"
                "<item oor:path=\"/org.openoffice.Setup/Office\"><prop oor:name=\"FirstStartWizardCompleted\" "
                "oor:op=\"fuse\"><value>true</value></prop></item>\n"
                // The copy a deck's links are read from needs no preview picture.
                "<item oor:path=\"/org.openoffice.Office.Common/Save/Document\"><prop oor:name=\"GenerateThumbnail\" "
                "oor:op=\"fuse\"><value>false</value></prop></item>\n"
                "</oor:items>\n";
    }
    templateFolder_ = options_.useProfileTemplate ? OfficeProfileTemplateFolder(version) : std::string();
    seededFromTemplate_ = SeedProfileFromTemplate(templateFolder_, profile_);
    pipeName_ = "slidemill-" + std::to_string(getpid()) + "-" + RandomHex(12);

    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0) {
        *whyNot = ErrnoText("cannot open /dev/null", errno);
        return false;
    }
    struct CloseLater {
        int fd;
        ~CloseLater() {
            if (fd >= 0) close(fd);
        }
    } closeNull{devNull};

    // soffice, leading a process group of its own.
    {
        Spawn spawn;
        spawn.Stdio(devNull, devNull, devNull);
        spawn.Group(0);
        std::vector<std::string> args = {soffice,
                                         "--headless",
                                         "--invisible",
                                         "--norestore",
                                         "--nologo",
                                         "--nodefault",
                                         "--nolockcheck",
                                         "-env:UserInstallation=file://" + PercentEncodePath(profile_),
                                         "--accept=pipe,name=" + pipeName_ + ";urp;StarOffice.ComponentContext"};
        int err = spawn.Run(args, &sofficePid_);
        if (err != 0) {
            sofficePid_ = -1;
            *whyNot = ErrnoText("cannot start soffice", err);
            return false;
        }
        running_ = true;
        RegisterGroup(sofficePid_);
    }

    // The watchdog, in a session of its own; it reads from a socket whose other end
    // only this process has (a socket, so that telling a watchdog that has gone "done"
    // cannot raise SIGPIPE here).
    {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            *whyNot = ErrnoText("cannot create a socket pair", errno);
            return false;
        }
        Spawn spawn;
        spawn.Stdio(fds[0], devNull, devNull);
        spawn.NewSession();
        int err = spawn.Run({"/bin/sh", "-c", kWatchdogScript, "slidemill-office-watchdog",
                             std::to_string(sofficePid_), folder_},
                            &watchdogPid_);
        close(fds[0]);
        if (err != 0) {
            close(fds[1]);
            watchdogPid_ = -1;
            *whyNot = ErrnoText("cannot start the office watchdog", err);
            return false;
        }
        watchdog_ = fds[1];
    }

    // The bridge, in soffice's group, talking over a socket pair (a socket, so that a
    // write to a bridge that has gone cannot raise SIGPIPE in this process).
    {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
            *whyNot = ErrnoText("cannot create a socket pair", errno);
            return false;
        }
        const int log = open((folder_ + "/bridge.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Spawn spawn;
        spawn.Stdio(pair[1], pair[1], log >= 0 ? log : devNull);
        spawn.Group(sofficePid_);
        const long startSeconds = long(options_.startTimeout.count() / 1000) + 1;
        int err = spawn.Run({options_.pythonPath, bridge, "--pipe", pipeName_, "--connect-timeout",
                             std::to_string(startSeconds)},
                            &bridgePid_);
        close(pair[1]);
        if (log >= 0) close(log);
        if (err != 0) {
            close(pair[0]);
            bridgePid_ = -1;
            *whyNot = ErrnoText("cannot start the office bridge", err);
            return false;
        }
        channel_ = pair[0];
    }

    std::string line;
    if (!ReadLine(&line, options_.startTimeout + milliseconds(5000), whyNot)) return false;
    nlohmann::json ready = nlohmann::json::parse(line, nullptr, false);
    if (ready.is_discarded() || !ready.is_object()) {
        *whyNot = "the office bridge answered something unexpected";
        return false;
    }
    if (!ready.value("ok", false)) {
        *whyNot = ready.value("error", std::string("the office bridge did not connect"));
        return false;
    }
    return true;
}

bool OfficeInstance::SofficeExited() {
    if (sofficeReaped_ || sofficePid_ <= 0) return true;
    int status = 0;
    pid_t r = waitpid(sofficePid_, &status, WNOHANG);
    if (r == sofficePid_ || (r < 0 && errno == ECHILD)) sofficeReaped_ = true;
    return sofficeReaped_;
}

bool OfficeInstance::ReadLine(std::string* line, milliseconds timeout, std::string* whyNot) {
    const auto deadline = Clock::now() + timeout;
    std::optional<Clock::time_point> sofficeGoneAt;
    while (true) {
        const size_t nl = pending_.find('\n');
        if (nl != std::string::npos) {
            *line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            *whyNot = "The presentation application did not answer in time.";
            return false;
        }
        // soffice gone but the bridge silent: give it a moment to report, then stop
        // waiting rather than hang until the deadline.
        if (!sofficeGoneAt && SofficeExited()) sofficeGoneAt = now;
        if (sofficeGoneAt && now - *sofficeGoneAt > milliseconds(3000)) {
            *whyNot = "The presentation application has stopped unexpectedly.";
            return false;
        }
        pollfd p{channel_, POLLIN, 0};
        const int r = poll(&p, 1, 100);
        if (r < 0) {
            if (errno == EINTR) continue;
            *whyNot = ErrnoText("cannot wait for the presentation application", errno);
            return false;
        }
        if (r == 0) continue;
        char buf[65536];
        const ssize_t n = read(channel_, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            *whyNot = "The presentation application has stopped unexpectedly.";
            return false;
        }
        if (n == 0) {
            *whyNot = "The presentation application has stopped unexpectedly.";
            return false;
        }
        pending_.append(buf, size_t(n));
    }
}

nlohmann::json OfficeInstance::Call(const nlohmann::json& request, milliseconds timeout) {
    std::lock_guard<std::mutex> lock(callMutex_);
    if (!running_ || channel_ < 0) throw AutomationError("The presentation application is no longer running.");
    std::string text = request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(channel_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Kill();
            throw AutomationError("The presentation application has stopped unexpectedly.");
        }
        sent += size_t(n);
    }
    std::string line, whyNot;
    if (!ReadLine(&line, timeout, &whyNot)) {
        Kill();
        throw AutomationError(whyNot);
    }
    nlohmann::json answer = nlohmann::json::parse(line, nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) {
        Kill();
        throw AutomationError("The presentation application bridge answered something unexpected.");
    }
    if (!answer.value("ok", false)) {
        std::string error = answer.value("error", std::string("The presentation application reported an error."));
        if (answer.value("stopped", false)) Kill();
        throw AutomationError(error);
    }
    return answer;
}

void OfficeInstance::Quit() {
    if (running_ && channel_ >= 0) {
        bool quitAnswered = false;
        try {
            Call({{"op", "quit"}}, options_.quitTimeout);
            quitAnswered = true;
        } catch (const std::exception&) {
            // Killed below either way.
        }
        // soffice sometimes lingers seconds in its shutdown after it has answered.
        // Nothing of a run is saved, and the profile goes with the private folder,
        // so once it has had a moment it is ended; only an instance whose profile
        // may become the template is waited for in full.
        const auto patience = quitAnswered && seededFromTemplate_ ? options_.quitGrace : options_.quitTimeout;
        if (running_ && !sofficeReaped_) {
            if (WaitForChild(sofficePid_, patience)) sofficeReaped_ = true;
        }
        // Only a profile whose instance ended by itself is complete enough to keep.
        endedInOrder_ = quitAnswered && sofficeReaped_ && !groupKilled_;
    }
    Kill();
}

void OfficeInstance::KillGroupAndReap() {
    if (groupKilled_) return;
    groupKilled_ = true;
    if (sofficePid_ > 0) {
        // soffice.bin runs as the launcher's child. Killed first, it is reaped by the
        // launcher, which then ends by itself; killed together with the launcher it
        // would be left to init to reap.
        if (!sofficeReaped_) {
            for (pid_t p : LiveGroupMembers(sofficePid_)) {
                if (p != sofficePid_ && p != bridgePid_) kill(p, SIGKILL);
            }
            if (WaitForChild(sofficePid_, milliseconds(1000))) sofficeReaped_ = true;
        }
        kill(-sofficePid_, SIGKILL);
        if (!sofficeReaped_ && WaitForChild(sofficePid_, milliseconds(5000))) sofficeReaped_ = true;
    }
    if (bridgePid_ > 0) {
        kill(bridgePid_, SIGKILL);
        WaitForChild(bridgePid_, milliseconds(5000));
        bridgePid_ = -1;
    }
    if (sofficePid_ > 0) {
        // Nothing of the group may still write into the profile while it is removed.
        const auto until = Clock::now() + milliseconds(5000);
        while (!LiveGroupMembers(sofficePid_).empty() && Clock::now() < until)
            std::this_thread::sleep_for(milliseconds(10));
        UnregisterGroup(sofficePid_);
    }
}

void OfficeInstance::RemoveFolder() {
    if (folder_.empty()) return;
    std::error_code ec;
    fs::remove_all(folder_, ec);
    folder_.clear();
}

void OfficeInstance::ReleaseWatchdog() {
    if (watchdog_ >= 0) {
        static const char done[] = "done\n";
        ssize_t ignored = send(watchdog_, done, sizeof done - 1, MSG_NOSIGNAL);
        (void)ignored;
        close(watchdog_);
        watchdog_ = -1;
    }
    if (watchdogPid_ > 0) {
        WaitForChild(watchdogPid_, milliseconds(5000));
        watchdogPid_ = -1;
    }
}

void OfficeInstance::Kill() {
    if (channel_ >= 0) {
        close(channel_);
        channel_ = -1;
    }
    KillGroupAndReap();
    running_ = false;
    if (endedInOrder_ && !seededFromTemplate_ && !profile_.empty()) SaveProfileTemplate(templateFolder_, profile_);
    endedInOrder_ = false;
    RemoveFolder();
    ReleaseWatchdog();
}

}  // namespace slidemill
