#pragma once
// A private Xvfb for display tests: started on a free display number chosen
// by the server itself, stopped and reaped by the destructor.
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

    // False when Xvfb is not installed or did not come up. size: "WxH" of
    // the screen (24-bit); options go to the server as they stand
    // ("-extension", "Composite").
    [[nodiscard]] bool Start(const std::string& size = "640x480", const std::vector<std::string>& options = {});
    // ":N" once started.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace qv::test
