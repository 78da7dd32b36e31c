#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SNotifyCenter.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

QV_EVENT_BEGIN(EventCycle, 10030003, u"on_cycle")
QV_EVENT_END

class CycleKnob : public SWindow {
    QV_CLASS_NAME(CycleKnob, SWindow, u"cycleknob", kObjectWindow)
};

std::string g_debug;
void CaptureDebug(const char* text) { g_debug += text; g_debug += '\n'; }

// One plug-in run: everything is built and torn down on this thread.
void RunOnePluginCycle(int cycle, const std::string& logFolder, int* delivered, bool* clean) {
    *clean = SApplication::getSingletonPtr() == nullptr && !SApplication::HasMainWnd();
    auto app = std::make_unique<SApplication>(nullptr);
    *clean = *clean && !app->GetWindowFactory().IsRegistered(u"cycleknob") && app->GetNamedId(u"btnOK") == 0 &&
             app->GetTranslator().GetLanguage() == nullptr;
    app->AddResProvider(nullptr, u"uidef:xml_init");
    app->GetWindowFactory().RegisterClass<CycleKnob>();
    static const NamedId kIds[] = {{u"btnOK", 1}};
    app->SetNamedIds(kIds, 1);
    app->InstallLanguage(u"translator:lang_cn");
    SLogManager& log = app->GetLogManager();
    log.CreateLogger("main");
    log.SetLogFolder(logFolder);
    log.SetLevel(0, qv::os::kLogError);
    log.Start();

    auto centre = std::make_unique<SNotifyCenter>();
    centre->addEvent(EventCycle::EventID, EventCycle::EventName);
    centre->subscribeEvent(EventCycle::EventID, [delivered](EventArgs*) {
        ++*delivered;
        SApplication::PostQuitMessage(0);
        return true;
    });
    auto main = std::make_unique<SHostWnd>(u"LAYOUT:XML_MAIN");
    main->Create();
    app->SetMainWnd(main.get());
    main->FindChildByName(u"wnd_top")->CreateChildrenFromXml(u"<cycleknob name=\"k\"/>");
    main->ShowWindow(SW_SHOWNORMAL);
    std::thread([&centre] { centre->FireEventAsync(std::make_shared<EventCycle>(nullptr)); }).join();
    QV_LOGE("cycle %d", cycle);
    app->Run(main->GetHwnd());

    main->DestroyWindow();
    main.reset();
    centre.reset();
    app.reset();
    qv::os::DestroyThreadQueue();
}

TEST(ApplicationTest, CreateDestroyTwentyTimesOnFreshThreadsLeavesNothingBehind) {
    std::string folder = (std::filesystem::temp_directory_path() / ("qv_ui_log_" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(folder);
    for (int cycle = 0; cycle < 20; ++cycle) {
        int delivered = 0;
        bool clean = false;
        std::thread(RunOnePluginCycle, cycle, folder, &delivered, &clean).join();
        EXPECT_TRUE(clean) << "cycle " << cycle;
        EXPECT_EQ(delivered, 1) << "cycle " << cycle;
    }
    EXPECT_EQ(SApplication::getSingletonPtr(), nullptr);
    EXPECT_FALSE(SApplication::HasMainWnd());

    std::ifstream in(folder + "/default.log");
    std::stringstream lines;
    lines << in.rdbuf();
    EXPECT_NE(lines.str().find("ERROR [soui]"), std::string::npos);
    EXPECT_NE(lines.str().find("RunOnePluginCycle"), std::string::npos);
    EXPECT_NE(lines.str().find("cycle 19"), std::string::npos);
    std::filesystem::remove_all(folder);

    // With no application the line goes to the debug output.
    g_debug.clear();
    qv::os::SetDebugOutputHook(CaptureDebug);
    QV_LOGE("after the last cycle");
    qv::os::SetDebugOutputHook(nullptr);
    EXPECT_NE(g_debug.find("after the last cycle"), std::string::npos);
}

TEST(ApplicationTest, LevelFilterSendsLowerLevelsToTheDebugOutput) {
    SApplication app(nullptr);
    SLogManager& log = app.GetLogManager();
    log.SetLevel(0, qv::os::kLogError);
    EXPECT_FALSE(log.IsEnabled(0, qv::os::kLogError));  // not started
    log.Start();
    EXPECT_TRUE(log.IsEnabled(0, qv::os::kLogError));
    EXPECT_FALSE(log.IsEnabled(0, qv::os::kLogWarn));
    EXPECT_FALSE(log.IsEnabled(7, qv::os::kLogError));  // no such logger
    g_debug.clear();
    qv::os::SetDebugOutputHook(CaptureDebug);
    QV_LOGW("a warning");
    QV_LOGE("an error");  // no folder: the formatted line goes to the debug output
    qv::os::SetDebugOutputHook(nullptr);
    EXPECT_NE(g_debug.find("a warning"), std::string::npos);
    EXPECT_NE(g_debug.find("ERROR [soui]"), std::string::npos);
    EXPECT_NE(g_debug.find("ApplicationTest_LevelFilter"), std::string::npos);
    qv::os::LogRecord r{"soui", qv::os::kLogError, "AppBase/AppBase", 12, "CAppBase::Init", nullptr, "text"};
    std::string line = SLogManager::FormatLine(r);
    EXPECT_NE(line.find("ERROR [soui] AppBase/AppBase:12 CAppBase::Init"), std::string::npos);
    EXPECT_EQ(line.substr(line.size() - 4), "text");
}

}  // namespace
}  // namespace qv::ui
