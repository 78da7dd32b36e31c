#include "platform/os/Profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/UniqueFd.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

// Serialises read-modify-write cycles of the process.
std::mutex g_fileMutex;

enum class Encoding { Utf8, Utf16 };

// One line of the file: its bytes as they stand (terminator included) and
// its text without the terminator. Lines that are not changed are written
// back from `raw`, so bytes we could not decode survive untouched.
struct Line {
    std::string raw;
    std::u16string text;
};

struct SectionRange {
    std::size_t header;
    std::size_t end;  // one past its last line
};

struct Document {
    Encoding encoding = Encoding::Utf8;
    std::string prefix;  // byte-order mark, if any
    std::string newline;  // encoded line end for new lines
    std::vector<Line> lines;
    // Lookup tables of a document that is only read: the first section of
    // each upper-cased name, and the first key of each name in it (keyed by
    // the section's number, two units, then the upper-cased key name).
    struct IndexedSection {
        SectionRange range;
        std::size_t number;
    };
    std::unordered_map<std::u16string, IndexedSection> sections;
    std::unordered_map<std::u16string, std::size_t> keys;
    bool indexed = false;
    std::size_t cost = 0;  // bytes it holds, roughly
};

std::string Encode(Encoding encoding, std::u16string_view text) {
    if (encoding == Encoding::Utf8) return Utf16ToUtf8(text);
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::u16string StripLineEnd(std::u16string text) {
    if (!text.empty() && text.back() == u'\n') text.pop_back();
    if (!text.empty() && text.back() == u'\r') text.pop_back();
    return text;
}

// The UTF-16LE units of bytes [begin, end) (an even count).
std::u16string DecodeUtf16(const std::string& bytes, std::size_t begin, std::size_t end) {
    std::u16string text((end - begin) / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[begin + 2 * i]) |
                                        static_cast<unsigned char>(bytes[begin + 2 * i + 1]) << 8);
    return text;
}

Document Parse(const std::string& bytes) {
    Document doc;
    bool crlf = true;
    bool sawLineEnd = false;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        doc.encoding = Encoding::Utf16;
        doc.prefix = bytes.substr(0, 2);
        // A stray odd byte at the end is no character: it is not kept, so the
        // next write leaves the file whole units again.
        const std::size_t whole = bytes.size() - (bytes.size() - 2) % 2;
        std::size_t start = 2;
        for (std::size_t i = 2; i < whole; i += 2) {
            if (bytes[i] != '\n' || bytes[i + 1] != '\0') continue;
            if (!sawLineEnd) crlf = i >= start + 2 && bytes[i - 2] == '\r' && bytes[i - 1] == '\0';
            sawLineEnd = true;
            doc.lines.push_back(Line{bytes.substr(start, i + 2 - start), StripLineEnd(DecodeUtf16(bytes, start, i + 2))});
            start = i + 2;
        }
        if (start < whole)
            doc.lines.push_back(Line{bytes.substr(start, whole - start), StripLineEnd(DecodeUtf16(bytes, start, whole))});
    } else {
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) doc.prefix = bytes.substr(0, 3);
        std::size_t start = doc.prefix.size();
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end != std::string::npos && !sawLineEnd) {
                crlf = end > start && bytes[end - 1] == '\r';
                sawLineEnd = true;
            }
            end = end == std::string::npos ? bytes.size() : end + 1;
            std::string raw = bytes.substr(start, end - start);
            doc.lines.push_back(Line{raw, StripLineEnd(Utf8ToUtf16(raw))});
            start = end;
        }
    }
    doc.newline = Encode(doc.encoding, crlf ? u"\r\n" : u"\n");
    return doc;
}

std::string Serialize(const Document& doc) {
    std::string bytes = doc.prefix;
    for (const Line& line : doc.lines) bytes += line.raw;
    return bytes;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The section name of a header line "[name]".
std::optional<std::u16string_view> SectionName(const Line& line) {
    std::u16string_view text = Trim(line.text);
    if (text.empty() || text.front() != u'[') return std::nullopt;
    text.remove_prefix(1);
    const auto close = text.find(u']');
    if (close != std::u16string_view::npos) text = text.substr(0, close);
    return Trim(text);
}

struct KeyValue {
    std::u16string_view key;
    std::u16string_view value;
};

std::optional<KeyValue> ParseKey(const Line& line) {
    std::u16string_view text = Trim(line.text);
    if (text.empty() || text.front() == u';' || text.front() == u'[') return std::nullopt;
    const auto eq = text.find(u'=');
    if (eq == std::u16string_view::npos) return std::nullopt;
    return KeyValue{Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))};
}

std::optional<SectionRange> FindSection(const Document& doc, std::u16string_view name) {
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        auto found = SectionName(doc.lines[i]);
        if (!found || !EqualsNoCase(*found, name)) continue;
        std::size_t end = i + 1;
        while (end < doc.lines.size() && !SectionName(doc.lines[end])) ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const Document& doc, const SectionRange& section,
                                   std::u16string_view key) {
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        auto kv = ParseKey(doc.lines[i]);
        if (kv && EqualsNoCase(kv->key, key)) return i;
    }
    return std::nullopt;
}

std::u16string_view Unquote(std::u16string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == u'"' || value.front() == u'\''))
        return value.substr(1, value.size() - 2);
    return value;
}

// The number of a section in the lookup key, as two units.
std::u16string SectionKeyPrefix(std::size_t number) {
    return {static_cast<char16_t>(number >> 16), static_cast<char16_t>(number & 0xFFFF)};
}

// Fills the lookup tables: one pass over the lines, the first occurrence of
// a section and of a key in it winning, as the searches above find them.
void BuildIndex(Document& doc) {
    std::optional<std::size_t> current;  // the section whose keys count
    std::u16string prefix;
    SectionRange* open = nullptr;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (auto name = SectionName(line)) {
            if (open) open->end = i;
            open = nullptr;
            current.reset();
            const std::size_t number = doc.sections.size();
            auto [it, added] = doc.sections.try_emplace(
                ToUpper(*name), Document::IndexedSection{SectionRange{i, doc.lines.size()}, number});
            if (!added) continue;
            open = &it->second.range;
            current = number;
            prefix = SectionKeyPrefix(number);
            continue;
        }
        if (!current) continue;
        if (auto kv = ParseKey(line)) doc.keys.try_emplace(prefix + ToUpper(kv->key), i);
    }
    doc.indexed = true;
}

// What a parsed document holds in memory, roughly: both forms of each line,
// the line and its table entries.
std::size_t CostOf(const Document& doc) {
    std::size_t cost = sizeof doc;
    for (const Line& line : doc.lines) cost += line.raw.capacity() + 2 * line.text.capacity() + 160;
    return cost;
}

std::optional<SectionRange> LookUpSection(const Document& doc, std::u16string_view name) {
    if (!doc.indexed) return FindSection(doc, name);
    const auto it = doc.sections.find(ToUpper(name));
    if (it == doc.sections.end()) return std::nullopt;
    return it->second.range;
}

std::optional<std::size_t> LookUpKey(const Document& doc, std::u16string_view section,
                                     std::u16string_view key) {
    if (!doc.indexed) {
        const auto range = FindSection(doc, section);
        return range ? FindKey(doc, *range, key) : std::nullopt;
    }
    const auto found = doc.sections.find(ToUpper(section));
    if (found == doc.sections.end()) return std::nullopt;
    const auto it = doc.keys.find(SectionKeyPrefix(found->second.number) + ToUpper(key));
    if (it == doc.keys.end()) return std::nullopt;
    return it->second;
}

enum class LoadError { None, Missing, Unreadable };

// Parsed copies of the files read last, each kept while the file is the same
// file with the same size and times: reading many keys parses a file once.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileIdentity Of(const struct stat& info) {
        return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
    }
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

struct CachedFile {
    std::string path;
    FileIdentity identity;
    std::shared_ptr<const Document> doc;
};

// The file read last is always kept, so that a caller reading many keys of
// one file parses it once; the others only while all together stay within
// the budget.
constexpr std::size_t kCachedFiles = 8;
constexpr std::size_t kCacheBudget = 4u << 20;
std::list<CachedFile> g_cache;  // most recent first; guarded by g_fileMutex

void Remember(const std::string& path, const FileIdentity& identity,
              std::shared_ptr<const Document> doc) {
    g_cache.remove_if([&](const CachedFile& entry) { return entry.path == path; });
    g_cache.push_front(CachedFile{path, identity, std::move(doc)});
    std::size_t total = 0;
    auto it = g_cache.begin();
    for (std::size_t kept = 0; it != g_cache.end(); ++it, ++kept) {
        total += it->doc->cost;
        if (kept > 0 && (kept >= kCachedFiles || total > kCacheBudget)) break;
    }
    g_cache.erase(it, g_cache.end());
}

std::shared_ptr<const Document> EmptyDocument() {
    auto doc = std::make_shared<Document>();
    doc->newline = "\r\n";
    doc->indexed = true;
    return doc;
}

// Why the bytes are no profile file: too many lines, or a NUL character,
// which no text holds. Empty when they are one.
std::string ContentProblem(const std::string& bytes) {
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    std::size_t lines = 1;
    if (utf16) {
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            if (bytes[i + 1] != '\0') continue;
            if (bytes[i] == '\0') return "it holds a NUL character";
            if (bytes[i] == '\n') ++lines;
        }
    } else {
        if (bytes.find('\0') != std::string::npos) return "it holds a NUL character";
        for (char c : bytes) lines += c == '\n';
    }
    if (lines > kMaxProfileLines) return "it has more than " + std::to_string(kMaxProfileLines) + " lines";
    return {};
}

struct Loaded {
    std::shared_ptr<const Document> doc;
    LoadError error = LoadError::None;
    std::string why;  // for Unreadable
};

// The file's parsed content. A missing file, and one that cannot be used
// (not a regular file, a loop of links, past the limits, not text), read as
// an empty document with the reason.
Loaded LoadUncaught(const std::string& path) {
    struct stat info {};
    const UniqueFd fd = OpenRegularFile(path, info);
    if (!fd) {
        if (errno == ENOENT) return {EmptyDocument(), LoadError::Missing, {}};
        return {EmptyDocument(), LoadError::Unreadable,
                errno == EINVAL ? "it is not a regular file" : std::strerror(errno)};
    }
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kMaxProfileFileBytes)
        return {EmptyDocument(), LoadError::Unreadable,
                "it is larger than " + std::to_string(kMaxProfileFileBytes) + " bytes"};
    const FileIdentity identity = FileIdentity::Of(info);
    for (auto it = g_cache.begin(); it != g_cache.end(); ++it) {
        if (it->path != path || !(it->identity == identity)) continue;
        g_cache.splice(g_cache.begin(), g_cache, it);
        return {it->doc, LoadError::None, {}};
    }
    // The size may have grown since: the read stops past the limit.
    auto bytes = ReadToEnd(fd.Get(), static_cast<std::size_t>(info.st_size), kMaxProfileFileBytes);
    if (!bytes) {
        return {EmptyDocument(), LoadError::Unreadable,
                errno == EFBIG ? "it is larger than " + std::to_string(kMaxProfileFileBytes) + " bytes"
                               : std::string(std::strerror(errno))};
    }
    if (std::string why = ContentProblem(*bytes); !why.empty())
        return {EmptyDocument(), LoadError::Unreadable, std::move(why)};
    auto doc = std::make_shared<Document>(Parse(*bytes));
    BuildIndex(*doc);
    doc->cost = CostOf(*doc);
    Remember(path, identity, doc);
    return {std::move(doc), LoadError::None, {}};
}

// No exception leaves a read: an allocation that fails reads as an
// unreadable file.
Loaded Load(const std::string& path) {
    try {
        Loaded loaded = LoadUncaught(path);
        if (loaded.error == LoadError::Unreadable) QV_LOGW("%s refused: %s", path.c_str(), loaded.why.c_str());
        return loaded;
    } catch (const std::exception& e) {
        QV_LOGE("%s cannot be read: %s", path.c_str(), e.what());
        return {nullptr, LoadError::Unreadable, e.what()};
    }
}

std::optional<std::u16string> ReadValueUncaught(const char16_t* section, const char16_t* key,
                                                const char16_t* file) {
    std::lock_guard<std::mutex> guard(g_fileMutex);
    const Loaded loaded = Load(NativePath(file));
    if (!loaded.doc) return std::nullopt;
    const Document& doc = *loaded.doc;
    // Names are looked up trimmed, as they are written.
    auto index = LookUpKey(doc, Trim(section), Trim(key));
    if (!index) return std::nullopt;
    return std::u16string(Unquote(ParseKey(doc.lines[*index])->value));
}

std::optional<std::u16string> ReadValue(const char16_t* section, const char16_t* key,
                                        const char16_t* file) {
    if (!section || !key || !file) return std::nullopt;
    try {
        return ReadValueUncaught(section, key, file);
    } catch (const std::exception& e) {
        QV_LOGE("%s", e.what());
        return std::nullopt;
    }
}

// Names (sections, or keys of one section), each followed by a zero.
std::u16string ListNamesUncaught(const char16_t* section, const char16_t* file) {
    std::lock_guard<std::mutex> guard(g_fileMutex);
    const Loaded loaded = Load(NativePath(file));
    if (!loaded.doc) return {};
    const Document& doc = *loaded.doc;
    std::u16string list;
    if (!section) {
        for (const Line& line : doc.lines) {
            if (auto name = SectionName(line)) {
                list.append(*name);
                list.push_back(u'\0');
            }
        }
        return list;
    }
    auto range = LookUpSection(doc, Trim(section));
    if (!range) return list;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (auto kv = ParseKey(doc.lines[i])) {
            list.append(kv->key);
            list.push_back(u'\0');
        }
    }
    return list;
}

std::u16string ListNames(const char16_t* section, const char16_t* file) {
    try {
        return ListNamesUncaught(section, file);
    } catch (const std::exception& e) {
        QV_LOGE("%s", e.what());
        return {};
    }
}

bool HasLineBreak(std::u16string_view text) {
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

bool EndsWithLineEnd(const Document& doc, const Line& line) {
    const std::string& nl = doc.newline;
    const std::size_t unit = doc.encoding == Encoding::Utf16 ? 2 : 1;
    return line.raw.size() >= unit &&
           line.raw.compare(line.raw.size() - unit, unit, nl, nl.size() - unit, unit) == 0;
}

Line NewLine(const Document& doc, std::u16string text) {
    return Line{Encode(doc.encoding, text) + doc.newline, std::move(text)};
}

// Makes sure the line before index `at` is terminated before a line goes there.
// A line that ends in a lone CR gets only the LF: another CR would stay in
// its value.
void TerminatePrevious(Document& doc, std::size_t at) {
    if (at == 0) return;
    Line& previous = doc.lines[at - 1];
    if (EndsWithLineEnd(doc, previous)) return;
    const std::string cr = Encode(doc.encoding, u"\r");
    const bool endsWithCr = previous.raw.size() >= cr.size() &&
                            previous.raw.compare(previous.raw.size() - cr.size(), cr.size(), cr) == 0;
    previous.raw += endsWithCr ? Encode(doc.encoding, u"\n") : doc.newline;
}

void SetKey(Document& doc, std::u16string_view section, std::u16string_view key,
            std::u16string_view value) {
    auto range = FindSection(doc, section);
    if (!range) {
        TerminatePrevious(doc, doc.lines.size());
        doc.lines.push_back(NewLine(doc, u"[" + std::u16string(section) + u"]"));
        doc.lines.push_back(NewLine(doc, std::u16string(key) + u"=" + std::u16string(value)));
        return;
    }
    if (auto index = FindKey(doc, *range, key)) {
        Line& line = doc.lines[*index];
        const bool terminated = EndsWithLineEnd(doc, line);
        const std::u16string fileKey(ParseKey(line)->key);  // keeps the file's spelling
        line = NewLine(doc, fileKey + u"=" + std::u16string(value));
        if (!terminated) line.raw.resize(line.raw.size() - doc.newline.size());
        return;
    }
    // After the section's last non-blank line, so blank separators stay below.
    std::size_t at = range->end;
    while (at > range->header + 1 && Trim(doc.lines[at - 1].text).empty()) --at;
    TerminatePrevious(doc, at);
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at),
                     NewLine(doc, std::u16string(key) + u"=" + std::u16string(value)));
}

void DeleteKey(Document& doc, std::u16string_view section, std::u16string_view key) {
    auto range = FindSection(doc, section);
    if (!range) return;
    if (auto index = FindKey(doc, *range, key))
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(*index));
}

void DeleteSection(Document& doc, std::u16string_view section) {
    auto range = FindSection(doc, section);
    if (!range) return;
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(range->end));
}

DWORD CopyOut(std::u16string_view value, char16_t* out, DWORD size) {
    const DWORD n = value.size() < size ? static_cast<DWORD>(value.size()) : size - 1;
    std::memcpy(out, value.data(), n * sizeof(char16_t));
    out[n] = u'\0';
    return n;
}

DWORD CopyList(const std::u16string& list, char16_t* out, DWORD size) {
    if (list.size() + 1 <= size) {
        std::memcpy(out, list.data(), list.size() * sizeof(char16_t));
        out[list.size()] = u'\0';
        return list.empty() ? 0 : static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        out[0] = u'\0';
        return 0;
    }
    std::memcpy(out, list.data(), (size - 2) * sizeof(char16_t));
    out[size - 2] = u'\0';
    out[size - 1] = u'\0';
    return size - 2;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// One write, its names checked: null key deletes the section, null value the key.
struct Edit {
    std::u16string_view section;
    std::optional<std::u16string_view> key;
    std::optional<std::u16string_view> value;
};

std::optional<Edit> CheckedEdit(const char16_t* section, const char16_t* key, const char16_t* value) {
    Edit edit;
    edit.section = Trim(section);
    if (HasLineBreak(edit.section) || edit.section.find(u']') != std::u16string_view::npos) {
        QV_LOGE("refused section name with a line break or ']'");
        return std::nullopt;
    }
    if (key) {
        const std::u16string_view keyName = Trim(key);
        if (keyName.empty() || HasLineBreak(keyName) || keyName.find(u'=') != std::u16string_view::npos ||
            keyName.front() == u'[' || keyName.front() == u';') {
            QV_LOGE("refused key name that cannot stand in a profile file");
            return std::nullopt;
        }
        edit.key = keyName;
    }
    if (value) {
        if (HasLineBreak(value)) {
            QV_LOGE("refused value with a line break");
            return std::nullopt;
        }
        edit.value = std::u16string_view(value);
    }
    return edit;
}

BOOL ApplyEditsUncaught(const std::string& path, std::span<const Edit> edits) {
    std::lock_guard<std::mutex> guard(g_fileMutex);
    const Loaded loaded = Load(path);
    if (loaded.error == LoadError::Unreadable || !loaded.doc) {
        QV_LOGE("not written: %s cannot be read", path.c_str());
        return FALSE;
    }
    auto doc = std::make_shared<Document>(*loaded.doc);
    doc->sections.clear();
    doc->keys.clear();
    doc->indexed = false;  // the edits move lines
    const std::string before = Serialize(*doc);
    for (const Edit& edit : edits) {
        if (!edit.key)
            DeleteSection(*doc, edit.section);
        else if (!edit.value)
            DeleteKey(*doc, edit.section, *edit.key);
        else
            SetKey(*doc, edit.section, *edit.key, *edit.value);
    }
    const std::string after = Serialize(*doc);
    const LoadError error = loaded.error;
    if (after == before && error != LoadError::Missing) return TRUE;
    if (after.empty() && error == LoadError::Missing) return TRUE;  // deleting from no file
    // A file the next read would refuse is not written.
    if (after.size() > kMaxProfileFileBytes || !ContentProblem(after).empty()) {
        QV_LOGE("not written: %s would pass the size or line limit", path.c_str());
        return FALSE;
    }
    if (!ReplaceFileAtomically(path, after)) return FALSE;
    // The file now holds exactly this document.
    BuildIndex(*doc);
    doc->cost = CostOf(*doc);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && info.st_size == static_cast<off_t>(after.size()))
        Remember(path, FileIdentity::Of(info), std::move(doc));
    return TRUE;
}

// Reads the file once, applies the edits in order and replaces it once.
BOOL ApplyEdits(const char16_t* file, std::span<const Edit> edits) {
    const std::string path = NativePath(file);
    try {
        return ApplyEditsUncaught(path, edits);
    } catch (const std::exception& e) {
        QV_LOGE("%s not written: %s", path.c_str(), e.what());
        return FALSE;
    }
}

// The struct form: upper-case hex of the bytes, then their sum mod 256.
std::u16string StructText(const void* data, UINT size) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::u16string text;
    text.reserve((static_cast<std::size_t>(size) + 1) * 2);
    unsigned sum = 0;
    auto append = [&](unsigned char b) {
        text.push_back(kHex[b >> 4]);
        text.push_back(kHex[b & 0xF]);
    };
    for (UINT i = 0; i < size; ++i) {
        append(bytes[i]);
        sum += bytes[i];
    }
    append(static_cast<unsigned char>(sum & 0xFF));
    return text;
}

}  // namespace

std::u16string ProfileStructText(const void* data, UINT size) { return StructText(data, size); }

ProfileFileState CheckProfileFile(std::u16string_view file, std::string* why) {
    const std::string path = NativePath(std::u16string(file));
    std::lock_guard<std::mutex> guard(g_fileMutex);
    const Loaded loaded = Load(path);
    if (loaded.error == LoadError::Missing) {
        // A link that names nothing is no damage: a write creates its file.
        return ProfileFileState::Missing;
    }
    if (loaded.error == LoadError::None) return ProfileFileState::Usable;
    if (why) *why = loaded.why;
    return ProfileFileState::Damaged;
}

DWORD GetPrivateProfileString(const char16_t* section, const char16_t* key, const char16_t* def,
                              char16_t* out, DWORD size, const char16_t* file) {
    if (!out || size == 0) return 0;
    if (!file) {
        out[0] = u'\0';
        return 0;
    }
    if (!section || !key) return CopyList(ListNames(section, file), out, size);
    if (auto value = ReadValue(section, key, file)) return CopyOut(*value, out, size);
    std::u16string_view fallback = def ? def : u"";
    while (!fallback.empty() && IsBlank(fallback.back())) fallback.remove_suffix(1);
    return CopyOut(fallback, out, size);
}

int GetPrivateProfileInt(const char16_t* section, const char16_t* key, int def,
                         const char16_t* file) {
    auto value = ReadValue(section, key, file);
    if (!value || value->empty()) return def;
    std::u16string_view text = Trim(*value);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    unsigned result = 0;  // wraps like the Windows parse
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        result = result * 10u + static_cast<unsigned>(c - u'0');
    }
    return static_cast<int>(negative ? 0u - result : result);
}

BOOL WritePrivateProfileString(const char16_t* section, const char16_t* key,
                               const char16_t* value, const char16_t* file) {
    if (!section || !file || !*file) return FALSE;
    const std::optional<Edit> edit = CheckedEdit(section, key, value);
    if (!edit) return FALSE;
    return ApplyEdits(file, std::span<const Edit>(&*edit, 1));
}

BOOL GetPrivateProfileStruct(const char16_t* section, const char16_t* key, void* data, UINT size,
                             const char16_t* file) {
    if (!data && size) return FALSE;
    auto value = ReadValue(section, key, file);
    if (!value || value->size() != (static_cast<std::size_t>(size) + 1) * 2) return FALSE;
    std::vector<unsigned char> bytes(size + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigit((*value)[2 * i]);
        const int low = HexDigit((*value)[2 * i + 1]);
        if (high < 0 || low < 0) return FALSE;
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    unsigned sum = 0;
    for (UINT i = 0; i < size; ++i) sum += bytes[i];
    if ((sum & 0xFF) != bytes[size]) return FALSE;
    if (size) std::memcpy(data, bytes.data(), size);
    return TRUE;
}

BOOL WritePrivateProfileStruct(const char16_t* section, const char16_t* key, const void* data,
                               UINT size, const char16_t* file) {
    if (!data) return WritePrivateProfileString(section, key, nullptr, file);
    const std::u16string text = StructText(data, size);
    return WritePrivateProfileString(section, key, text.c_str(), file);
}

void ProfileBatch::WriteString(const char16_t* section, const char16_t* key, const char16_t* value) {
    Op op;
    if (section) op.section = section;
    else op.invalid = true;
    if (key) op.key = key;
    if (value) op.value = value;
    m_ops.push_back(std::move(op));
}

void ProfileBatch::WriteStruct(const char16_t* section, const char16_t* key, const void* data,
                               UINT size) {
    if (!data) return WriteString(section, key, nullptr);
    const std::u16string text = StructText(data, size);
    WriteString(section, key, text.c_str());
}

BOOL ProfileBatch::Commit() {
    if (m_file.empty()) return FALSE;
    std::vector<Edit> edits;
    edits.reserve(m_ops.size());
    for (const Op& op : m_ops) {
        if (op.invalid) return FALSE;
        std::optional<Edit> edit = CheckedEdit(op.section.c_str(), op.key ? op.key->c_str() : nullptr,
                                               op.value ? op.value->c_str() : nullptr);
        if (!edit) return FALSE;
        edits.push_back(*edit);
    }
    return ApplyEdits(m_file.c_str(), edits);
}

}  // namespace qv::os
