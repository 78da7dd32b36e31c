// qvzip: zips the files and folders named on its command line, for trying
// the zip writer by hand.
//
//   qvzip [-P PASSWORD] ARCHIVE PATH...
//
// ARCHIVE "-" writes the archive to standard output (a pipe or a file).
// A folder adds its entry and everything beneath it. Entry names are the
// paths as given, without a leading "/" or "./". Only regular files and
// folders are taken; the archive itself is never one of its inputs (inside
// a folder being zipped it is passed over). On any failure the message says
// which input and why, the exit status is 1 and no archive is left: an
// older archive of that name stays as it was.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/os/Utf.h"
#include "zip/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

struct Input {
    std::string path;
    bool folder = false;
};

struct FileId {
    dev_t device;
    ino_t inode;
};

std::string ResultText(ZipResult code) {
    std::u16string text(DescribeZipResult(code, nullptr, 0), u'\0');
    DescribeZipResult(code, text.data(), static_cast<std::uint32_t>(text.size() + 1));
    return qv::os::Utf16ToUtf8(text);
}

bool Fail(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "qvzip: %s: %s\n", what.c_str(), why.c_str());
    return false;
}

std::string EntryName(std::string path) {
    while (path.rfind("./", 0) == 0) path.erase(0, 2);
    path.erase(0, path.find_first_not_of('/'));
    return path;
}

// Whether a name has a ".." part, which would unpack outside the archive's folder.
bool HasParentPart(const std::string& name) {
    const std::string wrapped = "/" + name + "/";
    return wrapped.find("/../") != std::string::npos;
}

const char* KindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Lists the path and, for a folder, everything beneath it, in name order.
bool Collect(const std::string& path, bool named, const std::optional<FileId>& archive, std::vector<Input>& inputs) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return Fail(path, std::strerror(errno));
    if (archive && info.st_dev == archive->device && info.st_ino == archive->inode) {
        if (named) return Fail(path, "is the archive being written");
        return true;  // the archive inside a folder being zipped
    }
    if (HasParentPart(EntryName(path)))
        return Fail(path, "its entry name has a \"..\" part and would unpack outside the archive's folder");
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > 0xFFFFFFFFu)
        return Fail(path, "is " + std::to_string(info.st_size) + " bytes, more than a zip entry holds (4 GiB)");
    if (S_ISREG(info.st_mode)) {
        inputs.push_back({path, false});
        return true;
    }
    if (!S_ISDIR(info.st_mode))
        return Fail(path, std::string(KindOf(info.st_mode)) + ", which is not zipped (only files and folders are)");
    inputs.push_back({path, true});
    std::error_code error;
    std::vector<std::string> children;
    for (const auto& child : fs::directory_iterator(path, error)) children.push_back(child.path().string());
    if (error) return Fail(path, error.message());
    std::sort(children.begin(), children.end());
    for (const std::string& child : children)
        if (!Collect(child, false, archive, inputs)) return false;
    return true;
}

bool Add(ZipWriterHandle* zip, const Input& input) {
    const std::u16string name = qv::os::Utf8ToUtf16(EntryName(input.path));
    const std::u16string source = qv::os::Utf8ToUtf16(input.path);
    if (input.folder && name.empty()) return true;  // "/" or "."
    const ZipResult result = input.folder ? AddZipFolder(zip, name.c_str())
                                          : AddZipEntry(zip, name.c_str(), ZipSource::File(source.c_str()));
    return result == kZipOk || Fail(input.path, ResultText(result));
}

}  // namespace

int main(int argc, char** argv) {
    int next = 1;
    const char* password = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "-P") == 0) {
        password = argv[2];
        next = 3;
    }
    if (argc - next < 2) {
        std::fprintf(stderr, "usage: qvzip [-P PASSWORD] ARCHIVE PATH...\n");
        return 2;
    }
    const std::string archive = argv[next++];
    std::optional<FileId> archiveId;
    if (struct stat info {}; archive != "-" && stat(archive.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            Fail(archive, std::string("the archive's name is taken by ") + KindOf(info.st_mode));
            return 1;
        }
        archiveId = FileId{info.st_dev, info.st_ino};
    }
    // Every input is looked at before the archive is begun.
    std::vector<Input> inputs;
    for (; next < argc; ++next)
        if (!Collect(argv[next], true, archiveId, inputs)) return 1;

    const std::u16string archiveName = qv::os::Utf8ToUtf16(archive);
    ZipWriterHandle* zip = archive == "-" ? OpenZipWriter(ZipTarget::Descriptor(1), password)
                                          : OpenZipWriter(ZipTarget::File(archiveName.c_str()), password);
    if (!zip) {
        Fail(archive, "cannot be written: " + ResultText(kZipLastResult));
        return 1;
    }
    for (const Input& input : inputs) {
        if (!Add(zip, input)) {
            (void)AbandonZipWriter(zip);
            return 1;
        }
    }
    const ZipResult finished = FinishZipWriter(zip);
    if (finished != kZipOk) {
        Fail(archive, ResultText(finished));
        return 1;
    }
    return 0;
}
