#include "plugin/workspace/SettingsStore.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/os/Folders.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "plugin/workspace/AppPaths.h"
#include "TempUserFolders.h"

namespace {

using qv::os::Utf8ToUtf16;

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

class SettingsStoreTest : public TempUserFolders {
protected:
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    std::u16string U(const std::string& path) const { return Utf8ToUtf16(path); }
};

TEST_F(SettingsStoreTest, StateFileIsCreatedInTheAppDataFolderWithDefaults) {
    const auto folder = qv::os::MakeAppDataFolder();
    ASSERT_TRUE(folder);
    ASSERT_EQ(LoadStateStore(*folder, u"DorbIIConfigData.db"), 1);
    const std::string file = m_dir + "/data/Quorvel/DorbIIConfigData.db";
    EXPECT_EQ(ReadBytes(file), "\xFF\xFE");

    CSettingsStore* store = CSettingsStore::GetStore(0);
    EXPECT_EQ(store->FilePath(), U(file));
    EXPECT_EQ(store->GetInt(kSettingCloseBtnOperation), 1);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(store->GetInt(i), 0) << i;
    ASSERT_NE(store->GetString(kSettingLatestPrjFile), nullptr);
    EXPECT_EQ(std::u16string(store->GetString(kSettingLatestPrjFile)), u"");

    // The file stays UTF-16 once written.
    ASSERT_EQ(store->SetInt(kSettingMainWinTopmost, 1), 1);
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find(Utf16Le(u"[Settings]")), std::string::npos);
    EXPECT_NE(bytes.find(Utf16Le(u"MainWinTopmost=1")), std::string::npos);
}

TEST_F(SettingsStoreTest, EverythingWrittenReadsBackFromTheFile) {
    const std::u16string file = U(Path("DorbIIConfigData.db"));
    struct Point {
        std::int32_t x;
        std::int32_t y;
    };
    {
        CSettingsStore store;
        ASSERT_EQ(store.Load(file), 1);
        EXPECT_EQ(store.SetInt(kSettingCloseBtnOperation, 0), 1);
        EXPECT_EQ(store.SetInt(kSettingMainWndWidth, -640), 1);
        EXPECT_EQ(store.SetString(kSettingLatestPrjFile, u"工程 1.prj"), 1);
        EXPECT_EQ(store.GetInt(kSettingMainWndWidth), -640);
        EXPECT_EQ(std::u16string(store.GetString(kSettingLatestPrjFile)), u"工程 1.prj");
        EXPECT_EQ(store.WriteInt(u"nCurSelTabIndex", u"tabSound", 2), 1);
        EXPECT_EQ(store.WriteString(u"Other", u"name", u"混响"), 1);
        const Point origin{12, -7};
        EXPECT_EQ(store.WriteStruct(u"Point", u"reverbScrollview", &origin, sizeof origin), 1);
    }
    CSettingsStore again;
    ASSERT_EQ(again.Load(file), 1);
    EXPECT_EQ(again.GetInt(kSettingCloseBtnOperation), 0);
    EXPECT_EQ(again.GetInt(kSettingMainWndWidth), -640);
    EXPECT_EQ(std::u16string(again.GetString(kSettingLatestPrjFile)), u"工程 1.prj");
    EXPECT_EQ(again.ReadInt(u"NCURSELTABINDEX", u"tabsound"), 2);
    EXPECT_EQ(again.ReadString(u"Other", u"name"), u"混响");
    Point origin{};
    EXPECT_EQ(again.ReadStruct(u"Point", u"reverbScrollview", &origin, sizeof origin), 1);
    EXPECT_EQ(origin.x, 12);
    EXPECT_EQ(origin.y, -7);
    // Missing keys: integers 0, texts empty.
    EXPECT_EQ(again.ReadInt(u"nCurSelTabIndex", u"tabEffecet"), 0);
    EXPECT_EQ(again.ReadString(u"Other", u"missing"), u"");
}

TEST_F(SettingsStoreTest, AnExistingFileIsReadAndLeftAsItWas) {
    const std::string file = Path("existing.db");
    const std::string content = "[Settings]\r\nCloseBtnOperation=0\r\nMiniToTray = 7 \r\n";
    WriteBytes(file, content);
    CSettingsStore store;
    ASSERT_EQ(store.Load(U(file)), 1);
    EXPECT_EQ(store.GetInt(kSettingCloseBtnOperation), 0);
    EXPECT_EQ(store.GetInt(kSettingMiniToTray), 7);
    EXPECT_EQ(ReadBytes(file), content);
}

TEST_F(SettingsStoreTest, LongStringSettingsAreCutOnReading) {
    const std::u16string file = U(Path("long.db"));
    const std::u16string longText(300, u'x');
    ASSERT_EQ(qv::os::WritePrivateProfileString(u"StringSettings", u"LatestPrjFile",
                                                longText.c_str(), file.c_str()),
              1);
    CSettingsStore store;
    ASSERT_EQ(store.Load(file), 1);
    EXPECT_EQ(std::u16string(store.GetString(kSettingLatestPrjFile)), longText.substr(0, 259));
    EXPECT_EQ(store.ReadString(u"StringSettings", u"LatestPrjFile"), longText.substr(0, 259));
}

TEST_F(SettingsStoreTest, StructsOfWrongLengthOrChecksumReadAsAbsent) {
    CSettingsStore store;
    ASSERT_EQ(store.Load(U(Path("preset.data"))), 1);
    const std::array<std::uint8_t, 4> record{0x01, 0x02, 0xFE, 0x10};
    ASSERT_EQ(store.WriteStruct(u"CustomPreset", u"presetValue", record.data(), 4), 1);
    EXPECT_EQ(store.ReadString(u"CustomPreset", u"presetValue"), u"0102FE1011");

    std::array<std::uint8_t, 8> out;
    out.fill(0xAA);
    EXPECT_EQ(store.ReadStruct(u"CustomPreset", u"presetValue", out.data(), 3), 0);
    EXPECT_EQ(store.ReadStruct(u"CustomPreset", u"presetValue", out.data(), 5), 0);
    EXPECT_EQ(store.ReadStruct(u"CustomPreset", u"missing", out.data(), 4), 0);
    EXPECT_EQ(store.ReadStruct(u"CustomPreset", u"presetValue", nullptr, 4), 0);
    ASSERT_EQ(store.WriteString(u"CustomPreset", u"presetValue", u"0102FE1012"), 1);
    EXPECT_EQ(store.ReadStruct(u"CustomPreset", u"presetValue", out.data(), 4), 0);
    for (std::uint8_t b : out) EXPECT_EQ(b, 0xAA);

    ASSERT_EQ(store.WriteString(u"CustomPreset", u"presetValue", u"0102FE1011"), 1);
    EXPECT_EQ(store.ReadStruct(u"CustomPreset", u"presetValue", out.data(), 4), 1);
    EXPECT_EQ(0, std::memcmp(out.data(), record.data(), 4));
}

TEST_F(SettingsStoreTest, IndexesOutOfRangeAndUnloadedStoresAreRefused) {
    CSettingsStore unloaded;
    EXPECT_EQ(unloaded.GetInt(0), 0);
    EXPECT_EQ(unloaded.SetInt(0, 1), 0);
    EXPECT_EQ(unloaded.GetString(0), nullptr);
    EXPECT_EQ(unloaded.SetString(0, u"x"), 0);
    EXPECT_EQ(unloaded.WriteInt(u"s", u"k", 1), 0);
    EXPECT_EQ(unloaded.WriteString(u"s", u"k", u"v"), 0);
    EXPECT_EQ(unloaded.WriteStruct(u"s", u"k", "ab", 2), 0);
    EXPECT_EQ(unloaded.ReadInt(u"s", u"k"), 0);
    EXPECT_EQ(unloaded.ReadString(u"s", u"k"), u"");

    const std::string file = Path("range.db");
    CSettingsStore store;
    ASSERT_EQ(store.Load(U(file)), 1);
    const std::string before = ReadBytes(file);
    for (int index : {5, -1, 1000, INT32_MIN}) {
        EXPECT_EQ(store.SetInt(index, 3), 0) << index;
        EXPECT_EQ(store.GetInt(index), 0) << index;
    }
    for (int index : {1, -1}) {
        EXPECT_EQ(store.SetString(index, u"x"), 0) << index;
        EXPECT_EQ(store.GetString(index), nullptr) << index;
    }
    EXPECT_EQ(store.SetString(kSettingLatestPrjFile, nullptr), 0);
    EXPECT_EQ(ReadBytes(file), before);

    // A failed load leaves the store unloaded: nothing goes to the old file.
    EXPECT_EQ(store.Load(u""), 0);
    EXPECT_FALSE(store.IsLoaded());
    EXPECT_EQ(store.SetInt(kSettingMainWndWidth, 9), 0);
    EXPECT_EQ(store.GetInt(kSettingCloseBtnOperation), 0);
    EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(SettingsStoreTest, StoresAreReachedByIndexWithLargeIndexesSharingTheLast) {
    CSettingsStore* last = CSettingsStore::GetStore(10);
    EXPECT_EQ(CSettingsStore::GetStore(11), last);
    EXPECT_EQ(CSettingsStore::GetStore(4000000000u), last);
    EXPECT_NE(CSettingsStore::GetStore(9), last);
    EXPECT_NE(CSettingsStore::GetStore(0), CSettingsStore::GetStore(1));
    EXPECT_EQ(CSettingsStore::GetStore(1), CSettingsStore::GetStore(1));
}

TEST_F(SettingsStoreTest, LoadingAnotherFileMovesTheStoreToIt) {
    const std::string first = Path("a.data");
    const std::string second = Path("b.data");
    CSettingsStore* store = CSettingsStore::GetStore(1);
    ASSERT_EQ(store->Load(U(first)), 1);
    ASSERT_EQ(store->WriteInt(u"CustomPreset", u"n", 1), 1);
    const std::string firstBytes = ReadBytes(first);

    ASSERT_EQ(store->Load(U(second)), 1);
    EXPECT_EQ(ReadBytes(second), "\xFF\xFE");
    ASSERT_EQ(store->WriteInt(u"CustomPreset", u"n", 2), 1);
    EXPECT_EQ(store->ReadInt(u"CustomPreset", u"n"), 2);
    EXPECT_EQ(ReadBytes(first), firstBytes);
    store->Load(u"");
}

}  // namespace
