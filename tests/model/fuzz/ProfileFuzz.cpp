// A profile file of any bytes and one write of any section, key and value:
// a write reported as successful reads back from a fresh read of the file,
// and every other key reads as before.
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/os/AtomicFile.h"
#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "tests/model/fuzz/FuzzFiles.h"
#include "tests/model/fuzz/FuzzTargets.h"

namespace {

using Values = std::map<std::pair<std::u16string, std::u16string>, std::u16string>;

constexpr char16_t kMissing[] = u"\x1Fmissing";

std::u16string Read(const std::u16string& section, const std::u16string& key,
                    const std::u16string& file, std::size_t room) {
    std::vector<char16_t> out(room);
    qv::os::GetPrivateProfileString(section.c_str(), key.c_str(), kMissing, out.data(),
                                    static_cast<DWORD>(out.size()), file.c_str());
    return out.data();
}

// Zero-separated names: sections (null section) or the keys of one.
std::vector<std::u16string> Names(const char16_t* section, const std::u16string& file, std::size_t room) {
    std::vector<char16_t> out(room);
    const DWORD n = qv::os::GetPrivateProfileString(section, nullptr, u"", out.data(),
                                                    static_cast<DWORD>(out.size()), file.c_str());
    std::vector<std::u16string> names;
    for (std::u16string_view rest(out.data(), n); !rest.empty();) {
        const auto end = rest.find(u'\0');
        names.emplace_back(rest.substr(0, end));
        rest = end == std::u16string_view::npos ? std::u16string_view{} : rest.substr(end + 1);
    }
    return names;
}

Values Snapshot(const std::u16string& file, std::size_t room) {
    Values values;
    for (const auto& section : Names(nullptr, file, room))
        for (const auto& key : Names(section.c_str(), file, room))
            values[{section, key}] = Read(section, key, file, room);
    return values;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

// What a read gives for a written value: trimmed, one pair of quotes off.
std::u16string AsRead(std::u16string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == u'"' || value.front() == u'\''))
        value = value.substr(1, value.size() - 2);
    return std::u16string(value);
}

// Splits off the text up to the next zero byte.
bool TakeField(std::string_view& rest, std::u16string& field) {
    const auto end = rest.find('\0');
    if (end == std::string_view::npos) return false;
    field = qv::os::Utf8ToUtf16(rest.substr(0, end));
    rest.remove_prefix(end + 1);
    return true;
}

}  // namespace

int FuzzProfile(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool deleteKey = data[0] & 1;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::u16string section, key, value;
    if (!TakeField(rest, section) || !TakeField(rest, key) || !TakeField(rest, value)) return 0;

    const std::string path = NewFuzzFilePath();
    const std::string copy = path + ".copy";
    if (!WriteFuzzFile(path, rest.data(), rest.size())) std::abort();
    const std::u16string file = qv::os::Utf8ToUtf16(path);
    const std::size_t room = size * 2 + 64;
    const Values before = Snapshot(file, room);

    const BOOL written = qv::os::WritePrivateProfileString(section.c_str(), key.c_str(),
                                                           deleteKey ? nullptr : value.c_str(), file.c_str());
    if (written) {
        // A copy is read afresh: nothing kept from the write can stand in for the file.
        const auto bytes = qv::os::ReadWholeFile(path);
        if (!bytes || !WriteFuzzFile(copy, bytes->data(), bytes->size())) std::abort();
        const std::u16string copied = qv::os::Utf8ToUtf16(copy);
        if (!deleteKey && Read(section, key, copied, room) != AsRead(value)) std::abort();
        for (const auto& [name, old] : before) {
            // Names are looked up trimmed: " k" is the key written as "k".
            if (qv::os::EqualsNoCase(Trim(name.first), Trim(section)) &&
                qv::os::EqualsNoCase(Trim(name.second), Trim(key)))
                continue;
            if (Read(name.first, name.second, copied, room) != old) std::abort();
        }
    }
    unlink(path.c_str());
    unlink(copy.c_str());
    return 0;
}

#ifdef QV_FUZZ_MAIN
QV_FUZZ_ENTRY(FuzzProfile)
#endif
