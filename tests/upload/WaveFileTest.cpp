// The WAV reader and writer on real files: the chunk walk (a LIST chunk, an
// odd chunk, data before fmt), the files it refuses, and that reading never
// changes a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Utf.h"
#include "plugin/upload/CWaveFile.h"
#include "plugin/upload/WaveHeader.h"
#include "tests/support/Mp3Fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

struct Chunk {
    std::string code;
    Bytes body;
    std::optional<std::uint32_t> statedSize = std::nullopt;  // a size other than the body's
};

Bytes Fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, int extra = -1) {
    Bytes b;
    const auto align = static_cast<std::uint16_t>(channels * bits / 8);
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    if (extra >= 0) Put16(b, static_cast<std::uint16_t>(extra));
    return b;
}

// "RIFF" size "WAVE" and the chunks, each padded to an even length.
Bytes Riff(const std::vector<Chunk>& chunks, std::optional<std::uint32_t> riffSize = std::nullopt) {
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) {
        body.insert(body.end(), c.code.begin(), c.code.end());
        Put32(body, c.statedSize.value_or(static_cast<std::uint32_t>(c.body.size())));
        body.insert(body.end(), c.body.begin(), c.body.end());
        if (c.body.size() % 2) body.push_back(0);
    }
    Bytes file{'R', 'I', 'F', 'F'};
    Put32(file, riffSize.value_or(static_cast<std::uint32_t>(body.size())));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes Samples(std::size_t n) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return s;
}

class WaveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-wave-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::u16string Path(const char* name) const { return qv::os::Utf8ToUtf16(m_dir + "/" + name); }
    std::string Native(const char* name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

TEST_F(WaveFileTest, TheWriteSideMakesFilesTheReadSideTakesBack) {
    const PcmWaveFormat stereo = MakePcmFormat(2, 22050, 16);
    const Bytes samples = Samples(22050 * 4 * 2 + 6);  // a little over two seconds
    {
        CWaveFile wave;
        PcmWaveFormat format = stereo;
        ASSERT_EQ(wave.Open(Path("new.wav"), &format), 1);
        EXPECT_TRUE(wave.IsWriteMode());
        EXPECT_EQ(wave.Write(samples.data(), 1000), 1000);
        EXPECT_EQ(wave.Write(samples.data() + 1000, static_cast<std::uint32_t>(samples.size() - 1000)),
                  static_cast<std::int64_t>(samples.size() - 1000));
        EXPECT_EQ(wave.Write(samples.data(), CWaveFile::kNewFileMapping), -1);  // no room left
        EXPECT_EQ(wave.GetDuration(), 2u);
        EXPECT_EQ(wave.SaveAs(Path("copy.wav")), 1);
    }
    EXPECT_EQ(std::filesystem::file_size(Native("new.wav")), 44 + samples.size());
    EXPECT_EQ(qv::test::ReadBytes(Native("copy.wav")), qv::test::ReadBytes(Native("new.wav")));

    CWaveFile wave;
    PcmWaveFormat read{};
    ASSERT_EQ(wave.Open(Path("new.wav"), &read), 1);
    EXPECT_EQ(std::memcmp(&read, &stereo, sizeof read), 0);
    EXPECT_FALSE(wave.IsWriteMode());
    EXPECT_EQ(wave.GetHeaderSize(), 44u);
    EXPECT_EQ(wave.GetFileSize(), 44 + samples.size());
    ASSERT_EQ(wave.Samples().size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wave.Samples().begin()));
    Bytes head(10);
    EXPECT_EQ(wave.Read(head.data(), 10), 10u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), samples.begin()));
    EXPECT_EQ(wave.Reserve(1 << 20), 0);  // a file being read is not grown

    // Grown past its first room, then cut to what it holds.
    CWaveFile big;
    PcmWaveFormat mono = MakePcmFormat(1, 8000, 8);
    ASSERT_EQ(big.Open(Path("big.wav"), &mono), 1);
    ASSERT_EQ(big.Reserve(CWaveFile::kNewFileMapping * 2), 1);
    const Bytes block = Samples(CWaveFile::kNewFileMapping);
    EXPECT_EQ(big.Write(block.data(), static_cast<std::uint32_t>(block.size())), static_cast<std::int64_t>(block.size()));
    ASSERT_EQ(big.Trim(), 1);
    EXPECT_FALSE(big.IsWriteMode());
    EXPECT_EQ(std::filesystem::file_size(Native("big.wav")), 44 + block.size());
    EXPECT_EQ(big.Samples().back(), block.back());
}

TEST_F(WaveFileTest, ChunksAreWalkedWhereverTheyStand) {
    const Bytes data = Samples(40);
    const Bytes list(26, 'L');
    struct Case {
        const char* name;
        std::vector<Chunk> chunks;
        std::uint64_t headerSize;
    } cases[] = {
        {"LIST between fmt and data", {{"fmt ", Fmt(1, 1, 44100, 16)}, {"LIST", list}, {"data", data}}, 12 + 24 + 34 + 8},
        {"an odd chunk and its pad byte", {{"fmt ", Fmt(1, 2, 8000, 8)}, {"junk", Bytes(3, 1)}, {"data", data}},
         12 + 24 + 12 + 8},
        {"data before fmt", {{"data", data}, {"fmt ", Fmt(1, 1, 48000, 32)}}, 12 + 8},
        {"fmt with its extra size", {{"fmt ", Fmt(1, 1, 44100, 16, 0)}, {"data", data}}, 12 + 26 + 8},
        {"chunks after the data", {{"fmt ", Fmt(1, 1, 44100, 16)}, {"data", data}, {"LIST", list}}, 12 + 24 + 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(qv::test::WriteBytes(Native("in.wav"), Riff(c.chunks)));
        CWaveFile wave;
        ASSERT_EQ(wave.Open(Path("in.wav"), nullptr), 1);
        EXPECT_EQ(wave.GetHeaderSize(), c.headerSize);
        ASSERT_EQ(wave.GetDataSize(), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), wave.Samples().begin()));
    }
}

TEST_F(WaveFileTest, FilesOfAnotherKindAreRefusedAndLeftAsTheyWere) {
    const Bytes data = Samples(64);
    Bytes badRate = Fmt(1, 1, 0, 16);
    Bytes badAlign = Fmt(1, 2, 44100, 16);
    badAlign[12] = 2;  // block align of mono
    Bytes badRateBytes = Fmt(1, 1, 44100, 16);
    badRateBytes[8] ^= 1;
    const Bytes good = Fmt(1, 1, 44100, 16);
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"24-bit", Riff({{"fmt ", Fmt(1, 1, 44100, 24)}, {"data", data}})},
        {"float", Riff({{"fmt ", Fmt(3, 1, 44100, 32)}, {"data", data}})},
        {"three channels", Riff({{"fmt ", Fmt(1, 3, 44100, 16)}, {"data", data}})},
        {"zero rate", Riff({{"fmt ", badRate}, {"data", data}})},
        {"wrong block align", Riff({{"fmt ", badAlign}, {"data", data}})},
        {"wrong bytes per second", Riff({{"fmt ", badRateBytes}, {"data", data}})},
        {"short fmt", Riff({{"fmt ", Bytes(good.begin(), good.begin() + 14)}, {"data", data}})},
        {"no data", Riff({{"fmt ", good}})},
        {"no fmt", Riff({{"data", data}})},
        {"RIFF beyond the file", Riff({{"fmt ", good}, {"data", data}}, 4 + 24 + 8 + 64 + 2)},
        {"RIFF size near 2^32", Riff({{"fmt ", good}, {"data", data}}, 0xFFFFFFFFu)},
        {"data size near 2^32", Riff({{"fmt ", good}, {"data", data, 0xFFFFFFF0u}})},
        {"chunk size near 2^32 before fmt", Riff({{"LIST", Bytes(8, 0), 0xFFFFFFF9u}, {"fmt ", good}, {"data", data}})},
        {"RIFF size below WAVE", Riff({}, 2)},
        {"under 12 bytes", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}},
        {"not RIFF", Bytes(64, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(qv::test::WriteBytes(Native("bad.wav"), c.file));
        {
            CWaveFile wave;
            PcmWaveFormat format = MakePcmFormat(1, 44100, 16);  // even with a format a file with content is only read
            EXPECT_EQ(wave.Open(Path("bad.wav"), &format), 0);
            EXPECT_FALSE(wave.IsOpen());
            EXPECT_FALSE(ParseWaveHeader(c.file).has_value());
        }
        EXPECT_EQ(qv::test::ReadBytes(Native("bad.wav")), c.file);
    }
}

TEST_F(WaveFileTest, ReadingNeverCreatesCutsOrWritesAFile) {
    // A file with a chunk after its samples keeps it through a read.
    const Bytes file = Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", Samples(400)}, {"LIST", Bytes(30, 'i')}});
    ASSERT_TRUE(qv::test::WriteBytes(Native("tail.wav"), file));
    struct stat before{};
    ASSERT_EQ(stat(Native("tail.wav").c_str(), &before), 0);
    {
        CWaveFile wave;
        ASSERT_EQ(wave.Open(Path("tail.wav"), nullptr), 1);
        Bytes buffer(400);
        EXPECT_EQ(wave.Read(buffer.data(), 1000), 400u);
        wave.Close();
        EXPECT_EQ(wave.GetDataSize(), 0u);
    }
    EXPECT_EQ(qv::test::ReadBytes(Native("tail.wav")), file);
    struct stat after{};
    ASSERT_EQ(stat(Native("tail.wav").c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);

    // Nothing is made of a missing or an empty file without a format.
    CWaveFile wave;
    EXPECT_EQ(wave.Open(Path("missing.wav"), nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(Native("missing.wav")));
    ASSERT_TRUE(qv::test::WriteBytes(Native("empty.wav"), {}));
    EXPECT_EQ(wave.Open(Path("empty.wav"), nullptr), 0);
    EXPECT_EQ(std::filesystem::file_size(Native("empty.wav")), 0u);
    EXPECT_EQ(wave.Open(u"", nullptr), 0);
}

}  // namespace
