// Every kind of target times every kind of source, with and without a
// password; each archive is read back by Python's zipfile (flags, method,
// attributes, time field, testzip, every member's bytes, a wrong password
// refused) and by unzip -t.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <algorithm>
#include <memory>

#include "platform/os/Utf.h"
#include "tests/zip/ZipTestIo.h"
#include "zip/ZipWriter.h"

namespace {

using qv::test::Bytes;
using qv::test::TempFolder;

// Appending: a descriptor opened with O_APPEND on a file that already holds
// a prefix; every write lands at its end, so no header can be written again.
enum class Target { File, DescriptorAtStart, DescriptorAfterPrefix, Appending, Pipe, Memory };

struct MatrixCase {
    Target target;
    const char* password;
};

constexpr std::size_t kPrefixLength = 1000;

std::string Sample(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string out;
    while (out.size() < n) {
        if (random() % 4 == 0) {
            out += static_cast<char>(random());
        } else {
            out += "sample line " + std::to_string(random() % 50) + "\n";
        }
    }
    out.resize(n);
    return out;
}

// Runs a command; its output and exit status.
std::pair<std::string, int> RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {"cannot start: " + command, -1};
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

void RequireTool(const std::string& path, const char* name) {
    ASSERT_TRUE(!path.empty() && path.find("NOTFOUND") == std::string::npos)
        << name << " is not installed: scripts/install-deps.sh installs it";
}

struct Member {
    std::string name;
    std::string data;
    bool deflated;
    std::uint32_t attributes;
    std::int64_t mtime;  // -1: now
};

class ZipMatrix : public testing::TestWithParam<MatrixCase> {
protected:
    // Opens the target; the archive's bytes come from TakeArchive.
    ZipWriterHandle* OpenTarget() {
        const Target target = GetParam().target;
        const std::string path = m_folder.File("target.zip");
        switch (target) {
            case Target::File: {
                const std::u16string name = qv::os::Utf8ToUtf16(path);
                return OpenZipWriter(ZipTarget::File(name.c_str()), GetParam().password);
            }
            case Target::DescriptorAtStart:
            case Target::DescriptorAfterPrefix:
                m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
                if (target == Target::DescriptorAfterPrefix) {
                    const std::string prefix(kPrefixLength, 'P');
                    EXPECT_EQ(write(m_fd, prefix.data(), prefix.size()), static_cast<ssize_t>(prefix.size()));
                }
                return OpenZipWriter(ZipTarget::Descriptor(m_fd), GetParam().password);
            case Target::Appending:
                qv::test::WriteFileBytes(path, Bytes(kPrefixLength, 'P'));
                m_fd = open(path.c_str(), O_WRONLY | O_APPEND);
                return OpenZipWriter(ZipTarget::Descriptor(m_fd), GetParam().password);
            case Target::Pipe:
                m_pipe = std::make_unique<qv::test::DrainedPipe>();
                return OpenZipWriter(ZipTarget::Descriptor(m_pipe->WriteEnd()), GetParam().password);
            case Target::Memory:
                return OpenZipWriter(ZipTarget::Memory(nullptr, 16u << 20), GetParam().password);
        }
        return nullptr;
    }

    // Finishes the archive and leaves it in target.zip; its path.
    std::string FinishTarget(ZipWriterHandle* zip) {
        const std::string path = m_folder.File("target.zip");
        if (GetParam().target == Target::Memory) {
            void* buffer = nullptr;
            std::uint32_t length = 0;
            EXPECT_EQ(GetZipBuffer(zip, &buffer, &length), kZipOk);
            const auto* bytes = static_cast<const std::uint8_t*>(buffer);
            qv::test::WriteFileBytes(path, Bytes(bytes, bytes + length));
        }
        EXPECT_EQ(FinishZipWriter(zip), kZipOk);
        if (m_fd >= 0) close(m_fd);
        if (m_pipe) qv::test::WriteFileBytes(path, m_pipe->Collect());
        return path;
    }

    bool Rewritable() const { return GetParam().target != Target::Pipe && GetParam().target != Target::Appending; }

    std::uint16_t FlagsOf(const Member& m) const {
        const bool encrypted = GetParam().password && m.name.back() != '/';
        const bool utf8 = std::any_of(m.name.begin(), m.name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        const std::uint16_t flags = utf8 ? 0x800 : 0;
        if (Rewritable() && !encrypted) return flags | (m.deflated ? 2 : 0);
        return flags | 8 | (encrypted ? 1 : 0);
    }

    // The description zip_check.py reads.
    std::string Expectation(const std::vector<Member>& members, std::time_t earliest, std::time_t latest) {
        std::string json = "{\"password\": ";
        json += GetParam().password ? "\"" + std::string(GetParam().password) + "\"" : "null";
        json += ", \"now\": [" + std::to_string(earliest) + ", " + std::to_string(latest) + "], \"members\": [";
        for (std::size_t i = 0; i < members.size(); ++i) {
            const Member& m = members[i];
            const std::string data = m_folder.File("expected" + std::to_string(i));
            qv::test::WriteFileBytes(data, Bytes(m.data.begin(), m.data.end()));
            json += i ? ", " : "";
            json += "{\"name\": \"" + m.name + "\", \"data\": \"" + data + "\", \"flags\": " +
                    std::to_string(FlagsOf(m)) + ", \"method\": " + (m.deflated ? "8" : "0") +
                    ", \"attr\": " + std::to_string(m.attributes) +
                    ", \"mtime\": " + (m.mtime < 0 ? "null" : std::to_string(m.mtime)) + "}";
        }
        return json + "]}";
    }

    TempFolder m_folder;

private:
    int m_fd = -1;
    std::unique_ptr<qv::test::DrainedPipe> m_pipe;
};

TEST_P(ZipMatrix, EverySourceReadsBack) {
    RequireTool(QV_PYTHON3, "python3");
    RequireTool(QV_UNZIP, "unzip");
    const std::time_t earliest = std::time(nullptr);
    const std::string fileData = Sample(90000, 1), seekData = Sample(70000, 2), pipeData = Sample(80000, 3),
                      streamData = Sample(75000, 4), memoryData = Sample(30000, 5), storedData = Sample(5000, 6);
    const std::string filePath = m_folder.File("source.txt"), seekPath = m_folder.File("source.bin");
    qv::test::WriteFileBytes(filePath, Bytes(fileData.begin(), fileData.end()));
    qv::test::WriteFileBytes(seekPath, Bytes(seekData.begin(), seekData.end()));
    chmod(filePath.c_str(), 0444);
    chmod(seekPath.c_str(), 0755);
    struct stat fileStat{}, seekStat{};
    ASSERT_EQ(stat(filePath.c_str(), &fileStat), 0);
    ASSERT_EQ(stat(seekPath.c_str(), &seekStat), 0);

    ZipWriterHandle* zip = OpenTarget();
    ASSERT_NE(zip, nullptr);
    const std::u16string fileName = qv::os::Utf8ToUtf16(filePath);
    EXPECT_EQ(AddZipEntry(zip, u"file.txt", ZipSource::File(fileName.c_str())), kZipOk);
    const int seekFd = open(seekPath.c_str(), O_RDONLY);
    lseek(seekFd, 1234, SEEK_SET);  // read from the start all the same
    EXPECT_EQ(AddZipEntry(zip, u"seekable.bin", ZipSource::Descriptor(seekFd)), kZipOk);
    close(seekFd);
    {
        qv::test::FedPipe withLength(pipeData);
        EXPECT_EQ(AddZipEntry(zip, u"pipe with length.txt", ZipSource::Descriptor(withLength.ReadEnd(), 80000)), kZipOk);
        qv::test::FedPipe unknown(streamData);
        EXPECT_EQ(AddZipEntry(zip, u"pipe.log", ZipSource::Descriptor(unknown.ReadEnd())), kZipOk);
    }
    EXPECT_EQ(AddZipEntry(zip, u"memory\\中文.txt", ZipSource::Memory(memoryData.data(), 30000)), kZipOk);
    EXPECT_EQ(AddZipEntry(zip, u"memory/stored.zip", ZipSource::Memory(storedData.data(), 5000)), kZipOk);
    EXPECT_EQ(AddZipFolder(zip, u"folder"), kZipOk);
    const std::string archive = FinishTarget(zip);
    const std::time_t latest = std::time(nullptr);

    const std::vector<Member> members = {
        {"file.txt", fileData, true, 0x81000001, fileStat.st_mtim.tv_sec},  // read-only
        {"seekable.bin", seekData, true, 0x81C00000, seekStat.st_mtim.tv_sec},
        {"pipe with length.txt", pipeData, true, 0x80000000, -1},
        {"pipe.log", streamData, true, 0x80000000, -1},
        {"memory/中文.txt", memoryData, true, 0x80000000, -1},
        {"memory/stored.zip", storedData, false, 0x80000000, -1},
        {"folder/", "", false, 0x41C00010, -1},
    };
    const std::string expect = m_folder.File("expect.json");
    const std::string json = Expectation(members, earliest, latest);
    qv::test::WriteFileBytes(expect, Bytes(json.begin(), json.end()));

    const auto [checked, checkStatus] = RunCommand(std::string(QV_PYTHON3) + " " + QV_ZIP_CHECK + " " + archive + " " + expect);
    EXPECT_EQ(checkStatus, 0) << checked;

    const std::string password = GetParam().password ? std::string(" -P ") + GetParam().password : "";
    const auto [tested, testStatus] = RunCommand(std::string(QV_UNZIP) + " -t" + password + " " + archive);
    // unzip warns (status 1) about bytes before an archive that does not count them.
    const bool prefixed = GetParam().target == Target::DescriptorAfterPrefix || GetParam().target == Target::Appending;
    const int warning = prefixed ? 1 : 0;
    EXPECT_EQ(testStatus, warning) << tested;
    EXPECT_NE(tested.find("No errors detected"), std::string::npos) << tested;
    if (GetParam().password) {
        const auto [refused, refusedStatus] = RunCommand(std::string(QV_UNZIP) + " -t -P wrong " + archive);
        // Only the folder, which is not encrypted, passes. (A wrong password
        // passes the check byte once in 256 tries; the CRC then fails.)
        EXPECT_NE(refusedStatus, 0) << refused;
        std::size_t passed = 0;
        for (std::size_t at = 0; (at = refused.find(" OK\n", at)) != std::string::npos; ++at) ++passed;
        EXPECT_EQ(passed, 1u) << refused;
        EXPECT_NE(refused.find("testing: folder/"), std::string::npos) << refused;
    }
}

std::string CaseName(const testing::TestParamInfo<MatrixCase>& info) {
    static const char* const kNames[] = {"File", "DescriptorAtStart", "DescriptorAfterPrefix", "Appending", "Pipe",
                                         "Memory"};
    return std::string(kNames[static_cast<int>(info.param.target)]) + (info.param.password ? "Encrypted" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ZipMatrix,
    testing::Values(MatrixCase{Target::File, nullptr}, MatrixCase{Target::DescriptorAtStart, nullptr},
                    MatrixCase{Target::DescriptorAfterPrefix, nullptr}, MatrixCase{Target::Appending, nullptr},
                    MatrixCase{Target::Pipe, nullptr},
                    MatrixCase{Target::Memory, nullptr}, MatrixCase{Target::File, "pa55"},
                    MatrixCase{Target::DescriptorAtStart, "pa55"}, MatrixCase{Target::DescriptorAfterPrefix, "pa55"},
                    MatrixCase{Target::Appending, "pa55"},
                    MatrixCase{Target::Pipe, "pa55"}, MatrixCase{Target::Memory, "pa55"}),
    CaseName);

}  // namespace
