#pragma once
// A private Xvfb for display tests: started on a free display number chosen
// by the server itself, stopped and reaped by the destructor. When the
// environment names a window manager (QV_TEST_WM=openbox), it runs on the
// screen too, so the same test shows the program under a desktop's manager.
#include <sys/types.h>

#include <string>
#include <vector>

namespace qv::test {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb is not installed or did not come up, or when the window
    // manager asked for did not take the screen. size: "WxH" of the screen
    // (24-bit); options go to the server as they stand ("-extension",
    // "Composite").
    [[nodiscard]] bool Start(const std::string& size = "640x480", const std::vector<std::string>& options = {});
    // ":N" once started.
    const std::string& Display() const { return display_; }
    // The window manager that runs on the screen ("openbox"); empty: none.
    const std::string& WindowManager() const { return wm_; }

private:
    // Starts the window manager and waits until it manages the screen.
    bool StartWindowManager(const std::string& name);

    pid_t pid_ = -1;
    pid_t wmPid_ = -1;
    std::string display_;
    std::string wm_;
};

// The window manager the tests of this run are asked to run under (the
// value of QV_TEST_WM); empty: none.
std::string RequestedWindowManager();

}  // namespace qv::test
