// How messages and events find their handlers: a window's destruction
// reaching the derived class and its chained pages, pages that take only
// their own events, and subscriptions to events a window does not offer.
#include <gtest/gtest.h>

#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/SSliderBar.h"
#include "platform/ui/controls/StandardControls.h"
#include "tests/device/LogProbe.h"
#include "tests/support/UiInput.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

// A page chained into its window's map; it sees WM_DESTROY and passes it on.
class DestroyPage : public CMessageMap {
public:
    explicit DestroyPage(std::vector<std::string>& log) : m_log(log) {}
    BEGIN_MSG_MAP_EX(DestroyPage)
        MSG_WM_DESTROY(OnDestroy)
    END_MSG_MAP()
    void OnDestroy() {
        m_log.push_back("page");
        SetMsgHandled(FALSE);
    }
    std::vector<std::string>& m_log;
};

class PagedHost : public SHostWnd {
public:
    explicit PagedHost(std::vector<std::string>& log) : m_page(log), m_log(log) {}
    ~PagedHost() override { m_log.push_back("~PagedHost"); }
    BEGIN_MSG_MAP_EX(PagedHost)
        CHAIN_MSG_MAP_MEMBER(m_page)
        MSG_WM_DESTROY(OnDestroy)
        CHAIN_MSG_MAP(SHostWnd)
    END_MSG_MAP()
    void OnDestroy() { m_log.push_back("host"); }
    DestroyPage m_page;
    std::vector<std::string>& m_log;
};

TEST_F(UiAppTest, DestroyReachesTheDerivedClassAndItsPagesBeforeTheyGo) {
    LogProbe errors;
    std::vector<std::string> log;
    std::unique_ptr<SHostWnd, DestroyWindowFirst> held(new PagedHost(log));
    ASSERT_NE(held->CreateFromXml(u"<SOUI size=\"20,20\"><root/></SOUI>"), nullptr);
    held.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"page", "host", "~PagedHost"}));

    log.clear();
    PagedHost closed(log);
    ASSERT_NE(closed.CreateFromXml(u"<SOUI size=\"20,20\"><root/></SOUI>"), nullptr);
    closed.SendMessage(WM_CLOSE);
    EXPECT_EQ(log, (std::vector<std::string>{"page", "host"}));
    EXPECT_TRUE(errors.Lines().empty());

    // Deleted while still a window: only the base sees its destruction, and
    // the log says so.
    log.clear();
    auto plain = std::make_unique<PagedHost>(log);
    ASSERT_NE(plain->CreateFromXml(u"<SOUI size=\"20,20\"><root/></SOUI>"), nullptr);
    plain.reset();
    EXPECT_EQ(log, std::vector<std::string>{"~PagedHost"});
    ASSERT_EQ(errors.Lines().size(), 1u);
    EXPECT_NE(errors.Lines()[0].find("PagedHost ended while still a window"), std::string::npos) << errors.Lines()[0];
}

// A page that takes the slider events of its own panel and declines others.
class PanelPage {
public:
    explicit PanelPage(const char16_t* panel) : m_panel(panel) {}
    EVENT_MAP_BEGIN()
        EVENT_HANDLER(EVT_SLIDER_POS, OnSlider)
    EVENT_MAP_END()
    bool OnSlider(EventArgs* e) {
        auto* sender = dynamic_cast<SWindow*>(e->sender);
        if (!sender || !sender->GetParent() || sender->GetParent()->GetName() != SStringW(m_panel)) return false;
        seen.push_back(e->idFrom);
        return true;
    }
    const char16_t* m_panel;
    std::vector<int> seen;
};

// A page that takes a range of sender ids.
class RangePage {
public:
    EVENT_MAP_BEGIN()
        EVENT_ID_RANGE_HANDLER(200, 299, EVT_SLIDER_POS, OnSlider)
    EVENT_MAP_END()
    void OnSlider(EventArgs* e) { seen.push_back(e->idFrom); }
    std::vector<int> seen;
};

class TwoPageHost : public SHostWnd {
public:
    EVENT_MAP_BEGIN()
        CHAIN_EVENT_MAP_MEMBER(m_panelPage)
        CHAIN_EVENT_MAP_MEMBER(m_rangePage)
        EVENT_NAME_HANDLER(u"slider_free", EVT_SLIDER_POS, OnFree)
    EVENT_MAP_END()
    void OnFree(EventArgs* e) { free.push_back(e->idFrom); }
    PanelPage m_panelPage{u"panel_a"};
    RangePage m_rangePage;
    std::vector<int> free;
};

TEST_F(UiAppTest, ChainedPagesEachReceiveOnlyTheirOwnSliderEvents) {
    RegisterStandardControls(m_app->GetWindowFactory());
    TwoPageHost host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"300,120\"><root>"
                                 u"<window name=\"panel_a\" pos=\"0,0,-0,@40\">"
                                 u"<sliderbar id=\"100\" pos=\"0,0,@100,@20\" max=\"10\"/>"
                                 u"<sliderbar id=\"250\" pos=\"150,0,@100,@20\" max=\"10\"/></window>"
                                 u"<sliderbar id=\"201\" pos=\"0,50,@100,@20\" max=\"10\"/>"
                                 u"<sliderbar id=\"300\" name=\"slider_free\" pos=\"0,80,@100,@20\" max=\"10\"/>"
                                 u"</root></SOUI>"),
              nullptr);
    for (int id : {100, 250, 201, 300, 201}) {
        SWindow* slider = host.FindChildByID(id);
        ASSERT_NE(slider, nullptr);
        slider->SetFocus();
        qv::test::KeyDown(host, VK_RIGHT);
    }
    EXPECT_EQ(host.m_panelPage.seen, (std::vector<int>{100, 250}));
    EXPECT_EQ(host.m_rangePage.seen, (std::vector<int>{201, 201}));
    EXPECT_EQ(host.free, std::vector<int>{300});
    host.DestroyWindow();
}

TEST_F(UiAppTest, SubscribingToAnEventAWindowDoesNotOfferIsLogged) {
    LogProbe log;
    log.onLine = nullptr;
    SSliderBar slider;
    EXPECT_NE(slider.SubscribeEvent(EVT_SLIDER_POS, [](EventArgs*) { return true; }), 0u);
    SWindow plain;
    EXPECT_EQ(plain.SubscribeEvent(EVT_SLIDER_POS, [](EventArgs*) { return true; }), 0u);
    EXPECT_EQ(log.Count("qv::ui::EventSet::SubscribeEvent: event 17000 is not offered here; the subscription is refused"), 1);
}

}  // namespace
}  // namespace qv::ui
