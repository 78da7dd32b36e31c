// A preset file of any content imported into any custom slot: the bytes go
// to a file, through the profile reader to a record, and to the model's
// preset store. Whatever the model keeps holds values its parameters can
// take and a terminated name, and applies.
//
// The first byte chooses the bank and slot and whether the rest is the file
// itself or a record written as a well-formed file (so the record checks are
// reached without finding a checksum first).
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "families/FamilyData.h"
#include "platform/os/Utf.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/PresetFile.h"
#include "tests/effect/fuzz/PresetImportFuzz.h"
#include "tests/model/ModelFakes.h"

namespace {

std::string HexRecord(const std::uint8_t* bytes, std::size_t size, bool lowerCase) {
    const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string hex;
    unsigned sum = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        const std::uint8_t b = i < size ? bytes[i] : static_cast<std::uint8_t>(sum);
        if (i < size) sum += b;
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

std::string FileOf(const std::uint8_t* data, std::size_t size, std::uint8_t mode) {
    if (!(mode & 0x80)) return std::string(reinterpret_cast<const char*>(data), size);
    GroupPreset record{};
    std::memcpy(&record, data, std::min(size, sizeof record));
    const std::string text = "[CustomPreset]\r\npresetValue=" +
                             HexRecord(reinterpret_cast<const std::uint8_t*>(&record), sizeof record, mode & 0x40) + "\r\n";
    if (!(mode & 0x20)) return text;
    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
        utf16 += c;
        utf16 += '\0';
    }
    return utf16;
}

}  // namespace

int FuzzPresetImport(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static FakeParamPort port;
    static FakeStateStore store;
    static CParamModel model(DorbIIFamily(), port, &store);
    static const std::string path = "/tmp/qv-fuzz-preset-" + std::to_string(getpid()) + ".data";

    const std::uint8_t mode = data[0];
    const int bank = 1 + (mode & 3) % 3;
    const int slot = (mode >> 2) & 3;
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        const std::string bytes = FileOf(data + 1, size - 1, mode);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const auto preset = ReadPresetFile(qv::os::Utf8ToUtf16(path));
    if (!preset || !model.SaveCustomPreset(slot, bank, *preset)) return 0;

    const int number = DorbIIFamily().presetBanks[static_cast<std::size_t>(bank)].firstCustomSlot + slot;
    const GroupPreset* kept = model.FindCustomPreset(number, bank);
    if (!kept || kept->name[15] != 0) std::abort();
    const auto& members = *model.GetParamGroup(bank);
    if (kept->valueCount != static_cast<std::int32_t>(members.size())) std::abort();
    for (std::size_t i = 0; i < members.size(); ++i)
        if (kept->values[i] < 0 || kept->values[i] > members[i]->maximum) std::abort();
    if (!model.ApplyCustomPreset(number, bank)) std::abort();
    for (std::size_t i = 0; i < members.size(); ++i)
        if (model.GetValue(members[i]->id) != kept->values[i]) std::abort();
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzPresetImport(data, size); }
#endif
