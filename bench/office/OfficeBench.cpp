// slidemill-bench-office: how long `slidemill convert --app office` takes for a 30-slide
// deck next to the office suite's own PDF export of the same deck.
//   slidemill-bench-office [SOURCE_DECK [SLIDES]]
// The deck is made by repeating the slides of SOURCE_DECK (default: the corpus probe
// deck) with make_long_deck.py. Both conversions run once with a warmed profile first.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files/Files.h"

extern char** environ;

namespace {

// Runs a program with its output discarded; the wall-clock seconds, or -1 on failure.
double Timed(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace slidemill;
    const std::string source = argc > 1 ? argv[1] : std::string(SLIDEMILL_CORPUS) + "/decks-made/probe_deck.odp";
    const int slides = argc > 2 ? std::atoi(argv[2]) : 30;
    PrivateTempFolder work;
    if (!work.Ok() || !PathExists(source) || slides < 1) {
        std::fprintf(stderr, "slidemill-bench-office: no work folder, or no deck %s\n", source.c_str());
        return 1;
    }
    const std::string dir = work.Path() + "/";
    const std::string deck = dir + "long.odp";
    if (Timed({"/usr/bin/python3", SLIDEMILL_MAKE_DECK, source, std::to_string(slides), deck, dir + "make-profile"}) < 0 ||
        !PathExists(deck)) {
        std::fprintf(stderr, "slidemill-bench-office: could not make the %d-slide deck\n", slides);
        return 1;
    }
    const std::vector<std::string> ours = {SLIDEMILL_EXE, "convert", "--app", "office", deck, "-o", dir + "ours.pdf",
                                           "-y", "-q"};
    const std::vector<std::string> theirs = {"soffice", "--headless", "--norestore",
                                             "-env:UserInstallation=file://" + dir + "soffice-profile",
                                             "--convert-to", "pdf", "--outdir", dir + "theirs", deck};
    Timed(ours);  // warm the file cache
    Timed(theirs);  // makes the office suite's profile, which a user has already
    const double a = Timed(ours);
    const double b = Timed(theirs);
    if (a < 0 || b < 0) {
        std::fprintf(stderr, "slidemill-bench-office: a conversion failed (slidemill %.3f, soffice %.3f)\n", a, b);
        return 1;
    }
    std::printf("deck: %d slides (from %s)\n", slides, source.c_str());
    std::printf("slidemill convert --app office: %.3f s\n", a);
    std::printf("soffice --convert-to pdf:       %.3f s\n", b);
    std::printf("ratio slidemill / soffice:      %.2f\n", a / b);
    return 0;
}
