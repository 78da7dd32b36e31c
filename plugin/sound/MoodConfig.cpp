#include "plugin/sound/MoodConfig.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "platform/ui/controls/CAccelerator.h"
#include "platform/ui/desktop/HotKeys.h"
#include "plugin/model/RecordText.h"

namespace {

constexpr const char16_t* kFavorites = u"HotkeyMood";
constexpr const char16_t* kFavoritePaths = u"HotkeyMoodPath";
constexpr const char16_t* kCustom = u"DIY";
constexpr const char16_t* kCustomPaths = u"DIYPath";
constexpr const char16_t* kDownloads = u"Download";
constexpr const char16_t* kDownloadPaths = u"DownloadPath";
constexpr const char16_t* kConfig = u"Config";

bool IsRegularFile(std::u16string_view path) {
    struct stat st {};
    return ::stat(qv::os::NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathFits(const SoundItem& item) { return item.path[kSoundPathUnits - 1] == 0; }

std::u16string Decimal(int value) { return qv::os::Utf8ToUtf16(std::to_string(value)); }

void SaveList(qv::os::ProfileBatch& batch, const char16_t* section, const char16_t* pathSection,
              const std::vector<SoundItem>& list) {
    batch.WriteString(section, nullptr, nullptr);
    batch.WriteString(pathSection, nullptr, nullptr);
    batch.WriteString(section, u"count", Decimal(static_cast<int>(list.size())).c_str());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::u16string key = Decimal(static_cast<int>(i));
        batch.WriteStruct(section, key.c_str(), &list[i], kSoundHeadBytes);
        batch.WriteString(pathSection, key.c_str(), std::u16string(FieldText(list[i].path)).c_str());
    }
}

}  // namespace

bool MakeSoundItem(SoundItem& item, std::int32_t kind, std::u16string_view name,
                   std::u16string_view path, std::int32_t cloudId) {
    std::memset(&item, 0, sizeof item);
    if (!SetFieldTextWhole(item.path, path)) return false;
    item.kind = kind;
    item.cloudId = cloudId;
    SetFieldTextAtBoundary(item.name, name);
    return true;
}

const SoundItem* FindSoundById(const std::vector<SoundItem>& downloads, std::int32_t cloudId) {
    for (const SoundItem& item : downloads)
        if (item.cloudId == cloudId) return &item;
    return nullptr;
}

int CMoodConfig::Init(std::u16string_view path) {
    m_hotKeyIdBase = kHotKeyIdBase;
    m_path = std::u16string(path);
    if (IsRegularFile(m_path)) {
        Load();
        return 1;
    }
    // A new file holds only the UTF-16LE mark, so that the profile engine
    // writes it in UTF-16.
    const std::string native = qv::os::NativePath(m_path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        QV_LOGE("cannot create %s: %s", native.c_str(), std::strerror(errno));
        return 0;
    }
    static constexpr unsigned char kMark[2] = {0xFF, 0xFE};
    const bool written = ::write(fd, kMark, sizeof kMark) == static_cast<ssize_t>(sizeof kMark);
    ::close(fd);
    if (!written) {
        QV_LOGE("cannot write %s", native.c_str());
        return 0;
    }
    m_volume = kDefaultVolume;
    m_enableHotKey = 0;
    return 1;
}

void CMoodConfig::LoadList(const char16_t* section, const char16_t* pathSection, int maxCount,
                           bool needFile, std::vector<SoundItem>& list) {
    list.clear();
    const int count = std::clamp(qv::os::GetPrivateProfileInt(section, u"count", 0, m_path.c_str()), 0, maxCount);
    for (int i = 0; i < count; ++i) {
        const std::u16string key = Decimal(i);
        SoundItem item{};
        if (!qv::os::GetPrivateProfileStruct(section, key.c_str(), &item, kSoundHeadBytes, m_path.c_str()))
            continue;
        // One unit more than the field, so that a path too long is seen and
        // skipped rather than taken cut.
        char16_t path[kSoundPathUnits + 1] = {};
        const DWORD length = qv::os::GetPrivateProfileString(pathSection, key.c_str(), u"", path,
                                                             kSoundPathUnits + 1, m_path.c_str());
        if (length == 0 || length >= kSoundPathUnits) continue;
        TerminateField(item.name);
        std::memcpy(item.path, path, sizeof item.path);
        item.path[kSoundPathUnits - 1] = 0;
        item.status = kSoundIdle;
        if (needFile && !IsRegularFile(FieldText(item.path))) continue;
        list.push_back(item);
    }
}

void CMoodConfig::Load() {
    LoadList(kFavorites, kFavoritePaths, kMaxFavorites, false, m_favorites);
    // A key registers for one favourite only, the first that has it; a later
    // one keeps no key, so that no pad shows a key that plays another.
    for (std::size_t i = 1; i < m_favorites.size(); ++i) {
        const std::uint32_t hotkey = m_favorites[i].hotkey;
        if (hotkey && std::any_of(m_favorites.begin(), m_favorites.begin() + static_cast<std::ptrdiff_t>(i),
                                  [hotkey](const SoundItem& earlier) { return earlier.hotkey == hotkey; }))
            m_favorites[i].hotkey = 0;
    }
    LoadList(kCustom, kCustomPaths, kMaxCustomSounds, true, m_custom);
    LoadList(kDownloads, kDownloadPaths, kMaxDownloads, true, m_downloads);
    m_volume = std::clamp(qv::os::GetPrivateProfileInt(kConfig, u"Volume", kDefaultVolume, m_path.c_str()), 0, 100);
    m_enableHotKey = qv::os::GetPrivateProfileInt(kConfig, u"EnableHotKey", 0, m_path.c_str()) != 0 ? 1 : 0;
}

BOOL CMoodConfig::Save() {
    if (m_path.empty()) return FALSE;
    qv::os::ProfileBatch batch(m_path);
    SaveList(batch, kFavorites, kFavoritePaths, m_favorites);
    SaveList(batch, kCustom, kCustomPaths, m_custom);
    SaveList(batch, kDownloads, kDownloadPaths, m_downloads);
    batch.WriteString(kConfig, u"Volume", Decimal(m_volume).c_str());
    batch.WriteString(kConfig, u"EnableHotKey", Decimal(m_enableHotKey).c_str());
    const BOOL saved = batch.Commit();
    if (!saved) QV_LOGE("mood file not saved");
    return saved;
}

void CMoodConfig::WriteConfigValue(const char16_t* key, int value) {
    if (m_path.empty()) return;
    qv::os::WritePrivateProfileString(kConfig, key, Decimal(value).c_str(), m_path.c_str());
}

void CMoodConfig::SetVolume(int volume) {
    m_volume = volume;
    WriteConfigValue(u"Volume", m_volume);
}

void CMoodConfig::EnableHotKey(int on) {
    const int wasOn = m_enableHotKey;
    if (wasOn == 1 && on == 0) UnregisterHotKeys();
    m_enableHotKey = on;
    if (wasOn == 0 && on == 1) RegisterHotKeys();
    WriteConfigValue(u"EnableHotKey", m_enableHotKey);
}

void CMoodConfig::RegisterHotKeys() {
    for (std::size_t i = 0; i < m_favorites.size(); ++i) {
        const std::uint32_t hotkey = m_favorites[i].hotkey;
        if (!hotkey) continue;
        if (!qv::desktop::RegisterHotKey(m_hotKeyWindow, m_hotKeyIdBase + static_cast<int>(i), hotkey >> 16,
                                         hotkey & 0xFFFF))
            QV_TRACE("RegisterHotKey failed. index=%d\n", static_cast<int>(i));
    }
}

void CMoodConfig::UnregisterHotKeys() {
    for (std::size_t i = 0; i < m_favorites.size(); ++i) {
        if (!m_favorites[i].hotkey) continue;
        if (!qv::desktop::UnregisterHotKey(m_hotKeyWindow, m_hotKeyIdBase + static_cast<int>(i)))
            QV_TRACE("UnregisterHotKey failed. index=%d\n", static_cast<int>(i));
    }
}

int CMoodConfig::IsHotKeyUsed(std::uint32_t hotkey) const {
    if (!hotkey) return 0;
    return std::any_of(m_favorites.begin(), m_favorites.end(),
                       [hotkey](const SoundItem& item) { return item.hotkey == hotkey; })
               ? 1
               : 0;
}

std::uint32_t CMoodConfig::GetHotKey(int index) const {
    if (index < 0 || index >= static_cast<int>(m_favorites.size())) return 0;
    return m_favorites[static_cast<std::size_t>(index)].hotkey;
}

std::u16string CMoodConfig::GetHotKeyText(int index) const {
    const std::uint32_t hotkey = GetHotKey(index);
    if (!hotkey) return {};
    return qv::ui::CAccelerator::FormatHotkey(static_cast<WORD>(hotkey & 0xFFFF), static_cast<WORD>(hotkey >> 16))
        .str();
}

void CMoodConfig::SetHotKey(int index, std::uint32_t hotkey) {
    if (index < 0 || index >= static_cast<int>(m_favorites.size())) return;
    m_favorites[static_cast<std::size_t>(index)].hotkey = hotkey;
    Save();
}

template <class Change>
void CMoodConfig::ChangeFavorites(Change change) {
    const bool reregister = m_enableHotKey == 1;
    if (reregister) UnregisterHotKeys();
    change();
    if (reregister) RegisterHotKeys();
}

int CMoodConfig::AddFavorite(const SoundItem& item) {
    if (!PathFits(item) || static_cast<int>(m_favorites.size()) >= kMaxFavorites) return 0;
    SoundItem copy = item;
    TerminateField(copy.name);
    m_favorites.push_back(copy);
    Save();
    return 1;
}

void CMoodConfig::RemoveFavoriteAt(int index) {
    if (index < 0 || index >= static_cast<int>(m_favorites.size())) return;
    ChangeFavorites([&] { m_favorites.erase(m_favorites.begin() + index); });
    Save();
}

int CMoodConfig::RemoveFavorite(const SoundItem& item) {
    if (m_favorites.empty()) return 0;
    std::size_t erased = 0;
    ChangeFavorites([&] {
        erased = std::erase_if(m_favorites, [&](const SoundItem& favorite) {
            return FieldText(favorite.name) == FieldText(item.name) && FieldText(favorite.path) == FieldText(item.path);
        });
    });
    Save();
    return erased ? 1 : 0;
}

int CMoodConfig::IsInFavorites(const SoundItem& item) const {
    for (const SoundItem& favorite : m_favorites) {
        if (qv::os::EqualsNoCase(FieldText(favorite.path), FieldText(item.path)) ||
            qv::os::EqualsNoCase(FieldText(favorite.name), FieldText(item.name)))
            return 1;
    }
    return 0;
}

int CMoodConfig::AddCustomSound(const SoundItem& item) {
    if (!PathFits(item)) return 0;
    auto same = std::find_if(m_custom.begin(), m_custom.end(), [&](const SoundItem& sound) {
        return FieldText(sound.name) == FieldText(item.name);
    });
    const int countAfterErase = static_cast<int>(m_custom.size()) - (same != m_custom.end() ? 1 : 0);
    if (countAfterErase >= kMaxCustomSounds) return 0;
    if (same != m_custom.end()) m_custom.erase(same);
    SoundItem copy = item;
    TerminateField(copy.name);
    m_custom.push_back(copy);
    Save();
    return 1;
}

void CMoodConfig::RemoveCustomSound(int index) {
    if (index < 0 || index >= static_cast<int>(m_custom.size())) return;
    m_custom.erase(m_custom.begin() + index);
    Save();
}

void CMoodConfig::RenameCustomSound(int index, std::u16string_view name) {
    if (index < 0 || index >= static_cast<int>(m_custom.size())) return;
    SetFieldTextAtBoundary(m_custom[static_cast<std::size_t>(index)].name, name);
    Save();
}

int CMoodConfig::AddDownload(const SoundItem& item) {
    if (!PathFits(item)) return 0;
    auto same = std::find_if(m_downloads.begin(), m_downloads.end(),
                             [&](const SoundItem& sound) { return sound.cloudId == item.cloudId; });
    const int countAfterErase = static_cast<int>(m_downloads.size()) - (same != m_downloads.end() ? 1 : 0);
    if (countAfterErase >= kMaxDownloads) return 0;
    if (same != m_downloads.end()) m_downloads.erase(same);
    SoundItem copy = item;
    TerminateField(copy.name);
    m_downloads.push_back(copy);
    Save();
    return 1;
}

void CMoodConfig::ClearCloudSounds() {
    ccm_util::CScopedLock guard(m_cloudLock);
    m_cloudSounds.clear();
    m_cloudCategories.clear();
}

int CMoodConfig::AddCloudCategory(std::u16string_view name) {
    if (name.empty()) return -1;
    ccm_util::CScopedLock guard(m_cloudLock);
    const std::size_t oldCount = m_cloudSounds.size();
    m_cloudSounds.emplace_back();
    m_cloudCategories.emplace_back(name);
    if (m_cloudSounds.size() == oldCount + 1 && m_cloudCategories.size() == m_cloudSounds.size())
        return static_cast<int>(oldCount);
    return -1;
}

bool CMoodConfig::AddCloudSound(int category, const SoundItem& item) {
    ccm_util::CScopedLock guard(m_cloudLock);
    if (category < 0 || category >= static_cast<int>(m_cloudSounds.size())) return false;
    std::vector<SoundItem>& list = m_cloudSounds[static_cast<std::size_t>(category)];
    if (static_cast<int>(list.size()) >= kMaxCloudSoundsPerCategory) return false;
    list.push_back(item);
    return true;
}

void CMoodConfig::SetCloudSoundStatus(int category, int index, std::int32_t status) {
    ccm_util::CScopedLock guard(m_cloudLock);
    if (category < 0 || category >= static_cast<int>(m_cloudSounds.size())) return;
    std::vector<SoundItem>& list = m_cloudSounds[static_cast<std::size_t>(category)];
    if (index < 0 || index >= static_cast<int>(list.size())) return;
    list[static_cast<std::size_t>(index)].status = status;
}

int CMoodConfig::GetCategoryCount() {
    ccm_util::CScopedLock guard(m_cloudLock);
    return static_cast<int>(m_cloudSounds.size());
}

std::u16string CMoodConfig::GetCategoryName(int category) {
    ccm_util::CScopedLock guard(m_cloudLock);
    if (category < 0 || category >= static_cast<int>(m_cloudCategories.size())) return {};
    return m_cloudCategories[static_cast<std::size_t>(category)];
}

std::optional<SoundItem> CMoodConfig::GetCloudSound(int category, int index) {
    ccm_util::CScopedLock guard(m_cloudLock);
    if (category < 0 || category >= static_cast<int>(m_cloudSounds.size())) return std::nullopt;
    const std::vector<SoundItem>& list = m_cloudSounds[static_cast<std::size_t>(category)];
    if (index < 0 || index >= static_cast<int>(list.size())) return std::nullopt;
    return list[static_cast<std::size_t>(index)];
}

std::vector<SoundItem> CMoodConfig::CopyCloudList(int category) {
    ccm_util::CScopedLock guard(m_cloudLock);
    if (category < 0 || category >= static_cast<int>(m_cloudSounds.size())) return {};
    return m_cloudSounds[static_cast<std::size_t>(category)];
}
