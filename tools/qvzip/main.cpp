// qvzip: zips the files and folders named on its command line, for trying
// the zip writer by hand.
//
//   qvzip [-P PASSWORD] ARCHIVE PATH...
//
// ARCHIVE "-" writes the archive to standard output (a pipe or a file).
// A folder adds its entry and everything beneath it. Entry names are the
// paths as given, without a leading "/" or "./".
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/os/Utf.h"
#include "zip/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

std::string ResultText(ZipResult code) {
    std::u16string text(DescribeZipResult(code, nullptr, 0), u'\0');
    DescribeZipResult(code, text.data(), static_cast<std::uint32_t>(text.size() + 1));
    return qv::os::Utf16ToUtf8(text);
}

std::string EntryName(std::string path) {
    while (path.rfind("./", 0) == 0) path.erase(0, 2);
    path.erase(0, path.find_first_not_of('/'));
    return path;
}

bool AddPath(ZipWriterHandle* zip, const fs::path& path) {
    std::error_code error;
    const std::u16string name = qv::os::Utf8ToUtf16(EntryName(path.string()));
    const std::u16string source = qv::os::Utf8ToUtf16(path.string());
    if (!fs::is_directory(path, error)) {
        const ZipResult result = AddZipEntry(zip, name.c_str(), ZipSource::File(source.c_str()));
        if (result != kZipOk) std::fprintf(stderr, "qvzip: %s: %s\n", path.c_str(), ResultText(result).c_str());
        return result == kZipOk;
    }
    if (!name.empty()) {
        const ZipResult result = AddZipFolder(zip, name.c_str());
        if (result != kZipOk) {
            std::fprintf(stderr, "qvzip: %s: %s\n", path.c_str(), ResultText(result).c_str());
            return false;
        }
    }
    std::vector<fs::path> children;
    for (const auto& child : fs::directory_iterator(path, error)) children.push_back(child.path());
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children)
        if (!AddPath(zip, child)) return false;
    return true;
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
    const std::u16string archiveName = qv::os::Utf8ToUtf16(archive);
    ZipWriterHandle* zip = archive == "-" ? OpenZipWriter(ZipTarget::Descriptor(1), password)
                                          : OpenZipWriter(ZipTarget::File(archiveName.c_str()), password);
    if (!zip) {
        std::fprintf(stderr, "qvzip: %s: %s\n", archive.c_str(), ResultText(kZipLastResult).c_str());
        return 1;
    }
    bool ok = true;
    for (; next < argc && ok; ++next) ok = AddPath(zip, argv[next]);
    const ZipResult finished = FinishZipWriter(zip);
    if (finished != kZipOk) {
        std::fprintf(stderr, "qvzip: %s: %s\n", archive.c_str(), ResultText(finished).c_str());
        return 1;
    }
    return ok ? 0 : 1;
}
