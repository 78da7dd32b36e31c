// Inputs that must not hang, grow or half-write an archive: FIFOs, devices,
// link loops, files too large for an entry, the archive itself, and names
// that would unpack outside their folder. Through the writer and through
// the qvzip tool.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/os/Utf.h"
#include "tests/zip/ZipInspect.h"
#include "tests/zip/ZipTestIo.h"
#include "zip/ZipWriter.h"

namespace {

namespace fs = std::filesystem;
using qv::test::Bytes;
using qv::test::ReadFileBytes;
using qv::test::TempFolder;
using qv::test::WriteFileBytes;

const Bytes kOldArchive = {'o', 'l', 'd'};

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// The hostile things, made in the folder; the names of those made.
void MakeHostileFiles(const TempFolder& dir) {
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.File("zero"));
    fs::create_symlink("loop-b", dir.File("loop-a"));
    fs::create_symlink("loop-a", dir.File("loop-b"));
    const int fd = open(dir.File("sparse").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 64ll << 30), 0);  // nothing on disk
    close(fd);
    fs::create_directory(dir.File("folder"));
    WriteFileBytes(dir.File("plain"), {'x'});
}

struct SourceCase {
    const char* entry;
    const char* file;  // in the folder
    ZipResult expected;
};

TEST(ZipHostileInput, RefusedAdditionsLeaveTheOldArchiveAndNoFileBehind) {
    TempFolder dir;
    MakeHostileFiles(dir);
    WriteFileBytes(dir.File("out.zip"), kOldArchive);
    const std::set<std::string> before = Names(dir.Path());
    const SourceCase cases[] = {
        {"fifo", "fifo", kZipOpenFailed},     {"zero", "zero", kZipOpenFailed},
        {"loop", "loop-a", kZipOpenFailed},   {"folder", "folder", kZipOpenFailed},
        {"sparse", "sparse", kZipBadArguments}, {"../up", "plain", kZipBadArguments},
        {"/abs", "plain", kZipBadArguments},  {"a/../../b", "plain", kZipBadArguments},
        {"..", "plain", kZipBadArguments},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.entry);
        const auto start = std::chrono::steady_clock::now();
        const std::u16string archive = qv::os::Utf8ToUtf16(dir.File("out.zip"));
        ZipWriterHandle* zip = OpenZipWriter(ZipTarget::File(archive.c_str()));
        ASSERT_NE(zip, nullptr);
        ASSERT_EQ(AddZipEntry(zip, u"first", ZipSource::File(qv::os::Utf8ToUtf16(dir.File("plain")).c_str())), kZipOk);
        const std::u16string source = qv::os::Utf8ToUtf16(dir.File(c.file));
        EXPECT_EQ(AddZipEntry(zip, qv::os::Utf8ToUtf16(c.entry).c_str(), ZipSource::File(source.c_str())), c.expected);
        EXPECT_EQ(AbandonZipWriter(zip), kZipOk);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(ReadFileBytes(dir.File("out.zip")), kOldArchive);
        EXPECT_EQ(Names(dir.Path()), before);
    }
}

TEST(ZipHostileInput, TheArchiveIsNeverItsOwnInputAndReplacesTheOldOneOnlyWhole) {
    TempFolder dir;
    WriteFileBytes(dir.File("plain"), {'x'});
    // A descriptor target: the file behind it is refused as a source.
    const int fd = open(dir.File("self.zip").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ZipWriterHandle* zip = OpenZipWriter(ZipTarget::Descriptor(fd));
    ASSERT_NE(zip, nullptr);
    const std::u16string self = qv::os::Utf8ToUtf16(dir.File("self.zip"));
    EXPECT_EQ(AddZipEntry(zip, u"self.zip", ZipSource::File(self.c_str())), kZipBadArguments);
    EXPECT_EQ(AbandonZipWriter(zip), kZipOk);
    close(fd);

    // Written through a link to the file it names; the link stays.
    fs::create_directory(dir.File("real"));
    WriteFileBytes(dir.File("real/a.zip"), kOldArchive);
    fs::create_symlink("real/a.zip", dir.File("link.zip"));
    const std::u16string link = qv::os::Utf8ToUtf16(dir.File("link.zip"));
    zip = OpenZipWriter(ZipTarget::File(link.c_str()));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(ReadFileBytes(dir.File("real/a.zip")), kOldArchive);  // nothing until whole
    EXPECT_EQ(AddZipEntry(zip, u"plain", ZipSource::File(qv::os::Utf8ToUtf16(dir.File("plain")).c_str())), kZipOk);
    EXPECT_EQ(FinishZipWriter(zip), kZipOk);
    EXPECT_TRUE(fs::is_symlink(dir.File("link.zip")));
    const auto entries = qv::test::InspectZip(ReadFileBytes(dir.File("real/a.zip")));
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(Names(dir.File("real")), std::set<std::string>{"a.zip"});
}

// Runs qvzip in the folder; its exit status and what it wrote on stderr.
struct ToolRun {
    int status = -1;
    std::string errors;
};

ToolRun RunQvzip(const TempFolder& dir, const std::vector<std::string>& args) {
    const std::string errFile = dir.Path() + "/../" + fs::path(dir.Path()).filename().string() + ".err";
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.Path().c_str()) != 0) _exit(126);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (err >= 0) dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(QV_QVZIP_EXE)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(QV_QVZIP_EXE, argv.data());
        _exit(127);
    }
    ToolRun run;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << "qvzip hung";
            break;
        }
        usleep(10000);
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes errors = ReadFileBytes(errFile);
    run.errors.assign(errors.begin(), errors.end());
    fs::remove(errFile);
    return run;
}

struct ToolCase {
    const char* input;
    const char* why;  // in the message after "qvzip: <input>: "
};

TEST(ZipHostileInput, QvzipNamesTheInputAndWhyAndLeavesTheOldArchive) {
    TempFolder dir;
    MakeHostileFiles(dir);
    WriteFileBytes(dir.File("out.zip"), kOldArchive);
    const std::set<std::string> before = Names(dir.Path());
    const ToolCase cases[] = {
        {"fifo", "a FIFO"},
        {"zero", "a device"},
        {"loop-a", "Too many levels of symbolic links"},
        {"sparse", "more than a zip entry holds"},
        {"out.zip", "is the archive being written"},
        {"../" , "\"..\""},
    };
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.input);
        // A good input first: nothing of it may be left either.
        const ToolRun run = RunQvzip(dir, {"out.zip", "plain", c.input});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find(std::string("qvzip: ") + c.input + ": "), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find(c.why), std::string::npos) << run.errors;
        EXPECT_EQ(ReadFileBytes(dir.File("out.zip")), kOldArchive);
        EXPECT_EQ(Names(dir.Path()), before);
    }
}

TEST(ZipHostileInput, QvzipZipsTheFolderHoldingTheArchiveWithoutTheArchive) {
    TempFolder dir;
    fs::create_directory(dir.File("box"));
    WriteFileBytes(dir.File("box/a.txt"), {'a'});
    WriteFileBytes(dir.File("box/out.zip"), kOldArchive);
    const ToolRun run = RunQvzip(dir, {"box/out.zip", "box"});
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto entries = qv::test::InspectZip(ReadFileBytes(dir.File("box/out.zip")));
    ASSERT_TRUE(entries.has_value());
    std::set<std::string> names;
    for (const auto& entry : *entries) names.insert(entry.name);
    EXPECT_EQ(names, (std::set<std::string>{"box/", "box/a.txt"}));
    EXPECT_EQ(Names(dir.File("box")), (std::set<std::string>{"a.txt", "out.zip"}));
}

}  // namespace
