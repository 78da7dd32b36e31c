#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace qv::hid {
namespace {

enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag { kInput = 0x8, kOutput = 0x9, kFeature = 0xB };
enum GlobalTag { kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB };
constexpr std::uint8_t kLongItemPrefix = 0xFE;
// Far above any real report; keeps the arithmetic of hostile descriptors bounded.
constexpr std::uint64_t kMaxBits = 1u << 24;

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

std::uint32_t ItemValue(const std::uint8_t* p, int size) {
    std::uint32_t v = 0;
    for (int i = 0; i < size; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

int BytesWithId(const std::map<std::uint32_t, std::uint64_t>& bitsById) {
    std::uint64_t most = 0;
    for (const auto& [id, bits] : bitsById) most = std::max(most, bits);
    return most == 0 ? 0 : static_cast<int>((most + 7) / 8) + 1;
}

}  // namespace

ReportLengths ParseReportDescriptor(const std::uint8_t* data, std::size_t size) {
    ReportLengths lengths;
    if (!data) return lengths;
    Globals globals;
    std::vector<Globals> stack;
    std::map<std::uint32_t, std::uint64_t> bits[3];  // input, output, feature by report id

    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t prefix = data[i];
        if (prefix == kLongItemPrefix) {
            if (i + 1 >= size) break;
            i += 3 + data[i + 1];
            continue;
        }
        const int dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + static_cast<std::size_t>(dataSize) > size) break;
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        const std::uint32_t value = ItemValue(data + i + 1, dataSize);
        i += 1 + static_cast<std::size_t>(dataSize);

        if (type == kGlobal) {
            switch (tag) {
            case kReportSize: globals.reportSize = value; break;
            case kReportId:
                globals.reportId = value;
                lengths.numbered = true;
                break;
            case kReportCount: globals.reportCount = value; break;
            case kPush: stack.push_back(globals); break;
            case kPop:
                if (!stack.empty()) {
                    globals = stack.back();
                    stack.pop_back();
                }
                break;
            default: break;
            }
        } else if (type == kMain) {
            int kind = tag == kInput ? 0 : tag == kOutput ? 1 : tag == kFeature ? 2 : -1;
            if (kind < 0) continue;
            std::uint64_t& total = bits[kind][globals.reportId];
            total = std::min<std::uint64_t>(
                kMaxBits, total + static_cast<std::uint64_t>(globals.reportSize) * globals.reportCount);
        }
    }
    lengths.input = BytesWithId(bits[0]);
    lengths.output = BytesWithId(bits[1]);
    lengths.feature = BytesWithId(bits[2]);
    return lengths;
}

}  // namespace qv::hid
