#pragma once
// A UI thread for the catalogue tests: an application with a main window
// and a notify centre, so that the downloaders' finish events are fired and
// delivered here, a private app-data folder, and waiting with a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SNotifyCenter.h"
#include "platform/ui/controls/StandardControls.h"

class CloudRig : public ::testing::Test {
protected:
    void SetUp() override {
        qv::os::SetDebugOutputHook([](const char*) {});
        char pattern[] = "/tmp/qv-cloud-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        app = std::make_unique<qv::ui::SApplication>(nullptr);
        qv::ui::RegisterStandardControls(app->GetWindowFactory());
        center = std::make_unique<qv::ui::SNotifyCenter>();
        mainWnd = std::make_unique<qv::ui::SHostWnd>();
        ASSERT_NE(mainWnd->CreateFromXml(u"<SOUI size=\"100,100\"><root/></SOUI>"), nullptr);
        app->SetMainWnd(mainWnd.get());
    }
    void TearDown() override {
        Pump();
        app->SetMainWnd(nullptr);
        mainWnd->DestroyWindow();
        Pump();
        center.reset();
        mainWnd.reset();
        app.reset();
        qv::os::DestroyThreadQueue();
        unsetenv("QV_CATALOGUE_URL");
        std::filesystem::remove_all(dir);
        qv::os::SetDebugOutputHook(nullptr);
    }
    static void Pump() {
        while (qv::os::PumpOneMessage()) {
        }
    }
    // Delivers events until done() or the deadline; false on the deadline.
    static bool WaitFor(const std::function<bool()>& done, double seconds = 20) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    std::string dir;
    std::unique_ptr<qv::ui::SApplication> app;
    std::unique_ptr<qv::ui::SNotifyCenter> center;
    std::unique_ptr<qv::ui::SHostWnd> mainWnd;
};
