// The mood file and the favourites' hotkeys: what is saved loads back byte
// for byte, damaged files load within bounds, a save replaces the file once,
// and the hotkeys follow the favourites' positions.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Messages.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"
#include "platform/ui/desktop/HotKeys.h"
#include "plugin/sound/MoodConfig.h"
#include "plugin/sound/MoodHotKeyFilter.h"
#include "tests/support/FakeHotKeyService.h"

namespace {

std::string Utf16File(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

// The structure form of a head, computed here rather than by the engine.
std::u16string HeadText(const SoundItem& item) {
    static const char16_t* digits = u"0123456789ABCDEF";
    const auto* bytes = reinterpret_cast<const unsigned char*>(&item);
    std::u16string text;
    unsigned sum = 0;
    for (std::size_t i = 0; i < kSoundHeadBytes; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
        sum += bytes[i];
    }
    text += digits[(sum & 0xFF) >> 4];
    text += digits[sum & 15];
    return text;
}

SoundItem Item(std::int32_t kind, std::u16string_view name, std::u16string_view path, std::uint32_t hotkey = 0,
               std::int32_t cloudId = 0) {
    SoundItem item;
    EXPECT_TRUE(MakeSoundItem(item, kind, name, path, cloudId));
    item.hotkey = hotkey;
    return item;
}

using FakeHotKeys = qv::test::FakeHotKeyService;

class MoodConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-mood-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        file = dir + "/DorbIIMoodcfg.ini";
        qv::desktop::SetHotKeyService(&hotkeys);
        qv::os::SetDebugOutputHook([](const char* text) { traces.push_back(text); });
        traces.clear();
    }
    void TearDown() override {
        qv::os::SetDebugOutputHook(nullptr);
        qv::desktop::SetHotKeyService(nullptr);
        std::filesystem::remove_all(dir);
    }
    std::u16string Path(const std::string& name) const { return qv::os::ProgramPath(dir + "/" + name); }
    std::string Touch(const std::string& name) const {
        std::ofstream(dir + "/" + name) << "mp3";
        return dir + "/" + name;
    }
    std::string Bytes() const {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const std::u16string& text) const { std::ofstream(file, std::ios::binary) << Utf16File(text); }

    std::string dir;
    std::string file;
    FakeHotKeys hotkeys;
    static inline std::vector<std::string> traces;
};

TEST_F(MoodConfigTest, NewFileHoldsOnlyTheMarkAndTheDefaults) {
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    EXPECT_EQ(Bytes(), "\xFF\xFE");
    EXPECT_EQ(config.GetVolume(), 76);
    EXPECT_EQ(config.IsHotKeyEnabled(), 0);
    EXPECT_TRUE(config.GetFavorites().empty());
    CMoodConfig unwritable;
    EXPECT_EQ(unwritable.Init(Path("missing/DorbIIMoodcfg.ini")), 0);
}

TEST_F(MoodConfigTest, SavedListsLoadBackByteForByte) {
    const std::string custom = Touch("自定义.mp3");
    const std::string download = Touch("clap.mp3");
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundBuiltIn, u"大笑", u"laugh_mp3", (2u << 16) | 0x70)), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"a longer name", u"/gone.mp3")), 1);
    ASSERT_EQ(config.AddCustomSound(Item(kSoundFile, u"自定义", qv::os::ProgramPath(custom))), 1);
    ASSERT_EQ(config.AddDownload(Item(kSoundFile, u"掌声", qv::os::ProgramPath(download), 0, 201)), 1);
    config.SetVolume(33);
    config.EnableHotKey(1);
    ASSERT_TRUE(config.Save());
    const std::string saved = Bytes();

    // The text as the profile engine reads it: the head in structure form.
    SoundItem head = Item(kSoundBuiltIn, u"大笑", u"laugh_mp3", (2u << 16) | 0x70);
    char16_t value[200];
    qv::os::GetPrivateProfileString(u"HotkeyMood", u"0", u"", value, 200, qv::os::ProgramPath(file).c_str());
    EXPECT_EQ(std::u16string(value), HeadText(head));
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(saved.find(Utf16File(u"[HotkeyMood]\r\ncount=2\r\n").substr(2)), std::string::npos);

    CMoodConfig loaded;
    ASSERT_EQ(loaded.Init(qv::os::ProgramPath(file)), 1);
    ASSERT_EQ(loaded.GetFavorites().size(), 2u);
    EXPECT_EQ(std::memcmp(&loaded.GetFavorites()[0], &config.GetFavorites()[0], sizeof(SoundItem)), 0);
    EXPECT_EQ(std::u16string(loaded.GetFavorites()[1].name), u"a longe");
    EXPECT_EQ(loaded.GetCustomSounds().size(), 1u);
    EXPECT_EQ(loaded.GetDownloads().size(), 1u);
    EXPECT_EQ(loaded.GetVolume(), 33);
    EXPECT_EQ(loaded.IsHotKeyEnabled(), 1);
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(Bytes(), saved);
}

TEST_F(MoodConfigTest, DamagedFilesLoadWithinBounds) {
    const std::string present = Touch("here.mp3");
    SoundItem good = Item(kSoundFile, u"好", u"x");
    SoundItem unterminated = good;
    for (char16_t& c : unterminated.name) c = u'長';
    SoundItem badSum = good;
    std::u16string badSumText = HeadText(badSum);
    badSumText.back() = badSumText.back() == u'0' ? u'1' : u'0';
    const std::u16string longPath(300, u'p');

    struct Case {
        const char* name;
        std::u16string text;
        std::size_t favorites;
        std::size_t custom;
        int volume;
        int enabled;
    };
    const Case cases[] = {
        {"negative count", u"[HotkeyMood]\r\ncount=-5\r\n0=" + HeadText(good) + u"\r\n[HotkeyMoodPath]\r\n0=/a\r\n", 0, 0,
         76, 0},
        {"huge count, three readable",
         u"[HotkeyMood]\r\ncount=99999999\r\n0=" + HeadText(good) + u"\r\n1=" + HeadText(good) + u"\r\n2=" +
             HeadText(unterminated) + u"\r\n3=" + badSumText + u"\r\n4=" + HeadText(good) +
             u"\r\n[HotkeyMoodPath]\r\n0=/a\r\n1=\r\n2=/c\r\n3=/d\r\n4=" + longPath + u"\r\n5=/f\r\n",
         2, 0, 76, 0},
        {"custom sound whose file is gone",
         u"[DIY]\r\ncount=2\r\n0=" + HeadText(good) + u"\r\n1=" + HeadText(good) + u"\r\n[DIYPath]\r\n0=" +
             qv::os::ProgramPath(present) + u"\r\n1=/nowhere/gone.mp3\r\n",
         0, 1, 76, 0},
        {"settings out of range", u"[Config]\r\nVolume=500\r\nEnableHotKey=7\r\n", 0, 0, 100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(c.text);
        CMoodConfig config;
        ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
        EXPECT_EQ(config.GetFavorites().size(), c.favorites);
        EXPECT_EQ(config.GetCustomSounds().size(), c.custom);
        EXPECT_EQ(config.GetVolume(), c.volume);
        EXPECT_EQ(config.IsHotKeyEnabled(), c.enabled);
        for (const SoundItem& item : config.GetFavorites()) {
            EXPECT_EQ(item.name[kSoundNameUnits - 1], 0);
            EXPECT_EQ(item.path[kSoundPathUnits - 1], 0);
        }
    }
    // The unterminated name is cut to its field.
    Write(u"[HotkeyMood]\r\ncount=1\r\n0=" + HeadText(unterminated) + u"\r\n[HotkeyMoodPath]\r\n0=/a\r\n");
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    ASSERT_EQ(config.GetFavorites().size(), 1u);
    EXPECT_EQ(std::u16string(config.GetFavorites()[0].name), std::u16string(7, u'長'));
}

TEST_F(MoodConfigTest, ListsRefuseWhatDoesNotFitInsteadOfCuttingIt) {
    std::u16string text = u"[HotkeyMood]\r\ncount=1005\r\n";
    std::u16string paths = u"[HotkeyMoodPath]\r\n";
    const SoundItem good = Item(kSoundFile, u"n", u"x");
    for (int i = 0; i < 1005; ++i) {
        const std::u16string key = qv::os::ProgramPath(std::to_string(i));
        text += key + u"=" + HeadText(good) + u"\r\n";
        paths += key + u"=/p\r\n";
    }
    Write(text + paths);
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    EXPECT_EQ(config.GetFavorites().size(), 999u);
    EXPECT_EQ(config.AddFavorite(good), 0);

    SoundItem tooLong;
    EXPECT_FALSE(MakeSoundItem(tooLong, kSoundFile, u"n", std::u16string(260, u'p')));
    EXPECT_TRUE(MakeSoundItem(tooLong, kSoundFile, u"n", std::u16string(259, u'p')));
    for (char16_t& c : tooLong.path) c = u'p';
    CMoodConfig fresh;
    ASSERT_EQ(fresh.Init(Path("other.ini")), 1);
    EXPECT_EQ(fresh.AddFavorite(tooLong), 0);
    EXPECT_EQ(fresh.AddCustomSound(tooLong), 0);
    EXPECT_EQ(fresh.AddDownload(tooLong), 0);
    EXPECT_TRUE(fresh.GetFavorites().empty());

    // Cloud categories take at most 1000 sounds each.
    ASSERT_EQ(fresh.AddCloudCategory(u"笑声"), 0);
    EXPECT_EQ(fresh.AddCloudCategory(u""), -1);
    int added = 0;
    while (fresh.AddCloudSound(0, good) && added < 2000) ++added;
    EXPECT_EQ(added, 1000);
    EXPECT_FALSE(fresh.AddCloudSound(1, good));
}

TEST_F(MoodConfigTest, SaveReplacesTheFileOnceAndWhole) {
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"一", u"/1")), 1);
    const std::string before = Bytes();

    static int replaces;
    replaces = 0;
    qv::os::SetBeforeReplaceHook([](const char*, const char*) { return ++replaces, false; });
    EXPECT_EQ(config.AddFavorite(Item(kSoundFile, u"二", u"/2")), 1);
    qv::os::SetBeforeReplaceHook(nullptr);
    EXPECT_EQ(replaces, 1);
    EXPECT_EQ(Bytes(), before);  // an interrupted save leaves the old lists whole
}

TEST_F(MoodConfigTest, ListRulesOnNamesAndIds) {
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"Abc", u"/Path/a.mp3")), 1);
    EXPECT_EQ(config.IsInFavorites(Item(kSoundFile, u"abc", u"/other")), 1);
    EXPECT_EQ(config.IsInFavorites(Item(kSoundFile, u"x", u"/path/A.MP3")), 1);
    EXPECT_EQ(config.RemoveFavorite(Item(kSoundFile, u"abc", u"/Path/a.mp3")), 0);
    EXPECT_EQ(config.RemoveFavorite(Item(kSoundFile, u"Abc", u"/Path/a.mp3")), 1);
    EXPECT_TRUE(config.GetFavorites().empty());

    const std::u16string first = qv::os::ProgramPath(Touch("1.mp3"));
    const std::u16string second = qv::os::ProgramPath(Touch("2.mp3"));
    ASSERT_EQ(config.AddCustomSound(Item(kSoundFile, u"同名", first)), 1);
    ASSERT_EQ(config.AddCustomSound(Item(kSoundFile, u"别的", first)), 1);
    ASSERT_EQ(config.AddCustomSound(Item(kSoundFile, u"同名", second)), 1);
    ASSERT_EQ(config.GetCustomSounds().size(), 2u);
    EXPECT_EQ(std::u16string(config.GetCustomSounds()[1].path), second);

    ASSERT_EQ(config.AddDownload(Item(kSoundFile, u"a", first, 0, 7)), 1);
    ASSERT_EQ(config.AddDownload(Item(kSoundFile, u"b", second, 0, 7)), 1);
    ASSERT_EQ(config.GetDownloads().size(), 1u);
    EXPECT_EQ(std::u16string(FindSoundById(config.GetDownloads(), 7)->name), u"b");
}

TEST_F(MoodConfigTest, HotkeysFollowTheFavouritesPositions) {
    CMoodConfig config;
    ASSERT_EQ(config.Init(qv::os::ProgramPath(file)), 1);
    const HWND window = reinterpret_cast<HWND>(0x1234);
    config.SetHotKeyWindow(window);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"零", u"/0", (2u << 16) | 'A')), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"一", u"/1", 0)), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"二", u"/2", (1u << 16) | 'C')), 1);
    ASSERT_EQ(config.AddFavorite(Item(kSoundFile, u"三", u"/3", (4u << 16) | 'D')), 1);
    EXPECT_TRUE(hotkeys.registered.empty());  // the switch is off

    config.EnableHotKey(1);
    ASSERT_EQ(hotkeys.registered.size(), 3u);
    EXPECT_EQ(hotkeys.registered[14000], std::make_pair(window, (2u << 16) | 'A'));
    EXPECT_EQ(hotkeys.registered[14002], std::make_pair(window, (1u << 16) | 'C'));

    hotkeys.log.clear();
    config.RemoveFavoriteAt(0);
    EXPECT_EQ(hotkeys.log, (std::vector<std::string>{"-14000", "-14002", "-14003", "+14001", "+14002"}));
    ASSERT_EQ(hotkeys.registered.size(), 2u);
    EXPECT_EQ(hotkeys.registered[14001].second, (1u << 16) | 'C');
    EXPECT_EQ(hotkeys.registered[14002].second, (4u << 16) | 'D');
    EXPECT_EQ(config.GetHotKeyText(1), u"Alt+C");
    EXPECT_EQ(config.IsHotKeyUsed((4u << 16) | 'D'), 1);
    EXPECT_EQ(config.IsHotKeyUsed(0), 0);

    // A combination another program holds: traced, the others still registered.
    config.EnableHotKey(0);
    EXPECT_TRUE(hotkeys.registered.empty());
    hotkeys.refusedKey = 'C';
    traces.clear();
    config.EnableHotKey(1);
    EXPECT_EQ(hotkeys.registered.size(), 1u);
    ASSERT_FALSE(traces.empty());
    EXPECT_EQ(traces.back(), "RegisterHotKey failed. index=1");  // one line: the output ends it
}

TEST(MoodHotKeyFilter, TakesOnlyTheFavouritesHotkeys) {
    std::vector<int> played;
    CMoodHotKeyFilter filter([&](int pad) { played.push_back(pad); });
    struct Case {
        UINT message;
        WPARAM wParam;
        bool consumed;
    };
    const Case cases[] = {
        {WM_HOTKEY, 13999, false},  {WM_HOTKEY, 14000, true},  {WM_HOTKEY, 14999, true},
        {WM_HOTKEY, 15000, false},  {WM_COMMAND, 14000, false}, {WM_HOTKEY, 0x10000 | 14005, true},
    };
    for (const Case& c : cases) {
        qv::os::MSG msg{nullptr, c.message, c.wParam, 0, 0};
        EXPECT_EQ(filter.PreTranslateMessage(msg), c.consumed) << c.wParam;
    }
    EXPECT_EQ(played, (std::vector<int>{14000, 14999, 14005}));
}

}  // namespace
