#include "plugin/workspace/SettingsStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"

namespace {

constexpr const char16_t* kIntSection = u"Settings";
constexpr const char16_t* kStringSection = u"StringSettings";
// Longest text read from the file, in characters.
constexpr DWORD kMaxTextLength = 259;

std::u16string IntToText(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return qv::os::Utf8ToUtf16(buffer);
}

std::u16string ReadText(const char16_t* section, const char16_t* key, const char16_t* def,
                        const std::u16string& file) {
    std::array<char16_t, kMaxTextLength + 1> buffer{};
    const DWORD length = qv::os::GetPrivateProfileString(section, key, def, buffer.data(),
                                                         static_cast<DWORD>(buffer.size()),
                                                         file.c_str());
    return std::u16string(buffer.data(), length < buffer.size() ? length : 0);
}

}  // namespace

CSettingsStore* CSettingsStore::GetStore(unsigned index) {
    static std::array<CSettingsStore, kStoreCount> stores;
    return &stores[index < kStoreCount - 1 ? index : kStoreCount - 1];
}

BOOL CSettingsStore::Load(std::u16string_view path) {
    static constexpr IntRow kIntKeys[] = {
        {kSettingCloseBtnOperation, u"CloseBtnOperation", 1},
        {kSettingMainWndWidth, u"MainWndWidth", 0},
        {kSettingMainWndHeight, u"MainWndHeight", 0},
        {kSettingMainWinTopmost, u"MainWinTopmost", 0},
        {kSettingMiniToTray, u"MiniToTray", 0},
    };
    static constexpr StringRow kStringKeys[] = {
        {kSettingLatestPrjFile, u"LatestPrjFile", u""},
    };

    m_path.assign(path);
    if (m_path.empty()) {
        // Nothing to mirror: later typed writes must not go to some other file.
        m_intValues.clear();
        m_stringValues.clear();
        m_intKeys = nullptr;
        m_stringKeys = nullptr;
        m_intCount = 0;
        m_stringCount = 0;
        return 0;
    }
    CreateWithByteOrderMark();

    m_intKeys = kIntKeys;
    m_intCount = static_cast<int>(std::size(kIntKeys));
    m_stringKeys = kStringKeys;
    m_stringCount = static_cast<int>(std::size(kStringKeys));
    m_intValues.assign(m_intCount, 0);
    m_stringValues.assign(m_stringCount, std::u16string());
    for (const IntRow& row : kIntKeys)
        m_intValues[row.index] =
            qv::os::GetPrivateProfileInt(kIntSection, row.key, row.defaultValue, m_path.c_str());
    for (const StringRow& row : kStringKeys)
        m_stringValues[row.index] = ReadText(kStringSection, row.key, row.defaultText, m_path);
    return 1;
}

// A new file starts with the UTF-16LE mark so the profile functions keep it in
// UTF-16. An existing file is never truncated, even when it appears between
// the check and the creation.
void CSettingsStore::CreateWithByteOrderMark() const {
    const std::string native = qv::os::NativePath(m_path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno != EEXIST) QV_LOGW("cannot create %s: %s", native.c_str(), std::strerror(errno));
        return;
    }
    static constexpr unsigned char kMark[] = {0xFF, 0xFE};
    if (::write(fd, kMark, sizeof kMark) != static_cast<ssize_t>(sizeof kMark))
        QV_LOGW("cannot write %s: %s", native.c_str(), std::strerror(errno));
    ::close(fd);
}

bool CSettingsStore::HasInt(int index) const {
    return !m_path.empty() && index >= 0 && index < m_intCount &&
           static_cast<std::size_t>(index) < m_intValues.size();
}

bool CSettingsStore::HasString(int index) const {
    return !m_path.empty() && index >= 0 && index < m_stringCount &&
           static_cast<std::size_t>(index) < m_stringValues.size();
}

int CSettingsStore::GetInt(int index) const { return HasInt(index) ? m_intValues[index] : 0; }

BOOL CSettingsStore::SetInt(int index, int value) {
    if (!HasInt(index)) return 0;
    m_intValues[index] = value;
    return qv::os::WritePrivateProfileString(kIntSection, m_intKeys[index].key,
                                             IntToText(value).c_str(), m_path.c_str());
}

const char16_t* CSettingsStore::GetString(int index) const {
    return HasString(index) ? m_stringValues[index].c_str() : nullptr;
}

BOOL CSettingsStore::SetString(int index, const char16_t* text) {
    if (!HasString(index) || !text) return 0;
    m_stringValues[index] = text;
    return qv::os::WritePrivateProfileString(kStringSection, m_stringKeys[index].key, text,
                                             m_path.c_str());
}

int CSettingsStore::ReadInt(const char16_t* section, const char16_t* key) const {
    if (m_path.empty()) return 0;
    return qv::os::GetPrivateProfileInt(section, key, 0, m_path.c_str());
}

BOOL CSettingsStore::WriteInt(const char16_t* section, const char16_t* key, int value) {
    if (m_path.empty()) return 0;
    return qv::os::WritePrivateProfileString(section, key, IntToText(value).c_str(),
                                             m_path.c_str());
}

std::u16string CSettingsStore::ReadString(const char16_t* section, const char16_t* key) const {
    if (m_path.empty()) return {};
    return ReadText(section, key, u"", m_path);
}

BOOL CSettingsStore::WriteString(const char16_t* section, const char16_t* key,
                                 const char16_t* text) {
    if (m_path.empty()) return 0;
    return qv::os::WritePrivateProfileString(section, key, text, m_path.c_str());
}

BOOL CSettingsStore::ReadStruct(const char16_t* section, const char16_t* key, void* data,
                                UINT size) const {
    if (m_path.empty() || !data) return 0;
    return qv::os::GetPrivateProfileStruct(section, key, data, size, m_path.c_str());
}

BOOL CSettingsStore::WriteStruct(const char16_t* section, const char16_t* key, const void* data,
                                 UINT size) {
    if (m_path.empty()) return 0;
    return qv::os::WritePrivateProfileStruct(section, key, data, size, m_path.c_str());
}
