#include "platform/ui/SApplication.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/ModuleResources.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::ui {
namespace {

std::atomic<SApplication*> g_app{nullptr};
std::atomic<bool> g_hasMainWnd{false};

SStringW StripModuleSuffix(SStringW name) {
    for (const char16_t* suffix : {u".dll", u".so"}) {
        SStringW s(suffix);
        if (name.GetLength() > s.GetLength() && name.Right(s.GetLength()).EqualsNoCase(s)) {
            return name.Left(name.GetLength() - s.GetLength());
        }
    }
    return name;
}

}  // namespace

SApplication::SApplication(HMODULE module, const SStringW& hostClassName)
    : m_module(module),
      m_hostClassName(hostClassName),
      m_threadId(qv::os::GetCurrentThreadId()),
      m_logManager(std::make_unique<SLogManager>()) {
    SApplication* expected = nullptr;
    if (!g_app.compare_exchange_strong(expected, this)) {
        QV_LOGE("a second application object while one exists");
    }
    RegisterBuiltinWindows(m_windowFactory);
    RegisterBuiltinSkins(m_skinFactory);
    m_styles.append_child("style");
}

SApplication::~SApplication() {
    m_logManager->Stop();
    g_hasMainWnd.store(false);
    m_mainWnd = nullptr;
    // Skins and images go before the factories that made them.
    m_skins.Clear();
    m_images.clear();
    SApplication* self = this;
    g_app.compare_exchange_strong(self, nullptr);
}

SApplication* SApplication::getSingletonPtr() { return g_app.load(); }
bool SApplication::HasMainWnd() { return g_hasMainWnd.load(); }

bool SApplication::LoadComponent(const SStringW& name) const {
    SStringW base = StripModuleSuffix(name);
    for (const char16_t* known : {u"render-skia", u"render-gdi", u"imgdecoder-gdip", u"imgdecoder-png", u"log4z",
                                  u"translator", u"resprovider-zip"}) {
        if (base.EqualsNoCase(known)) return true;
    }
    return false;
}

// ---------------------------------------------------------------- resources

bool SApplication::AddResProvider(HMODULE module, const SStringW& uidef) {
    m_providers.push_back({module});
    if (uidef.IsEmpty()) return true;
    pugi::xml_document doc;
    if (!LoadXmlResource(doc, uidef, u"uidef")) {
        QV_LOGE("ui definition %s not found", uidef.ToUtf8().c_str());
        return false;
    }
    return LoadUiDef(doc.child("uidef") ? doc.child("uidef") : doc.first_child());
}

std::optional<std::span<const std::uint8_t>> SApplication::LoadRawResource(const SStringW& type,
                                                                            const SStringW& name) const {
    for (auto it = m_providers.rbegin(); it != m_providers.rend(); ++it) {
        if (auto bytes = FindModuleResource(it->module, type, name)) return bytes;
    }
    return std::nullopt;
}

std::size_t SApplication::GetRawBufferSize(const SStringW& type, const SStringW& name) const {
    auto bytes = LoadRawResource(type, name);
    return bytes ? bytes->size() : 0;
}

bool SApplication::GetRawBuffer(const SStringW& type, const SStringW& name, void* buffer, std::size_t size) const {
    auto bytes = LoadRawResource(type, name);
    if (!bytes || !buffer || size < bytes->size()) return false;
    std::memcpy(buffer, bytes->data(), bytes->size());
    return true;
}

bool SApplication::LoadXmlResource(pugi::xml_document& doc, const SStringW& resName, const SStringW& defaultType) const {
    ResName rn = ParseResName(resName, defaultType);
    auto bytes = LoadRawResource(rn.type, rn.name);
    if (!bytes) return false;
    pugi::xml_parse_result result = doc.load_buffer(bytes->data(), bytes->size());
    if (!result) {
        QV_LOGE("XML %s: %s at %td", resName.ToUtf8().c_str(), result.description(), result.offset);
        return false;
    }
    return true;
}

BitmapPtr SApplication::LoadImage(const SStringW& resName) {
    ResName rn = ParseResName(resName, u"IMG");
    std::u16string key = SStringW(rn.type + u":" + rn.name).MakeLower().str();
    if (auto it = m_images.find(key); it != m_images.end()) return it->second;
    auto bytes = LoadRawResource(rn.type, rn.name);
    if (!bytes) return nullptr;
    BitmapPtr bmp = SBitmap::FromImageData(*bytes);
    if (bmp) m_images[key] = bmp;
    return bmp;
}

namespace {

// The square sizes desktops ask icons in.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

SStringW SizedIconName(const SStringW& name, int size) { return SStringW::Format(u"%s_%d", name.c_str(), size); }

}  // namespace

BitmapPtr SApplication::LoadIcon(const SStringW& name, int size) {
    ResName rn = ParseResName(name, u"ICON");
    BitmapPtr bmp = size > 0 ? LoadImage(rn.type + u":" + SizedIconName(rn.name, size)) : nullptr;
    if (!bmp) bmp = LoadImage(rn.type + u":" + rn.name);
    if (!bmp) bmp = LoadImage(SStringW(u"IMG:") + rn.name);
    if (!bmp || size <= 0 || (bmp->Width() == size && bmp->Height() == size)) return bmp;
    SRenderTarget rt(size, size);
    rt.DrawBitmapEx(CRect(0, 0, size, size), *bmp, CRect(0, 0, bmp->Width(), bmp->Height()));
    return rt.GetBitmap();
}

std::vector<BitmapPtr> SApplication::LoadIconSizes(const SStringW& name) {
    ResName rn = ParseResName(name, u"ICON");
    BitmapPtr plain = LoadImage(rn.type + u":" + rn.name);
    std::vector<BitmapPtr> sizes;
    for (int size : kIconSizes) {
        BitmapPtr bmp = LoadImage(rn.type + u":" + SizedIconName(rn.name, size));
        if (!bmp && plain && plain->Width() == size && plain->Height() == size) bmp = plain;
        if (bmp && bmp->Width() == size && bmp->Height() == size) sizes.push_back(bmp);
    }
    return sizes;
}

SStringW SApplication::GetAppDir() {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return u".";
    path[n] = '\0';
    std::string dir(path);
    size_t slash = dir.rfind('/');
    if (slash != std::string::npos) dir.resize(slash);
    return SStringW::FromUtf8(dir);
}

// ---------------------------------------------------------------- definitions

bool SApplication::LoadUiDef(pugi::xml_node uidef) {
    if (!uidef) return false;
    for (pugi::xml_node part : uidef.children()) {
        if (part.type() != pugi::node_element) continue;
        pugi::xml_document external;
        pugi::xml_node content = part;
        if (const char* src = part.attribute("src").value(); *src) {
            if (!LoadXmlResource(external, XmlText(src), u"values")) {
                QV_LOGE("%s not found", src);
                continue;
            }
            content = external.child(part.name());
            if (!content) content = external.first_child();
        }
        std::string_view kind = part.name();
        if (kind == "string") {
            for (pugi::xml_node s : content.children()) {
                if (s.type() != pugi::node_element) continue;
                const char* name = s.attribute("name").value();
                if (!*name) name = s.name();
                const char* value = s.attribute("value") ? s.attribute("value").value() : s.text().get();
                m_strings[XmlText(name).str()] = XmlText(value);
            }
        } else if (kind == "font") {
            LoadFonts(content);
        } else if (kind == "color") {
            LoadColors(content);
        } else if (kind == "skin") {
            m_skins.LoadSkins(content);
        } else if (kind == "style") {
            pugi::xml_node styles = m_styles.child("style");
            for (pugi::xml_node s : content.children()) {
                if (s.type() == pugi::node_element) styles.append_copy(s);
            }
        }
    }
    return true;
}

namespace {

// The element's own name unless it carries a "name".
SStringW EntryName(pugi::xml_node node) {
    const char* name = node.attribute("name").value();
    return XmlText(*name ? name : node.name());
}

FontStyle FontFromAttributes(pugi::xml_node node) {
    FontStyle font;
    font.face = XmlText(XmlAttrNoCase(node, "face").value());
    font.size = std::max(0, XmlAttrNoCase(node, "size").as_int(0));
    if (pugi::xml_attribute bold = XmlAttrNoCase(node, "bold")) font.bold = bold.as_int(0) != 0 ? 1 : 0;
    return font;
}

}  // namespace

void SApplication::LoadFonts(pugi::xml_node fonts) {
    m_defaultFont.Override(FontFromAttributes(fonts));
    for (pugi::xml_node f : fonts.children()) {
        if (f.type() == pugi::node_element) m_fonts[EntryName(f).MakeLower().str()] = FontFromAttributes(f);
    }
}

void SApplication::LoadColors(pugi::xml_node colors) {
    for (pugi::xml_node c : colors.children()) {
        if (c.type() != pugi::node_element) continue;
        pugi::xml_attribute attr = XmlAttrNoCase(c, "value");
        SStringW text = XmlText(attr ? attr.value() : c.text().get());
        auto color = text.Find(u"@color/") == 0 ? std::nullopt : ParseColor(text);
        if (!color) {
            QV_LOGW("colour %s: \"%s\" is no colour", c.name(), text.ToUtf8().c_str());
            continue;
        }
        m_colors[EntryName(c).MakeLower().str()] = *color;
    }
}

const FontStyle* SApplication::GetNamedFont(const SStringW& name) const {
    auto it = m_fonts.find(SStringW(name).MakeLower().str());
    return it == m_fonts.end() ? nullptr : &it->second;
}

std::optional<COLORREF> SApplication::GetNamedColor(const SStringW& name) const {
    auto it = m_colors.find(SStringW(name).MakeLower().str());
    if (it == m_colors.end()) return std::nullopt;
    return it->second;
}

pugi::xml_node SApplication::GetStyle(const SStringW& name) const {
    for (pugi::xml_node s : m_styles.child("style").children()) {
        if (name.EqualsNoCase(XmlText(s.attribute("name").value()))) return s;
    }
    return {};
}

std::optional<SStringW> SApplication::GetString(const SStringW& name) const {
    SStringW key = name;
    if (key.Find(u"@string/") == 0) key = key.Mid(8);
    auto it = m_strings.find(key.str());
    if (it == m_strings.end()) return std::nullopt;
    return it->second;
}

SStringW SApplication::TranslateText(const SStringW& source) const {
    if (source.Find(u"@string/") == 0) {
        if (auto s = GetString(source)) return m_translator.Translate(*s);
    }
    return m_translator.Translate(source);
}

bool SApplication::InstallLanguage(const SStringW& resName) {
    pugi::xml_document doc;
    if (!LoadXmlResource(doc, resName, u"translator")) return false;
    auto language = std::make_shared<SLanguage>();
    if (!language->LoadFromXml(doc)) return false;
    m_translator.InstallLanguage(std::move(language));
    for (SHostWnd* host : m_hosts) host->OnLanguageChanged();
    return true;
}

void SApplication::SetNamedIds(const NamedId* table, int count) {
    m_namedIds.clear();
    for (int i = 0; i < count; ++i) m_namedIds[table[i].name] = table[i].id;
}

int SApplication::GetNamedId(const SStringW& name) const {
    auto it = m_namedIds.find(name.str());
    return it == m_namedIds.end() ? 0 : it->second;
}

void SApplication::RegisterHostWnd(SHostWnd* host) {
    if (std::find(m_hosts.begin(), m_hosts.end(), host) == m_hosts.end()) m_hosts.push_back(host);
}

void SApplication::UnregisterHostWnd(SHostWnd* host) { std::erase(m_hosts, host); }

SHostWnd* SApplication::FindHostWnd(HWND hwnd) const {
    for (SHostWnd* host : m_hosts) {
        if (hwnd && host->GetHwnd() == hwnd) return host;
    }
    return nullptr;
}

void SApplication::SetMainWnd(SHostWnd* wnd) {
    m_mainWnd = wnd;
    g_hasMainWnd.store(wnd != nullptr);
}

// ---------------------------------------------------------------- loop

int SApplication::Run(HWND mainWnd) {
    (void)mainWnd;
    qv::os::LoopOptions options;
    options.preTranslate = [this](qv::os::MSG& msg) { return PreTranslateMessage(msg); };
    return qv::os::RunMessageLoop(options);
}

std::uint64_t SApplication::AddMessageFilter(MessageFilter filter) {
    std::uint64_t token = m_nextFilter++;
    m_filters.emplace_back(token, std::move(filter));
    return token;
}

void SApplication::RemoveMessageFilter(std::uint64_t token) {
    std::erase_if(m_filters, [token](const auto& f) { return f.first == token; });
}

bool SApplication::PreTranslateMessage(qv::os::MSG& msg) {
    auto snapshot = m_filters;  // a filter may remove itself
    for (auto& [token, filter] : snapshot) {
        if (filter(msg)) return true;
    }
    return false;
}

}  // namespace qv::ui
