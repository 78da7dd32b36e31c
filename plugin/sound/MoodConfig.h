#pragma once
// The sound pads' lists (favourites, custom sounds, downloaded cloud sounds,
// cloud categories), the pad volume and the hotkey switch, kept in memory
// and in the mood file, and the favourites' global hotkeys.
//
// UI thread only, except the cloud lists and category names, which the
// cloud list thread fills: every access to those takes the lock, and items
// leave it as copies.
//
// Lists are bounded by the pads' id room; an add past it, or an item whose
// path does not fit its field, is refused (0) and nothing is stored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/thread/Lock.h"
#include "platform/os/Types.h"
#include "plugin/sound/SoundItem.h"
#include "plugin/sound/SoundPadIds.h"

class CMoodConfig {
public:
    // A favourite's hotkey id is its pad's id.
    static constexpr int kHotKeyIdBase = kFirstFavouritePad;
    static constexpr int kHotKeyIdLast = kFirstFavouritePad + 999;
    static constexpr int kMaxFavorites = kMaxFavouritePads;
    static constexpr int kMaxCustomSounds = kMaxCustomPads;
    static constexpr int kMaxDownloads = kMaxDownloadPads;
    static constexpr int kMaxCloudSoundsPerCategory = kCloudPadsPerCategory;
    static constexpr int kDefaultVolume = 76;

    CMoodConfig() = default;
    CMoodConfig(const CMoodConfig&) = delete;
    CMoodConfig& operator=(const CMoodConfig&) = delete;

    // Loads the file, or creates it (UTF-16LE, empty but for the mark) with
    // volume 76 and the switch off. 0 when it cannot be created.
    int Init(std::u16string_view path);
    void Load();
    // Rewrites the three lists and [Config] with one replace of the file.
    BOOL Save();
    const std::u16string& GetPath() const { return m_path; }

    // The window the hotkeys are registered on (the hidden main window).
    void SetHotKeyWindow(HWND hwnd) { m_hotKeyWindow = hwnd; }

    int GetVolume() const { return m_volume; }
    void SetVolume(int volume);
    int IsHotKeyEnabled() const { return m_enableHotKey; }
    void EnableHotKey(int on);
    void RegisterHotKeys();
    void UnregisterHotKeys();
    int IsHotKeyUsed(std::uint32_t hotkey) const;
    std::uint32_t GetHotKey(int index) const;
    std::u16string GetHotKeyText(int index) const;
    void SetHotKey(int index, std::uint32_t hotkey);

    const std::vector<SoundItem>& GetFavorites() const { return m_favorites; }
    const std::vector<SoundItem>& GetCustomSounds() const { return m_custom; }
    const std::vector<SoundItem>& GetDownloads() const { return m_downloads; }

    int AddFavorite(const SoundItem& item);
    void RemoveFavoriteAt(int index);
    int RemoveFavorite(const SoundItem& item);
    int IsInFavorites(const SoundItem& item) const;
    int AddCustomSound(const SoundItem& item);
    void RemoveCustomSound(int index);
    void RenameCustomSound(int index, std::u16string_view name);
    int AddDownload(const SoundItem& item);

    // Cloud lists, under the lock.
    void ClearCloudSounds();
    // The new category's index, or -1 for an empty name.
    int AddCloudCategory(std::u16string_view name);
    // Appends to category c; false when c is not a category or its list is full.
    bool AddCloudSound(int category, const SoundItem& item);
    void SetCloudSoundStatus(int category, int index, std::int32_t status);
    int GetCategoryCount();
    std::u16string GetCategoryName(int category);
    std::optional<SoundItem> GetCloudSound(int category, int index);
    std::vector<SoundItem> CopyCloudList(int category);

private:
    void LoadList(const char16_t* section, const char16_t* pathSection, int maxCount,
                  bool needFile, std::vector<SoundItem>& list);
    // Runs a change of the favourites with the hotkeys unregistered around
    // it when the switch is on, since the ids follow the positions.
    template <class Change>
    void ChangeFavorites(Change change);
    void WriteConfigValue(const char16_t* key, int value);

    std::u16string m_path;
    int m_enableHotKey = 0;
    int m_volume = 50;
    std::vector<SoundItem> m_custom;
    std::vector<SoundItem> m_downloads;
    std::vector<SoundItem> m_favorites;
    int m_hotKeyIdBase = kHotKeyIdBase;
    HWND m_hotKeyWindow = nullptr;

    ccm_util::CLock m_cloudLock;  // guards the two below
    std::vector<std::vector<SoundItem>> m_cloudSounds;
    std::vector<std::u16string> m_cloudCategories;
};

// A download: the first with that cloud id, or null.
const SoundItem* FindSoundById(const std::vector<SoundItem>& downloads, std::int32_t cloudId);

// A zero-filled item; false when the path does not fit whole. The name is
// cut to 7 characters at a character boundary.
bool MakeSoundItem(SoundItem& item, std::int32_t kind, std::u16string_view name,
                   std::u16string_view path, std::int32_t cloudId = 0);
