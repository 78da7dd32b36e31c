#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/os/AtomicFile.h"
#include "platform/os/Tick.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "tests/support/ChildEnd.h"

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
    EXPECT_EQ(Get(u" q\t", u"\tA "), u"quoted text");  // names trimmed, as writes trim them
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
    const auto status = qv::test::AwaitChild(child, "the profile writer");
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 3);  // died between write and rename
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

// Files damaged by other programs or by an interrupted copy: the next write
// mends the damage without touching another value.
struct DamagedFile {
    const char* name;
    std::string bytes;
    std::string afterWrite;
};

void PrintTo(const DamagedFile& file, std::ostream* out) { *out << file.name; }

class ProfileDamaged : public Profile, public ::testing::WithParamInterface<DamagedFile> {};

TEST_P(ProfileDamaged, TheNextWriteReadsBackAndKeepsTheOtherValues) {
    Put(GetParam().bytes);
    EXPECT_EQ(Get(u"S", u"k"), u"v");
    ASSERT_TRUE(WritePrivateProfileString(u"S", u"j", u"2", file()));
    EXPECT_EQ(Get(u"S", u"k"), u"v");
    EXPECT_EQ(Get(u"S", u"j"), u"2");
    EXPECT_EQ(Bytes(), GetParam().afterWrite);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileDamaged,
    ::testing::Values(
        DamagedFile{"LoneCrAtTheEnd", "[S]\r\nk=v\r", "[S]\r\nk=v\r\nj=2\r\n"},
        DamagedFile{"LoneCrAtTheEndOfAnLfFile", "[S]\nk=v\r", "[S]\nk=v\r\nj=2\n"},
        DamagedFile{"Utf16LoneCrAtTheEnd", Utf16File(u"[S]\r\nk=v\r"), Utf16File(u"[S]\r\nk=v\r\nj=2\r\n")},
        DamagedFile{"Utf16OddLastByte", Utf16File(u"[S]\r\nk=v\r\n") + "A",
                    Utf16File(u"[S]\r\nk=v\r\nj=2\r\n")},
        DamagedFile{"Utf16OddByteAfterAnOpenLine", Utf16File(u"[S]\r\nk=v") + "A",
                    Utf16File(u"[S]\r\nk=v\r\nj=2\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs the body in a child, so that a call that blocks fails the test after
// the time-out instead of hanging it.
void ExpectReturnsPromptly(const std::function<bool()>& body) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(body() ? 0 : 1);
    int status = 0;
    const std::uint64_t end = NowMs() + 10000;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (NowMs() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "the profile engine blocked";
        }
        SleepMs(10);
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Profile, AnythingButARegularFileIsRefusedWithoutBlocking) {
    const std::string fifo = m_dir + "/fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = m_dir + "/folder.ini";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string device = m_dir + "/device.ini";
    ASSERT_EQ(symlink("/dev/zero", device.c_str()), 0);

    for (const std::string& path : {fifo, folder, device}) {
        SCOPED_TRACE(path);
        const std::u16string name = Utf8ToUtf16(path);
        ExpectReturnsPromptly([&] {
            std::array<char16_t, 16> out{};
            GetPrivateProfileString(u"S", u"k", u"none", out.data(), out.size(), name.c_str());
            return std::u16string(out.data()) == u"none" &&
                   GetPrivateProfileInt(u"S", u"k", 7, name.c_str()) == 7 &&
                   !WritePrivateProfileString(u"S", u"k", u"v", name.c_str());
        });
    }
    struct stat info {};
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(lstat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

// A link at the profile's name (to a file, to nothing) is read through, but
// a write puts the file in its place: what it named stays as it was.
TEST_F(Profile, AWriteReplacesALinkAtTheNameAndLeavesWhatItNamedAlone) {
    fs::create_directories(m_dir + "/real");
    ASSERT_TRUE(ReplaceFileAtomically(m_dir + "/real/settings.ini", "[S]\r\nj=2\r\n"));
    for (const char* named : {"real/settings.ini", "real/missing.ini"}) {
        SCOPED_TRACE(named);
        fs::remove(path());
        ASSERT_EQ(symlink(named, path().c_str()), 0);
        const bool file = std::string(named) == "real/settings.ini";
        EXPECT_EQ(Get(u"S", u"j"), file ? u"2" : u"?");
        ASSERT_TRUE(WritePrivateProfileString(u"S", u"k", u"1", this->file()));
        EXPECT_FALSE(fs::is_symlink(path()));
        EXPECT_EQ(Bytes(), file ? "[S]\r\nj=2\r\nk=1\r\n" : "[S]\r\nk=1\r\n");
    }
    EXPECT_EQ(ReadWholeFile(m_dir + "/real/settings.ini").value_or(""), "[S]\r\nj=2\r\n");
    EXPECT_FALSE(fs::exists(m_dir + "/real/missing.ini"));
}

// The temporary names an atomic write tries, in order: links planted at the
// first ones, named in advance, are passed over and what they name is kept.
std::string PlantedName(const std::string& target, int attempt) {
    if (attempt == 0) return target + ".new" + std::to_string(getpid());
    return target + ".tmp" + std::to_string(attempt);
}

TEST_F(Profile, LinksPlantedAtTheTemporaryNamesLeaveTheirTargetsAlone) {
    SetTempNameHook(PlantedName);
    fs::create_directories(m_dir + "/real");
    ASSERT_TRUE(ReplaceFileAtomically(m_dir + "/victim", "keep"));
    // Written directly and in place of a link: the temporary names sit
    // beside the name written.
    fs::create_symlink("real/linked.ini", m_dir + "/link.ini");
    const std::vector<std::string> targets = {path(), m_dir + "/link.ini"};
    for (const std::string& target : targets) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            const std::string name = PlantedName(target, attempt);
            if (attempt % 2) fs::create_symlink(m_dir + "/victim", name);
            else fs::create_symlink(m_dir + "/missing-" + std::to_string(attempt), name);  // names nothing yet
        }
    }
    ASSERT_TRUE(WritePrivateProfileString(u"S", u"k", u"1", file()));
    const std::u16string link = Utf8ToUtf16(m_dir + "/link.ini");
    ASSERT_TRUE(WritePrivateProfileString(u"S", u"k", u"2", link.c_str()));
    SetTempNameHook(nullptr);

    EXPECT_EQ(Bytes(), "[S]\r\nk=1\r\n");
    EXPECT_EQ(ReadWholeFile(m_dir + "/link.ini").value_or(""), "[S]\r\nk=2\r\n");
    EXPECT_FALSE(fs::exists(m_dir + "/real/linked.ini"));
    EXPECT_EQ(ReadWholeFile(m_dir + "/victim").value_or(""), "keep");
    for (const std::string& target : targets) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            EXPECT_TRUE(fs::is_symlink(PlantedName(target, attempt)));
            EXPECT_FALSE(fs::exists(m_dir + "/missing-" + std::to_string(attempt)));
        }
        EXPECT_FALSE(fs::exists(fs::symlink_status(PlantedName(target, 4))));  // used, then renamed
    }
}

// A file past the limits, or with a NUL, reads as unreadable and is never
// written over; one just inside them is read, its lookups costing no more
// than a small file's.
TEST_F(Profile, FilesPastTheLimitsAreRefusedAndLargeOnesStillReadWhole) {
    struct Case {
        const char* name;
        std::string bytes;
        bool usable;
    };
    std::string manyKeys = "[S]\r\n";
    for (int i = 0; manyKeys.size() < kMaxProfileFileBytes - 100; ++i)
        manyKeys += "key" + std::to_string(i) + "=" + std::string(60, 'v') + "\r\n";
    const Case cases[] = {
        {"TooLarge", "[S]\nk=v\n" + std::string(kMaxProfileFileBytes, ' '), false},
        {"TooManyLines", "[S]\nk=v\n" + std::string(kMaxProfileLines, '\n'), false},
        {"Nul", std::string("[S]\nk=v\n\0", 9), false},
        {"Utf16Nul", Utf16File(std::u16string(u"[S]\r\nk=v\r\n") + u'\0'), false},
        {"JustInside", manyKeys, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.bytes);
        std::string why;
        EXPECT_EQ(CheckProfileFile(file(), &why), c.usable ? ProfileFileState::Usable : ProfileFileState::Damaged);
        EXPECT_EQ(why.empty(), c.usable) << why;
        EXPECT_EQ(Get(u"S", u"k"), u"?");  // unreadable ones read as missing
        EXPECT_EQ(WritePrivateProfileString(u"S", u"new", u"1", file()), c.usable);
        if (!c.usable) {
            EXPECT_EQ(Bytes(), c.bytes);
        }
    }
    // The last key of the large file, and every one of them in one pass.
    const std::size_t count = (manyKeys.size() - 5) / 70;
    EXPECT_EQ(Get(u"S", u"key0"), std::u16string(60, u'v'));
    int found = 0;
    for (std::size_t i = 0; i < count; ++i)
        found += GetPrivateProfileInt(u"S", Utf8ToUtf16("key" + std::to_string(i)).c_str(), -1, file()) == 0;
    EXPECT_GE(found, 50000);
}

TEST_F(Profile, AChangeByAnotherWriterIsSeenEvenAtTheSameSize) {
    Put("[S]\nk=1\n");
    EXPECT_EQ(Get(u"S", u"k"), u"1");
    // Rewritten in place, same length; only the time tells.
    {
        const int fd = open(path().c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, "2", 1, 6), 1);
        struct stat info {};
        ASSERT_EQ(fstat(fd, &info), 0);
        timespec times[2] = {info.st_atim, info.st_mtim};
        times[1].tv_sec += 1;
        ASSERT_EQ(futimens(fd, times), 0);
        close(fd);
    }
    EXPECT_EQ(Get(u"S", u"k"), u"2");
    // Replaced by another file of the same size.
    ASSERT_TRUE(ReplaceFileAtomically(path(), "[S]\nk=3\n"));
    EXPECT_EQ(Get(u"S", u"k"), u"3");
    ASSERT_TRUE(WritePrivateProfileString(u"S", u"k", u"4", file()));
    EXPECT_EQ(Get(u"S", u"k"), u"4");
}

}  // namespace
