// Preset files on their own, byte for byte, and the names on the buttons.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <fstream>
#include <string>

#include "platform/os/AtomicFile.h"
#include "platform/os/Utf.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/ButtonText.h"
#include "plugin/workspace/PresetFile.h"
#include "tests/effect/fuzz/PresetImportFuzz.h"

namespace {

namespace fs = std::filesystem;

GroupPreset SamplePreset() {
    GroupPreset p{};
    SetFieldText(p.name, u"暖声 A");
    for (int i = 0; i < 10; ++i) p.values[i] = 3 * i + 1;
    p.valueCount = 10;
    return p;
}

// The record in the profile struct form: upper-case hex, then the byte sum.
std::string StructHex(const GroupPreset& p, bool lowerCase = false) {
    const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    const auto* bytes = reinterpret_cast<const unsigned char*>(&p);
    std::string hex;
    unsigned sum = 0;
    auto put = [&](unsigned char b) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    };
    for (std::size_t i = 0; i < sizeof p; ++i) {
        put(bytes[i]);
        sum += bytes[i];
    }
    put(static_cast<unsigned char>(sum));
    return hex;
}

std::string Utf16File(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : qv::os::Utf8ToUtf16(text)) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class PresetFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("qv-preset-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::u16string Path(const char* name) { return (m_dir / name).u16string(); }
    void Write(const char* name, const std::string& bytes) { ASSERT_TRUE(qv::os::ReplaceFileAtomically((m_dir / name).string(), bytes)); }
    std::string Read(const char* name) { return qv::os::ReadWholeFile((m_dir / name).string()).value_or("<none>"); }

    fs::path m_dir;
};

// Another user who can write to the folder plants links at the names an
// export's temporary file once took: the files they name stay as they were.
TEST_F(PresetFileTest, AnExportNeverWritesThroughALinkPlantedBesideIt) {
    Write("victim", "keep");
    const std::string target = (m_dir / "out.data").string();
    for (const std::string& planted : {target + ".new" + std::to_string(getpid()), target + ".tmp"})
        fs::create_symlink(m_dir / "victim", planted);
    ASSERT_TRUE(WritePresetFile(Path("out.data"), SamplePreset()));
    EXPECT_EQ(Read("victim"), "keep");
    EXPECT_EQ(Read("out.data"), Utf16File("[CustomPreset]\r\npresetValue=" + StructHex(SamplePreset()) + "\r\n"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), 4);  // victim, two links, the export
}

TEST_F(PresetFileTest, AnExportIsTheMarkTheSectionAndTheRecordInUtf16) {
    const GroupPreset preset = SamplePreset();
    Write("old.data", "[Other]\r\nkey=value\r\n[CustomPreset]\r\npresetValue=00\r\n");
    ASSERT_TRUE(WritePresetFile(Path("old.data"), preset));
    const std::string expected = Utf16File("[CustomPreset]\r\npresetValue=" + StructHex(preset) + "\r\n");
    EXPECT_EQ(StructHex(preset).size(), 338u);
    EXPECT_EQ(Read("old.data"), expected);  // nothing of the replaced file is kept
    ASSERT_TRUE(WritePresetFile(Path("new.data"), preset));
    EXPECT_EQ(Read("new.data"), expected);
    // Only the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
    EXPECT_FALSE(WritePresetFile(Path("no such folder/x.data"), preset));
}

TEST_F(PresetFileTest, ImportTakesTheFormsTheProfileFunctionsRead) {
    const GroupPreset preset = SamplePreset();
    struct Case {
        const char* name;
        std::string bytes;
        bool accepted;
    };
    const std::string hex = StructHex(preset);
    std::string badSum = hex;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    const Case cases[] = {
        {"as exported", Utf16File("[CustomPreset]\r\npresetValue=" + hex + "\r\n"), true},
        {"8-bit", "[CustomPreset]\npresetValue=" + hex + "\n", true},
        {"lower-case hex", "[customPreset]\r\nPRESETVALUE=" + StructHex(preset, true) + "\r\n", true},
        {"among other sections", "[A]\nb=1\n[CustomPreset]\nx=2\npresetValue=" + hex + "\n", true},
        {"checksum edited", "[CustomPreset]\npresetValue=" + badSum + "\n", false},
        {"a byte short", "[CustomPreset]\npresetValue=" + hex.substr(2) + "\n", false},
        {"a byte more", "[CustomPreset]\npresetValue=00" + hex + "\n", false},
        {"not hex", "[CustomPreset]\npresetValue=" + std::string(338, 'G') + "\n", false},
        {"no key", "[CustomPreset]\nvalue=" + hex + "\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("in.data", c.bytes);
        const auto read = ReadPresetFile(Path("in.data"));
        ASSERT_EQ(read.has_value(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(std::memcmp(&*read, &preset, sizeof preset), 0);
        }
        EXPECT_EQ(Read("in.data"), c.bytes);  // untouched
    }
    EXPECT_FALSE(ReadPresetFile(Path("missing.data")));
    EXPECT_FALSE(fs::exists(m_dir / "missing.data"));
}

TEST(ButtonTextTest, LongNamesAreCutByCharactersNeverInsideAPair) {
    const std::u16string pair = u"\U0001F3B5";  // one character, two code units
    struct Case {
        std::u16string name;
        int maxWhole;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"五个字名称", 5, u"五个字名称"},
        {u"六个字的名称", 5, u"六个字的.."},
        {u"七个字的效果名", 7, u"七个字的效果名"},
        {u"八个字的音效名称", 7, u"八个字的音效.."},
        {pair + pair + pair + pair + pair, 5, pair + pair + pair + pair + pair},
        {pair + pair + pair + pair + pair + pair, 5, pair + pair + pair + pair + u".."},
        {u"abc" + pair + u"def", 7, u"abc" + pair + u"def"},
        {u"abc" + pair + u"defg", 7, u"abc" + pair + u"de.."},
        {u"abcde" + pair + u"gh", 7, u"abcde" + pair + u".."},
        {u"", 5, u""},
    };
    for (const Case& c : cases) EXPECT_EQ(ButtonText(c.name, c.maxWhole), c.shown) << qv::os::Utf16ToUtf8(c.name);
}

// The fuzz target over seeded inputs, as raw files and as records written well.
TEST(PresetImportFuzzSmoke, FilesAndRecordsOfAnyContent) {
    std::mt19937 random(20260514);
    std::vector<std::uint8_t> input;
    for (int run = 0; run < 1000; ++run) {
        input.resize(1 + random() % 400);
        for (auto& byte : input) byte = static_cast<std::uint8_t>(random());
        // Mostly small values in a record, so some fit their parameters.
        if (run % 2 && input.size() > 169) {
            input[0] |= 0x80;
            for (std::size_t i = 33; i < 169; ++i) input[i] = i % 4 == 1 ? static_cast<std::uint8_t>(input[i] % 30) : 0;
            input[161] = static_cast<std::uint8_t>(run % 3 == 0 ? 10 : run % 3 == 1 ? 5 : 3);
        }
        FuzzPresetImport(input.data(), input.size());
    }
}

}  // namespace
