// A small plug-in for the host's tests, built once per family (QV_TEST_MODEL
// "drII" or "zenk"). It connects its card through the host, exchanges one
// frame, follows arrival and removal, and quits when asked.
//
// Environment:
//   QV_TESTPLUGIN_LOG      file that receives one line per event
//   QV_TESTPLUGIN_CONTROL  FIFO; a line "quit" ends the plug-in
//   QV_TESTPLUGIN_MODE     "null-client", "init-fail", "no-attach", "crash"
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/device/ICommDeviceMgmt.h"
#include "common/device/ICommunicateDevice.h"
#include "host/AppInterfaces.h"
#include "host/HostNames.h"
#include "platform/os/ActivationChannel.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "tests/support/TestProtocol.h"
#include "tests/testplugins/TestPluginLog.h"

#ifndef QV_TEST_MODEL
#error "QV_TEST_MODEL must name the model code"
#endif

namespace {

#define QV_STR2(x) #x
#define QV_STR(x) QV_STR2(x)
constexpr const char* kModelName = QV_STR(QV_TEST_MODEL);
constexpr std::uint32_t kModel = MakeModelCode(kModelName[0], kModelName[1], kModelName[2],
                                               kModelName[3]);
constexpr std::uint8_t kDeviceInfoCommand = 0x26;

std::string Mode() {
    const char* mode = std::getenv("QV_TESTPLUGIN_MODE");
    return mode ? mode : "";
}

// A real segmentation fault: a write to a page without access.
[[noreturn]] void CrashNow() {
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    *static_cast<volatile int*>(page) = 1;
    std::abort();
}

class TestClient final : public IAppClient {
public:
    explicit TestClient(IAppHost* host) : m_host(host), m_manager(host->GetDeviceMgmt()) {}

    BOOL Init() override {
        if (Mode() == "init-fail") {
            TestPluginLog(kModelName, "init-fail");
            // The host neither runs nor ends a client whose Init fails.
            delete this;
            return 0;
        }
        const int connected = m_host->ConnectDevice(this);
        TestPluginLog(kModelName, "init connected=%d", connected);
        if (connected) Exchange();
        if (Mode() == "box-before-attach") {
            // Stands in for a message box shown before the client attaches:
            // a modal loop that only WM_QUIT ends.
            TestPluginLog(kModelName, "box shown");
            qv::os::LoopOptions box;
            box.done = [] { return false; };
            qv::os::RunMessageLoop(box);
            TestPluginLog(kModelName, "box ended");
        }
        return 1;
    }

    int Run(const char16_t*) override {
        if (Mode() == "no-attach") {
            // A client that ends without ever attaching to the host.
            TestPluginLog(kModelName, "end without attach");
            return 0;
        }
        m_host->AttachClient(this);
        WatchControl();
        OpenHiddenWindow();
        TestPluginLog(kModelName, "run thread=%u", qv::os::GetCurrentThreadId());
        const int result = qv::os::RunMessageLoop();
        CloseHiddenWindow();
        UnwatchControl();
        // Closing the window ends the device session.
        if (m_manager && m_manager->GetDevice()) m_manager->Disconnect();
        m_host->DetachClient();
        TestPluginLog(kModelName, "end result=%d", result);
        return result;
    }

    void Uninit() override {
        TestPluginLog(kModelName, "uninit");
        delete this;
    }

    void OnDevicePnp(int removed, const char16_t* path) override {
        TestPluginLog(kModelName, "pnp removed=%d path=%s", removed,
                      qv::os::Utf16ToUtf8(path ? path : u"").c_str());
        if (!removed) Exchange();
    }

    ICommProtocol* GetProtocol() override { return &m_protocol; }
    HMODULE GetInstance() override { return nullptr; }
    std::uint32_t GetModelId() override { return kModel; }
    void Quit() override {
        TestPluginLog(kModelName, "quit");
        qv::os::PostQuitMessage(0);
    }

private:
    void Exchange() {
        std::uint8_t frame[64] = {};
        std::uint8_t reply[64] = {};
        frame[0] = kDeviceInfoCommand;
        const BOOL ok = m_manager && m_manager->SendAndReceive(frame, reply, 3, 500);
        TestPluginLog(kModelName, "exchange ok=%d reply=0x%02x firmware=%d", ok, reply[0],
                      reply[6]);
    }

    void WatchControl() {
        const char* path = std::getenv("QV_TESTPLUGIN_CONTROL");
        if (!path || !*path) return;
        // Read and write: the FIFO never reports a hang-up between writers.
        m_control = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (m_control < 0) return;
        qv::os::WatchFd(m_control, qv::os::kFdRead, [](int fd, unsigned) {
            char buffer[64];
            const ssize_t n = read(fd, buffer, sizeof buffer - 1);
            if (n <= 0) return;
            buffer[n] = 0;
            if (std::strstr(buffer, "quit")) {
                TestPluginLog(kModelName, "control quit");
                qv::os::PostQuitMessage(0);
            }
        });
    }

    // Stands in for the hidden main window: it answers the activation
    // message a second start of the host sends.
    void OpenHiddenWindow() {
        m_hidden = qv::os::CreateTarget([](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == kActivateMessage) {
                TestPluginLog(kModelName, "activate wparam=%u thread=%u",
                              static_cast<unsigned>(wParam), qv::os::GetCurrentThreadId());
            }
            return 0;
        });
        if (!m_activation.Open(kHiddenWindowClass, m_hidden))
            TestPluginLog(kModelName, "activation channel not opened");
    }

    void CloseHiddenWindow() {
        m_activation.Close();
        qv::os::DestroyTarget(m_hidden);
        m_hidden = nullptr;
    }

    void UnwatchControl() {
        if (m_control < 0) return;
        qv::os::UnwatchFd(m_control);
        close(m_control);
        m_control = -1;
    }

    IAppHost* m_host;
    ICommDeviceMgmt* m_manager;
    TestProtocol m_protocol;
    int m_control = -1;
    HWND m_hidden = nullptr;
    qv::os::ActivationReceiver m_activation;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) IAppClient* GetClient(IAppHost* host) {
    const std::string mode = Mode();
    TestPluginLog(kModelName, "get-client");
    if (mode == "null-client") return nullptr;
    if (mode == "crash") CrashNow();
    return new TestClient(host);
}
