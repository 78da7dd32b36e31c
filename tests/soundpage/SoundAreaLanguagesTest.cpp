// The sound area in each language of the skin, with the windows it opens:
// the favourites with their hotkey texts, the local page with "+", a cloud
// page, the volume popup, a pad's menu and the name dialog. In English none
// of the program's own texts is left in Chinese; the names of sounds and
// categories are the user's or the catalogue's and stay as they are. The
// pictures are kept under artifacts/sound/.
#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "families/ThisFamily.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/SMenuWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "platform/ui/controls/STabCtrl.h"
#include "platform/ui/controls/STabPage.h"
#include "plugin/dialogs/DlgEditFileName.h"
#include "plugin/dialogs/SetVolumeDlg.h"
#include "plugin/sound/SoundPadIds.h"
#include "tests/soundpage/SoundPageEnv.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/ExpectedFamily.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

bool HasChinese(const std::u16string& text) {
    for (char16_t c : text)
        if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

// Pads whose names are the user's or the catalogue's, not the program's:
// the favourites past the built-in ones, the custom, downloaded and cloud
// sounds.
bool IsNamedByData(int id) {
    return (id >= kFirstFavouritePad + 10 && id < kFirstBuiltInPad) || (id >= kFirstCustomPad && id < 28000);
}

class SoundAreaLanguagesTest : public SoundPageEnv {
protected:
    void SetUp() override {
        SoundPageEnv::SetUp();
        const std::string laugh = MakeTone("laugh.mp3", 0.3);
        m_sim = std::make_unique<CatalogSim>();
        m_sim->Describe(R"({"routes":{
            "POST /tuning/api/live/getSpecialEffectCategory.json":{"json":{"message":"ok","data":[
                {"id":1,"categoryName":"笑声"},{"id":2,"categoryName":"掌声"}]}},
            "POST /tuning/api/live/findByCategory.json":{"json":{"message":"ok","data":[
                {"id":101,"name":"大笑","url":"{base}/files/laugh.mp3"},
                {"id":102,"name":"偷笑","url":"{base}/files/laugh.mp3"}]}},
            "POST /tuning/api/sound/getSoundList.json":{"json":{"message":"ok","data":[]}}}})");
        ASSERT_TRUE(m_sim->Start());
        m_sim->UseAsCatalogue();
    }

    // The texts the window and its children show, tips and tab titles with
    // them, leaving out what the data names.
    void CollectTexts(ui::SWindow* w, std::vector<std::u16string>& out) const {
        // The name being edited is the user's too.
        if (!w || IsNamedByData(w->GetID()) || w->GetName() == u"edit_name") return;
        if (auto* page = dynamic_cast<ui::STabPage*>(w)) {
            auto* tabs = dynamic_cast<ui::STabCtrl*>(page->GetParent());
            for (int i = 0; tabs && i < tabs->GetItemCount() && i < CEventHandlerSound::kFixedTabs; ++i)
                if (tabs->GetItem(i) == page) out.push_back(page->GetTitle().str());
        }
        if (dynamic_cast<ui::SMenuItemWnd*>(w) || !w->GetWindowText(true).IsEmpty())
            out.push_back(w->GetWindowText().str());
        out.push_back(w->GetToolTipText().str());
        for (ui::SWindow* c = w->GetWindow(ui::GSW_FIRSTCHILD); c; c = c->GetWindow(ui::GSW_NEXTSIBLING))
            CollectTexts(c, out);
    }
    // Each text left in Chinese, in `english` only.
    void ExpectTranslated(ui::SWindow* root, bool english, const char* what) const {
        std::vector<std::u16string> texts;
        CollectTexts(root, texts);
        std::erase(texts, u"");
        EXPECT_FALSE(texts.empty()) << what;
        if (!english) return;
        for (const std::u16string& text : texts) EXPECT_FALSE(HasChinese(text)) << what << ": " << os::Utf16ToUtf8(text);
    }

    // Every text of the area whole in its place, the tabs' titles in their
    // tabs; what the data names is left out.
    void ExpectWhole(ui::SWindow* w, const char* what) const {
        if (!w || IsNamedByData(w->GetID()) || !w->IsVisible(true)) return;
        if (auto* tabs = dynamic_cast<ui::STabCtrl*>(w)) {
            for (int i = 0; i < CEventHandlerSound::kFixedTabs; ++i) {
                const ui::SStringW title = tabs->GetItem(i)->GetTitle();
                EXPECT_LE(ui::SRenderTarget::MeasureTextWith(title, tabs->GetFont()).cx, tabs->GetTabRect(i).Width())
                    << what << ": " << title.ToUtf8();
            }
        }
        if (!w->GetWindowText(true).IsEmpty() && !w->GetWindow(ui::GSW_FIRSTCHILD)) {
            EXPECT_LE(w->GetDesiredSize().cx, w->GetWindowRect().Width()) << what << ": " << w->GetWindowText().ToUtf8();
        }
        for (ui::SWindow* c = w->GetWindow(ui::GSW_FIRSTCHILD); c; c = c->GetWindow(ui::GSW_NEXTSIBLING))
            ExpectWhole(c, what);
    }

    // The sound area as the screen shows it, with the windows over it (a
    // popup, a menu) where they stand; without the area, the windows alone.
    void Save(const std::string& name, const std::vector<ui::SHostWnd*>& over, bool withArea = true) {
        m_dlg->UpdateWindow();
        ui::CRect area = Named(u"sound_wnd")->GetWindowRect();
        area.Offset(m_dlg->GetScreenRect().left, m_dlg->GetScreenRect().top);
        ui::CRect all = withArea ? area : ui::CRect();
        for (ui::SHostWnd* host : over) {
            host->UpdateWindow();
            all.Union(all, host->GetScreenRect());
        }
        const fs::path path = fs::path(QV_ARTIFACTS_DIR) / "sound" / (std::string(ThisFamily().name) + "_" + name);
        fs::create_directories(path.parent_path());
        cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, all.Width(), all.Height());
        cairo_t* cr = cairo_create(out);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        if (withArea) {
            // The main window only where the area is.
            cairo_save(cr);
            cairo_rectangle(cr, area.left - all.left, area.top - all.top, area.Width(), area.Height());
            cairo_clip(cr);
            const ui::CRect main = m_dlg->GetScreenRect();
            cairo_set_source_surface(cr, m_dlg->GetFrameBitmap()->Surface(), main.left - all.left, main.top - all.top);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        for (ui::SHostWnd* host : over) {
            const ui::CRect rc = host->GetScreenRect();
            cairo_set_source_surface(cr, host->GetFrameBitmap()->Surface(), rc.left - all.left, rc.top - all.top);
            cairo_paint(cr);
        }
        cairo_destroy(cr);
        EXPECT_EQ(cairo_surface_write_to_png(out, path.c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(out);
    }
    // The pointer over the pad, where a right click opens its menu.
    void PointAt(int id) {
        auto* display = dynamic_cast<ui::HeadlessDisplay*>(&ui::GetDisplayBackend());
        ui::SWindow* pad = Reveal(id);
        if (!display || !pad) return;
        ui::CPoint at = CenterOf(pad);
        at = {at.x + m_dlg->GetScreenRect().left, at.y + m_dlg->GetScreenRect().top};
        display->SetCursorPos(at);
    }

    std::unique_ptr<CatalogSim> m_sim;
};

TEST_F(SoundAreaLanguagesTest, EveryPageAndWindowOfTheSoundAreaShowsInBothLanguages) {
    OpenWindow();
    ASSERT_TRUE(WaitFor([&] { return !Page().IsFetchingCloudList(); }));
    // A sound of the user's own among the local ones, as "+" adds it.
    m_files.QueueAnswer(os::Utf8ToUtf16(MakeTone("门铃-叮咚.mp3", 0.3)));
    ShowTab(1);
    EXPECT_TRUE(WithDialog<CDlgEditFileName>([&] { ClickPad(kAddLocalPad); }, [&](CDlgEditFileName& dialog) {
        Click(dialog, *dialog.FindChildByName(u"btnOK"));
    }));
    ASSERT_NE(Pad(kFirstCustomPad), nullptr);

    for (const char* language : {"cn", "en"}) {
        SCOPED_TRACE(language);
        const bool english = language == std::string("en");
        ASSERT_TRUE(m_app->InstallLanguage(english ? u"translator:lang_en" : u"translator:lang_cn"));
        const std::string suffix = std::string("_") + language + ".png";
        ui::SWindow* area = Named(u"sound_wnd");

        ShowTab(0);
        ExpectTranslated(area, english, "favourites");
        ExpectWhole(area, "favourites");
        Save("favourites" + suffix, {});
        ShowTab(1);
        ExpectTranslated(area, english, "local page");
        ExpectWhole(area, "local page");
        Save("local" + suffix, {});
        ShowTab(CEventHandlerSound::kFixedTabs);
        Save("cloud" + suffix, {});

        Click(*m_dlg, *Named(u"btn_volume"));
        CSetVolumeDlg* popup = CSetVolumeDlg::Current();
        ASSERT_NE(popup, nullptr);
        ExpectTranslated(popup, english, "volume popup");
        ShowTab(0);
        Save("volume_popup" + suffix, {popup});
        popup->SendMessage(WM_CLOSE);
        ui::test::PumpPending();

        // A favourite's menu and the user's sound's menu, each with the page
        // it opens from.
        for (const auto& [tab, pad, shot] : {std::tuple{0, kFirstFavouritePad + 3, "pad_menu_favourite"},
                                             std::tuple{1, kFirstCustomPad, "pad_menu_local"}}) {
            ShowTab(tab);
            PointAt(pad);
            bool shown = false;
            // Posted before the menu opens, so it runs in the menu's loop
            // before the menu is cancelled.
            os::PostTask(os::GetCurrentThreadId(), [&, shot = shot] {
                for (ui::SHostWnd* host : m_app->GetHostWnds()) {
                    auto* menu = dynamic_cast<ui::SMenuWnd*>(host);
                    if (!menu || menu->GetLevel() != 0) continue;
                    shown = true;
                    ExpectTranslated(menu, english, shot);
                    Save(shot + suffix, {menu});
                }
            });
            PadMenu(pad, 0);
            EXPECT_TRUE(shown) << shot;
            EXPECT_GE(m_menuItems.size(), 2u) << shot;
        }

        EXPECT_TRUE(WithDialog<CDlgEditFileName>([&] { PadMenu(kFirstCustomPad, Expected().renameCommand); },
                                                 [&](CDlgEditFileName& dialog) {
                                                     ExpectTranslated(&dialog, english, "name dialog");
                                                     Save("file_name_dialog" + suffix, {&dialog}, false);
                                                     Click(dialog, *dialog.FindChildByName(u"btnCancel"));
                                                 }));
    }
}

}  // namespace
}  // namespace qv::test
