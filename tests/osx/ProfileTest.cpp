#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os/AtomicFile.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"

namespace {
using namespace qv::os;
namespace fs = std::filesystem;

class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-profile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_file = Utf8ToUtf16(m_dir + "/test.ini");
    }
    void TearDown() override {
        SetBeforeReplaceHook(nullptr);
        fs::remove_all(m_dir);
    }

    const char16_t* file() const { return m_file.c_str(); }
    std::string path() const { return m_dir + "/test.ini"; }
    void Put(const std::string& bytes) { ASSERT_TRUE(ReplaceFileAtomically(path(), bytes)); }
    std::string Bytes() const { return ReadWholeFile(path()).value_or("<missing>"); }
    std::u16string Get(const char16_t* section, const char16_t* key, const char16_t* def = u"?") {
        std::array<char16_t, 300> buffer{};
        GetPrivateProfileString(section, key, def, buffer.data(), buffer.size(), file());
        return buffer.data();
    }
    std::size_t FilesInDir() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    std::string m_dir;
    std::u16string m_file;
};

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST_F(Profile, NewFileHoldsStringIntAndStructValuesExactly) {
    ASSERT_TRUE(WritePrivateProfileString(u"Module", u"name", u"dorbII.so", file()));
    ASSERT_TRUE(WritePrivateProfileString(u"Settings", u"CloseBtnOperation", u"0", file()));
    const unsigned char data[] = {0x01, 0x02, 0xFF};
    ASSERT_TRUE(WritePrivateProfileStruct(u"CustomPreset", u"presetValue", data, 3, file()));
    EXPECT_EQ(Bytes(),
              "[Module]\r\nname=dorbII.so\r\n"
              "[Settings]\r\nCloseBtnOperation=0\r\n"
              "[CustomPreset]\r\npresetValue=0102FF02\r\n");
    EXPECT_EQ(Get(u"module", u"NAME"), u"dorbII.so");
    EXPECT_EQ(GetPrivateProfileInt(u"SETTINGS", u"closebtnoperation", 1, file()), 0);
    unsigned char back[3] = {};
    EXPECT_TRUE(GetPrivateProfileStruct(u"custompreset", u"PRESETVALUE", back, 3, file()));
    EXPECT_EQ(0, memcmp(back, data, 3));
    EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind
}

TEST_F(Profile, WritingAKeyKeepsEveryOtherLine) {
    Put("; settings of the app\n"
        "[Settings]\n"
        "  MainWndWidth = 640 \n"
        "; keep me\n"
        "\n"
        "[Other]\n"
        "x=1");
    ASSERT_TRUE(WritePrivateProfileString(u"settings", u"mainwndwidth", u"800", file()));
    ASSERT_TRUE(WritePrivateProfileString(u"SETTINGS", u"MiniToTray", u"1", file()));
    ASSERT_TRUE(WritePrivateProfileString(u"other", u"y", u"2", file()));
    ASSERT_TRUE(WritePrivateProfileString(u"Other", u"x", u"3", file()));
    EXPECT_EQ(Bytes(),
              "; settings of the app\n"
              "[Settings]\n"
              "MainWndWidth=800\n"
              "; keep me\n"
              "MiniToTray=1\n"
              "\n"
              "[Other]\n"
              "x=3\n"
              "y=2\n");
}

TEST_F(Profile, NullValueDeletesKeyAndNullKeyDeletesSection) {
    Put("[A]\r\nk=1\r\nj=2\r\n[B]\r\n; note\r\nk=3\r\n[C]\r\nk=4\r\n");
    ASSERT_TRUE(WritePrivateProfileString(u"a", u"K", nullptr, file()));
    ASSERT_TRUE(WritePrivateProfileString(u"b", nullptr, nullptr, file()));
    ASSERT_TRUE(WritePrivateProfileString(u"missing", u"k", nullptr, file()));
    EXPECT_EQ(Bytes(), "[A]\r\nj=2\r\n[C]\r\nk=4\r\n");
    EXPECT_EQ(Get(u"A", u"k", u"gone"), u"gone");

    fs::remove(path());
    ASSERT_TRUE(WritePrivateProfileString(u"Module", u"name", nullptr, file()));
    EXPECT_FALSE(fs::exists(path()));  // deleting creates no file
}

TEST_F(Profile, StructReadsAsMissingUnlessLengthAndChecksumMatch) {
    Put("[S]\n"
        "good=0A0B15\n"
        "lower=0a0b15\n"
        "badsum=0A0B16\n"
        "short=0A0B\n"
        "long=0A0B1500\n"
        "nothex=0A0G15\n");
    unsigned char out[2] = {0xEE, 0xEE};
    EXPECT_TRUE(GetPrivateProfileStruct(u"S", u"good", out, 2, file()));
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0x0B);
    EXPECT_TRUE(GetPrivateProfileStruct(u"S", u"lower", out, 2, file()));
    out[0] = out[1] = 0xEE;
    for (const char16_t* key : {u"badsum", u"short", u"long", u"nothex", u"absent"}) {
        EXPECT_FALSE(GetPrivateProfileStruct(u"S", key, out, 2, file()));
        EXPECT_EQ(out[0], 0xEE);  // untouched
    }
    // The checksum is the byte sum mod 256.
    const unsigned char big[] = {0x80, 0x90, 0xF0};
    ASSERT_TRUE(WritePrivateProfileStruct(u"S", u"big", big, 3, file()));
    EXPECT_EQ(Get(u"S", u"big"), u"8090F000");
    ASSERT_TRUE(WritePrivateProfileStruct(u"S", u"big", nullptr, 3, file()));
    EXPECT_EQ(Get(u"S", u"big", u"none"), u"none");
}

TEST_F(Profile, IntParsesLeadingDigitsWithSign) {
    Put("[I]\na=12abc\nb= -7\nc=abc\nd=\ne=+3\nf=4294967295\n");
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"a", 9, file()), 12);
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"b", 9, file()), -7);
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"c", 9, file()), 0);
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"d", 9, file()), 9);
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"e", 9, file()), 3);
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"f", 9, file()), -1);
    EXPECT_EQ(GetPrivateProfileInt(u"I", u"missing", 9, file()), 9);
    EXPECT_EQ(GetPrivateProfileInt(u"none", u"a", 1, file()), 1);
}

TEST_F(Profile, Utf16FileWithMarkStaysUtf16) {
    Put("\xFF\xFE");  // what the settings store creates
    ASSERT_TRUE(WritePrivateProfileString(u"StringSettings", u"LatestPrjFile", u"效果一", file()));
    EXPECT_EQ(Bytes(), Utf16File(u"[StringSettings]\r\nLatestPrjFile=效果一\r\n"));
    ASSERT_TRUE(WritePrivateProfileString(u"stringsettings", u"LatestPrjFile", u"二", file()));
    ASSERT_TRUE(WritePrivateProfileString(u"Settings", u"CloseBtnOperation", u"0", file()));
    EXPECT_EQ(Bytes(), Utf16File(u"[StringSettings]\r\nLatestPrjFile=二\r\n"
                                 u"[Settings]\r\nCloseBtnOperation=0\r\n"));
    EXPECT_EQ(Get(u"StringSettings", u"latestprjfile"), u"二");
    EXPECT_EQ(GetPrivateProfileInt(u"Settings", u"CloseBtnOperation", 1, file()), 0);
}

TEST_F(Profile, ChineseTextInUtf8FilesAndForeignBytesSurvive) {
    // The second line is not UTF-8 (a legacy code page); it must survive a
    // write of another key byte for byte.
    Put("[音效]\n名称=摇滚\n\xC4\xE3\xBA\xC3=1\n");
    EXPECT_EQ(Get(u"音效", u"名称"), u"摇滚");
    ASSERT_TRUE(WritePrivateProfileString(u"音效", u"名称", u"流行", file()));
    ASSERT_TRUE(WritePrivateProfileString(u"音效", u"新", u"是", file()));
    EXPECT_EQ(Bytes(), "[音效]\n名称=流行\n\xC4\xE3\xBA\xC3=1\n新=是\n");
}

TEST_F(Profile, ReadTrimsQuotesCutsAndLists) {
    Put("[Q]\na = \"quoted text\" \nb='x'\nc=\"half\n[R]\nz=1\n");
    EXPECT_EQ(Get(u"Q", u"a"), u"quoted text");
    EXPECT_EQ(Get(u"Q", u"b"), u"x");
    EXPECT_EQ(Get(u"Q", u"c"), u"\"half");
    EXPECT_EQ(Get(u"Q", u"none", u"def  "), u"def");

    char16_t small[4];
    EXPECT_EQ(GetPrivateProfileString(u"Q", u"a", u"", small, 4, file()), 3u);
    EXPECT_EQ(std::u16string(small), u"quo");

    char16_t list[32];
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, u"", list, 32, file()), 4u);
    EXPECT_EQ(std::u16string(list, 5), std::u16string(u"Q\0R\0\0", 5));
    EXPECT_EQ(GetPrivateProfileString(u"q", nullptr, u"", list, 32, file()), 6u);
    EXPECT_EQ(std::u16string(list, 7), std::u16string(u"a\0b\0c\0\0", 7));
}

TEST_F(Profile, RefusesTextThatWouldBreakTheFile) {
    Put("[S]\nk=1\n");
    EXPECT_FALSE(WritePrivateProfileString(u"S", u"k", u"1\r\n[T]", file()));
    EXPECT_FALSE(WritePrivateProfileString(u"S", u"a=b", u"1", file()));
    EXPECT_FALSE(WritePrivateProfileString(u"S]x", u"k", u"1", file()));
    EXPECT_FALSE(WritePrivateProfileString(nullptr, u"k", u"1", file()));
    EXPECT_EQ(Bytes(), "[S]\nk=1\n");
}

bool CrashBeforeRename(const char*, const char*) { _exit(3); }
bool RefuseRename(const char*, const char*) { return false; }

TEST_F(Profile, AFailureBeforeTheRenameLeavesTheOldFileWhole) {
    Put("[Module]\r\nname=zenk.so\r\n");
    const std::string old = Bytes();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SetBeforeReplaceHook(CrashBeforeRename);
        WritePrivateProfileString(u"Module", u"name", u"dorbII.so", file());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);  // died between write and rename
    EXPECT_EQ(Bytes(), old);
    EXPECT_EQ(Get(u"Module", u"name"), u"zenk.so");

    SetBeforeReplaceHook(RefuseRename);
    EXPECT_FALSE(WritePrivateProfileString(u"Module", u"name", u"dorbII.so", file()));
    EXPECT_EQ(Bytes(), old);
}

TEST_F(Profile, MissingFolderFailsAndMissingFileReadsDefaults) {
    const std::u16string elsewhere = Utf8ToUtf16(m_dir + "/no/such/dir.ini");
    EXPECT_FALSE(WritePrivateProfileString(u"S", u"k", u"v", elsewhere.c_str()));
    EXPECT_EQ(GetPrivateProfileInt(u"S", u"k", 5, elsewhere.c_str()), 5);
    // Backslashes in a path are folder separators.
    const std::u16string windowsStyle = Utf8ToUtf16(m_dir + "\\test.ini");
    ASSERT_TRUE(WritePrivateProfileString(u"S", u"k", u"v", windowsStyle.c_str()));
    EXPECT_EQ(Get(u"S", u"k"), u"v");
}

}  // namespace
