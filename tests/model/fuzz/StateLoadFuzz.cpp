// A state file of any content: every record the model reads comes from the
// input, in pieces of any length. The model starts, keeps its texts
// terminated and its tables whole.
#include <cstdlib>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"
#include "tests/model/fuzz/FuzzTargets.h"

namespace {

// Hands out the input in turn: a length byte pair, then that many bytes.
class FuzzStateStore : public IWorkspaceStateStore {
public:
    FuzzStateStore(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::optional<std::vector<std::uint8_t>> ReadStruct(const char16_t*, const char16_t*,
                                                        std::size_t wanted) override {
        if (m_at + 1 >= m_size) return std::nullopt;
        const std::uint8_t mode = m_data[m_at++];
        if (mode & 0x80) return std::nullopt;
        // Mostly the asked size, sometimes a short or long value.
        std::size_t length = wanted;
        if (mode & 0x40) length = (static_cast<std::size_t>(m_data[m_at++]) * 8) % (wanted + 9);
        std::vector<std::uint8_t> bytes(length, 0);
        for (std::size_t i = 0; i < length && m_at < m_size; ++i) bytes[i] = m_data[m_at++];
        return bytes;
    }
    BOOL WriteStruct(const char16_t*, const char16_t*, std::span<const std::uint8_t>) override { return 1; }
    std::optional<int> ReadInt(const char16_t*, const char16_t*) override {
        if (m_at + 4 > m_size) return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | m_data[m_at++];
        return static_cast<int>(value);
    }
    BOOL WriteInt(const char16_t*, const char16_t*, int) override { return 1; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 1;
};

}  // namespace

int FuzzStateLoad(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const FamilyData& family = (data[0] & 1) ? ZenkFamily() : DorbIIFamily();
    FakeParamPort port;
    FuzzStateStore store(data, size);
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
    return 0;
}

#ifdef QV_FUZZ_MAIN
QV_FUZZ_ENTRY(FuzzStateLoad)
#endif
