#pragma once
// The application object: one per plug-in run, created and destroyed on the
// plug-in's thread (again on every family switch). It holds the resources,
// skins, styles, strings, translator, named ids, class factories, the log
// manager and the main window, and runs the thread's message loop.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <span>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/ui/Color.h"
#include "platform/ui/FontStyle.h"
#include "platform/ui/SBitmap.h"
#include "platform/ui/SLogManager.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/STranslator.h"
#include "platform/ui/SWindowFactory.h"

namespace qv::ui {

class SHostWnd;

struct NamedId {
    const char16_t* name;
    int id;
};

class SApplication {
public:
    // module: the plug-in whose resources come first; hostClassName names
    // its host windows' class.
    explicit SApplication(HMODULE module, const SStringW& hostClassName = u"QuorvelHost");
    ~SApplication();
    SApplication(const SApplication&) = delete;
    SApplication& operator=(const SApplication&) = delete;

    // The live application, or null. Read it only on the UI thread; other
    // threads ask HasMainWnd.
    static SApplication* getSingletonPtr();
    static bool HasMainWnd();

    HMODULE GetModule() const { return m_module; }
    const SStringW& GetHostClassName() const { return m_hostClassName; }
    DWORD GetThreadId() const { return m_threadId; }

    // --- built-in components, asked for by name ("log4z.dll", ...)
    bool LoadComponent(const SStringW& name) const;

    // --- resources: providers are searched newest first. uidef names the
    // UI definition ("uidef:xml_init") to load from the provider.
    bool AddResProvider(HMODULE module, const SStringW& uidef = {});
    std::optional<std::span<const std::uint8_t>> LoadRawResource(const SStringW& type, const SStringW& name) const;
    std::size_t GetRawBufferSize(const SStringW& type, const SStringW& name) const;
    bool GetRawBuffer(const SStringW& type, const SStringW& name, void* buffer, std::size_t size) const;
    // Loads an XML resource by a name such as "LAYOUT:XML_MAIN".
    bool LoadXmlResource(pugi::xml_document& doc, const SStringW& resName, const SStringW& defaultType) const;
    // "IMG:name" or a bare name of type IMG; cached.
    BitmapPtr LoadImage(const SStringW& resName);
    // An icon ("ICON_LOGO", type ICON, else IMG) drawn at size x size: the
    // image drawn for that size ("ICON_LOGO_16") when the resources have one,
    // else the icon's image scaled.
    BitmapPtr LoadIcon(const SStringW& name, int size);
    // Every size the icon is drawn in (NAME itself and NAME_<size>, square
    // sizes of 16 to 256 px), smallest first.
    std::vector<BitmapPtr> LoadIconSizes(const SStringW& name);
    // The icon host windows show the desktop, in its sizes (empty: none).
    // Windows created afterwards take it.
    void SetWindowIcon(std::vector<BitmapPtr> sizes) { m_windowIcon = std::move(sizes); }
    const std::vector<BitmapPtr>& GetWindowIcon() const { return m_windowIcon; }
    // The folder of the running program, without a trailing '/'.
    static SStringW GetAppDir();

    // --- UI definitions: <uidef> with <string>, <font>, <color>, <skin> and
    // <style> children, inline or as src="TYPE:NAME". <font face= size=
    // bold=> gives the UI font; its child elements (<title size="14"/>, or
    // <font name="title" .../>) and those of <color> (<accent value="#..."/>)
    // are the named fonts and colours that "@font/title" and "@color/accent"
    // refer to.
    bool LoadUiDef(pugi::xml_node uidef);
    int LoadSkins(pugi::xml_node skinRoot) { return m_skins.LoadSkins(skinRoot); }
    // Skins are drawn at 100 %; the scale is taken for the callers that pass one.
    ISkinObj* GetSkin(const SStringW& name, int scale = 100) const {
        (void)scale;
        return m_skins.GetSkin(name);
    }
    SSkinPool& GetSkinPool() { return m_skins; }
    // A style class by name, compared without regard to case.
    pugi::xml_node GetStyle(const SStringW& name) const;
    // The UI font windows inherit at the top; its open parts stay open (the
    // render target's defaults).
    const FontStyle& GetDefaultFont() const { return m_defaultFont; }
    const FontStyle* GetNamedFont(const SStringW& name) const;
    std::optional<COLORREF> GetNamedColor(const SStringW& name) const;
    // A string of the table; "@string/name" and "name" both work.
    std::optional<SStringW> GetString(const SStringW& name) const;
    // String-table reference first, then the installed language.
    SStringW TranslateText(const SStringW& source) const;
    STranslatorMgr& GetTranslator() { return m_translator; }
    // Installs a language from an XML resource ("translator:lang_cn") and
    // translates the texts of every host window again.
    bool InstallLanguage(const SStringW& resName);

    // --- named ids (name -> id) for windows without an id
    void SetNamedIds(const NamedId* table, int count);
    int GetNamedId(const SStringW& name) const;

    SWindowFactory& GetWindowFactory() { return m_windowFactory; }
    SSkinFactory& GetSkinFactory() { return m_skinFactory; }
    SLogManager& GetLogManager() { return *m_logManager; }

    // Host windows created on this application's thread, by handle.
    void RegisterHostWnd(SHostWnd* host);
    void UnregisterHostWnd(SHostWnd* host);
    SHostWnd* FindHostWnd(HWND hwnd) const;
    const std::vector<SHostWnd*>& GetHostWnds() const { return m_hosts; }

    SHostWnd* GetMainWnd() const { return m_mainWnd; }
    void SetMainWnd(SHostWnd* wnd);

    // --- message loop of the calling (UI) thread
    int Run(HWND mainWnd = nullptr);
    static void PostQuitMessage(int exitCode) { qv::os::PostQuitMessage(exitCode); }
    // Filters see each message before it is dispatched; true consumes it.
    using MessageFilter = std::function<bool(qv::os::MSG&)>;
    std::uint64_t AddMessageFilter(MessageFilter filter);
    void RemoveMessageFilter(std::uint64_t token);
    bool PreTranslateMessage(qv::os::MSG& msg);

private:
    void LoadFonts(pugi::xml_node fonts);
    void LoadColors(pugi::xml_node colors);

    struct Provider {
        HMODULE module;
    };
    HMODULE m_module;
    SStringW m_hostClassName;
    DWORD m_threadId;
    std::vector<Provider> m_providers;
    std::map<std::u16string, BitmapPtr> m_images;
    std::vector<BitmapPtr> m_windowIcon;
    SSkinPool m_skins;
    pugi::xml_document m_styles;
    std::map<std::u16string, SStringW> m_strings;
    FontStyle m_defaultFont;
    std::map<std::u16string, FontStyle> m_fonts;
    std::map<std::u16string, COLORREF> m_colors;
    STranslatorMgr m_translator;
    std::map<std::u16string, int> m_namedIds;
    SWindowFactory m_windowFactory;
    SSkinFactory m_skinFactory;
    std::unique_ptr<SLogManager> m_logManager;
    SHostWnd* m_mainWnd = nullptr;
    std::vector<SHostWnd*> m_hosts;
    std::vector<std::pair<std::uint64_t, MessageFilter>> m_filters;
    std::uint64_t m_nextFilter = 1;
};

}  // namespace qv::ui
