#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildEnd.h"

extern char** environ;

namespace qv::test {

XvfbServer::~XvfbServer() {
    EndChild(wmPid_, wm_);
    // Xvfb misses a SIGTERM that comes just before it sleeps waiting for its
    // clients, and sleeps on until its next timer, minutes away: it is asked
    // again each second.
    if (pid_ <= 0) return;
    for (int asked = 0; asked < 10; ++asked) {
        ::kill(pid_, SIGTERM);
        if (WaitForChild(pid_, 1000)) return;
    }
    AwaitChild(pid_, "Xvfb", 0);
}

std::string RequestedWindowManager() {
    const char* wm = std::getenv("QV_TEST_WM");
    return wm ? wm : "";
}

namespace {

// Whether a window manager owns the screen's WM_S0 selection, as ICCCM
// managers do once they manage it.
bool ScreenIsManaged(const std::string& display) {
    xcb_connection_t* conn = xcb_connect(display.c_str(), nullptr);
    bool managed = false;
    if (!xcb_connection_has_error(conn)) {
        const char* name = "WM_S0";
        auto* atom = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
                                           nullptr);
        if (atom) {
            auto* owner = xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, atom->atom), nullptr);
            managed = owner && owner->owner != XCB_NONE;
            std::free(owner);
        }
        std::free(atom);
    }
    xcb_disconnect(conn);
    return managed;
}

}  // namespace

bool XvfbServer::StartWindowManager(const std::string& name) {
    wm_ = name;
    std::vector<std::string> args = {name};
    if (name == "openbox") args.push_back("--sm-disable");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) envText.emplace_back(*e);
    envText.push_back("DISPLAY=" + display_);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&wmPid_, name.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    // Asked for and missing is a failure, not a reason to skip the test.
    if (rc != 0) {
        wmPid_ = -1;
        ADD_FAILURE() << name << " could not be started";
        return false;
    }
    // Generous: a loaded machine starts twenty managers at once.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!ScreenIsManaged(display_)) {
        const bool ended = WaitForChild(wmPid_, 0).has_value();
        if (ended) wmPid_ = -1;
        if (ended || std::chrono::steady_clock::now() > end) {
            ADD_FAILURE() << name << " did not take the screen";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool XvfbServer::Start(const std::string& size, const std::vector<std::string>& options) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    // -displayfd: the server picks a free display and writes its number.
    const std::string fdText = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb", "-displayfd", fdText, "-screen", "0", size + "x24",
                                     "-nolisten", "tcp", "-noreset"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        return false;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    const std::string wm = RequestedWindowManager();
    return wm.empty() || StartWindowManager(wm);
}

}  // namespace qv::test
