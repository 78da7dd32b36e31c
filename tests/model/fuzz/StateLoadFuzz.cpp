// A state file of any content, read through the settings store and the
// profile engine as the plug-in reads it: either the input's bytes as the
// file, or records of any length in the file's own text form. The model
// starts, keeps its texts terminated and its tables whole.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "families/FamilyData.h"
#include "platform/os/Utf.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/SettingsStateStore.h"
#include "plugin/workspace/SettingsStore.h"
#include "tests/model/ModelFakes.h"
#include "tests/model/fuzz/FuzzFiles.h"
#include "tests/model/fuzz/FuzzTargets.h"

namespace {

struct RecordKind {
    const char16_t* section;
    std::size_t size;
    int keys;  // "0" .. keys-1, or the named keys below
};

constexpr RecordKind kKinds[] = {
    {u"CustomPreset", sizeof(GroupPreset), 12},
    {u"LastStatus", sizeof(EffectRecord), 1},
    {u"DeviceCustomEffect", sizeof(EffectRecord), 3},
    {u"MyCustomEffect", sizeof(EffectRecord), 12},
    {u"DownloadEffect", sizeof(EffectRecord), 40},
};

std::u16string KeyOf(const RecordKind& kind, int n) {
    if (kind.section == std::u16string_view(u"CustomPreset"))
        return qv::os::Utf8ToUtf16(std::to_string(1 + n / 4) + "_" + std::to_string(n % 4));
    if (kind.section == std::u16string_view(u"LastStatus")) return u"CurrentEffect";
    return qv::os::Utf8ToUtf16(std::to_string(n));
}

// The structure form of a value: hex digits of the bytes and their sum.
std::string StructText(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
        sum += b;
    }
    text += kHex[(sum >> 4) & 15];
    text += kHex[sum & 15];
    return text;
}

// A state file of records from the input, each [kind] [key] [length] then
// its bytes (the input repeated to fill a long record); a length byte of 0
// takes the record's own size, others give short or long records.
std::string RecordsFile(const std::uint8_t* data, std::size_t size) {
    std::string text;
    std::size_t at = 0;
    while (at + 3 <= size) {
        const RecordKind& kind = kKinds[data[at] % std::size(kKinds)];
        const std::u16string key = KeyOf(kind, data[at + 1] % kind.keys);
        const std::size_t length = data[at + 2] == 0 ? kind.size : (data[at + 2] * 9u) % (kind.size + 16);
        const unsigned count = data[at + 2] % 48u;
        at += 3;
        std::vector<std::uint8_t> record(length);
        for (std::size_t i = 0; i < length; ++i) record[i] = data[(at + i) % size];
        at += std::min<std::size_t>(length, size - at) / 4 + 1;
        text += "[" + qv::os::Utf16ToUtf8(kind.section) + "]\r\n" + qv::os::Utf16ToUtf8(key) + "=" +
                StructText(record) + "\r\n";
        if (kind.section == std::u16string_view(u"DownloadEffect"))
            text += "count=" + std::to_string(count) + "\r\n";
    }
    return text;
}

}  // namespace

int FuzzStateLoad(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const FamilyData& family = (data[0] & 1) ? ZenkFamily() : DorbIIFamily();
    const std::string path = NewFuzzFilePath();
    const std::u16string file = qv::os::Utf8ToUtf16(path);
    bool written = false;
    if (data[0] & 2) {
        // UTF-16 with its mark, as the settings store makes it, or UTF-8.
        const std::string text = RecordsFile(data + 1, size - 1);
        std::string bytes;
        if (data[0] & 4) {
            bytes = "\xFF\xFE";
            for (char16_t c : qv::os::Utf8ToUtf16(text)) {
                bytes += static_cast<char>(c & 0xFF);
                bytes += static_cast<char>(c >> 8);
            }
        } else {
            bytes = text;
        }
        written = WriteFuzzFile(path, bytes.data(), bytes.size());
    } else {
        written = WriteFuzzFile(path, data + 1, size - 1);
    }
    if (!written) std::abort();

    CSettingsStore settings;
    if (!settings.Load(file)) std::abort();
    CSettingsStateStore store(settings);
    FakeParamPort port;
    CParamModel model(family, port, &store);
    if (FieldText(model.GetCurrentEffect().name).size() > 63) std::abort();
    if (model.GetUserEffects().size() != 12) std::abort();
    if (model.GetDownloadedEffects().GetCount() > 10000) std::abort();
    for (int bank = 1; bank <= 3; ++bank)
        for (int n = 0; n < 12; ++n) {
            model.ApplyCustomPreset(n, bank);
            GroupPreset out;
            if (model.GetCustomPreset(n, bank, out) && FieldText(out.name).size() > 15) std::abort();
        }
    for (int n = 0; n < 24; ++n) {
        model.ApplyMyCustomEffect(n);
        model.ApplyEffectGroup(n, n % 6);
    }
    model.SyncParams(1);
    unlink(path.c_str());
    return 0;
}

#ifdef QV_FUZZ_MAIN
QV_FUZZ_ENTRY(FuzzStateLoad)
#endif
