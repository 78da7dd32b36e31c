#pragma once
// Named settings of the plug-in kept in an INI file, with a typed view of the
// known settings and thin access to any other section and key of the same
// file. Eleven stores exist per process, reached by index: store 0 holds the
// plug-in's settings and state file, store 1 the preset file the user imports
// or exports.
//
// Used on the plug-in's UI thread only; the stores are not locked. A pointer
// from GetString stays valid until the next Load or SetString of that store.
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/Types.h"

// Indexes of the integer settings (section "Settings").
enum SettingsIntIndex : int {
    kSettingCloseBtnOperation = 0,  // 1: closing the main window ends the program
    kSettingMainWndWidth = 1,
    kSettingMainWndHeight = 2,
    kSettingMainWinTopmost = 3,  // main window topmost at opening
    kSettingMiniToTray = 4,
};

// Indexes of the string settings (section "StringSettings").
enum SettingsStringIndex : int {
    kSettingLatestPrjFile = 0,
};

class CSettingsStore {
public:
    static constexpr unsigned kStoreCount = 11;

    // The process-wide store of that index; any index above 9 gives store 10.
    static CSettingsStore* GetStore(unsigned index);

    CSettingsStore() = default;
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    // Points the store at the file, creating it with a UTF-16LE byte-order
    // mark when it is missing, and reads the typed settings (missing keys
    // read as their defaults). An empty path gives 0 and leaves the store
    // unloaded. A file that cannot be created is not an error: the first
    // write creates it as plain text.
    BOOL Load(std::u16string_view path);
    bool IsLoaded() const { return !m_path.empty(); }
    const std::u16string& FilePath() const { return m_path; }

    // Typed settings. Out-of-range indexes and an unloaded store read as 0 or
    // null and refuse writes with 0; the setters write through at once.
    int GetInt(int index) const;
    BOOL SetInt(int index, int value);
    const char16_t* GetString(int index) const;
    BOOL SetString(int index, const char16_t* text);

    // Any section and key of the store's file. An unloaded store reads 0 or
    // empty and refuses writes.
    int ReadInt(const char16_t* section, const char16_t* key) const;
    BOOL WriteInt(const char16_t* section, const char16_t* key, int value);
    std::u16string ReadString(const char16_t* section, const char16_t* key) const;
    BOOL WriteString(const char16_t* section, const char16_t* key, const char16_t* text);
    // Fixed-size records in the struct form; a value of the wrong length or
    // with a wrong checksum reads as missing (0, data untouched).
    BOOL ReadStruct(const char16_t* section, const char16_t* key, void* data, UINT size) const;
    BOOL WriteStruct(const char16_t* section, const char16_t* key, const void* data, UINT size);

private:
    struct IntRow {
        int index;
        const char16_t* key;
        int defaultValue;
    };
    struct StringRow {
        int index;
        const char16_t* key;
        const char16_t* defaultText;
    };

    bool HasInt(int index) const;
    bool HasString(int index) const;
    void CreateWithByteOrderMark() const;

    std::vector<int> m_intValues;
    std::vector<std::u16string> m_stringValues;
    const IntRow* m_intKeys = nullptr;
    int m_intCount = 0;
    const StringRow* m_stringKeys = nullptr;
    int m_stringCount = 0;
    std::u16string m_path;
};
