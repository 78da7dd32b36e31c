#include "tests/cloud/fuzz/ReplyFuzz.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "families/FamilyData.h"
#include "plugin/cloud/CatalogueReply.h"

namespace {

// The reply in a buffer of exactly its size, so a read past it is caught.
std::string_view Reply(const std::uint8_t* data, std::size_t size, std::unique_ptr<char[]>& holder) {
    holder.reset(new char[size ? size : 1]);
    if (size) std::memcpy(holder.get(), data, size);
    return std::string_view(holder.get(), size);
}

template <std::size_t N>
void CheckTerminated(const char16_t (&field)[N]) {
    if (field[N - 1] != 0) std::abort();
}

}  // namespace

int FuzzCategories(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> holder;
    std::vector<CloudCategory> out;
    std::u16string message;
    ReadCategories(Reply(data, size, holder), out, message);
    for (const CloudCategory& category : out)
        if (category.name[sizeof category.name - 1] != 0) std::abort();
    return 0;
}

int FuzzCategorySounds(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> holder;
    std::vector<SoundItem> out;
    std::u16string message;
    ReadCategorySounds(Reply(data, size, holder), out, message);
    for (const SoundItem& item : out) {
        CheckTerminated(item.name);
        CheckTerminated(item.path);
        if (item.kind != kSoundCloud) std::abort();
    }
    return 0;
}

int FuzzEffectList(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> holder;
    std::vector<CloudEffectItem> out;
    std::u16string message;
    ReadEffectList(Reply(data, size, holder), out, message);
    for (const CloudEffectItem& item : out) CheckTerminated(item.name);
    return 0;
}

int FuzzEffectDetail(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> holder;
    EffectRecord record{};
    std::u16string message;
    const FamilyData& family = size && (data[0] & 1) ? ZenkFamily() : DorbIIFamily();
    if (ReadEffectDetail(Reply(data, size, holder), family.descriptors, record, message) == ReplyResult::kAccepted) {
        CheckTerminated(record.name);
        CheckTerminated(record.remark);
        CheckTerminated(record.nickname);
        for (std::size_t id = 0; id < family.descriptors.size(); ++id)
            if (record.values[id] < 0 || record.values[id] > family.descriptors[id].maximum) std::abort();
    }
    return 0;
}
