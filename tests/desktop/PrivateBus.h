#pragma once
// A private D-Bus session bus for tests: a dbus-daemon of our own, stopped
// and reaped by the destructor.
#include <sys/types.h>

#include <string>

namespace qv::test {

class PrivateBus {
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // False when dbus-daemon is not installed or did not come up.
    [[nodiscard]] bool Start();
    // The address for DBUS_SESSION_BUS_ADDRESS once started.
    const std::string& Address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

}  // namespace qv::test
