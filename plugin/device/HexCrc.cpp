#include "plugin/device/HexCrc.h"

#include <string_view>

#include "common/device/Frame.h"

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

void WriteByte(std::uint8_t value, char16_t* out) {
    out[0] = kHexDigits[value >> 4];
    out[1] = kHexDigits[value & 0x0F];
}

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// -1 when either character is not a digit.
int ReadByte(const char16_t* pair) {
    const int high = DigitValue(pair[0]);
    const int low = DigitValue(pair[1]);
    if (high < 0 || low < 0) return -1;
    return high * 16 + low;
}

}  // namespace

BOOL HexEncodeWithCrc(const std::uint8_t* data, int count, char16_t* output, int capacity) {
    if (!data || !output || count < 0) return FALSE;
    if (static_cast<long long>(capacity) < 2LL * count + 3) return FALSE;
    for (int i = 0; i < count; ++i) WriteByte(data[i], output + 2 * i);
    WriteByte(qv::frame::Crc8(data, static_cast<std::size_t>(count)), output + 2 * count);
    output[2 * count + 2] = u'\0';
    return TRUE;
}

BOOL HexDecodeWithCrc(const char16_t* text, std::uint8_t* output, int capacity) {
    if (!text || !output) return FALSE;
    const std::size_t length = std::u16string_view(text).size();
    if (length < 2 || length % 2 != 0) return FALSE;
    const std::size_t count = (length - 2) / 2;
    if (capacity < 0 || count > static_cast<std::size_t>(capacity)) return FALSE;
    for (std::size_t i = 0; i < count; ++i) {
        const int value = ReadByte(text + 2 * i);
        if (value < 0) return FALSE;
        output[i] = static_cast<std::uint8_t>(value);
    }
    const int check = ReadByte(text + 2 * count);
    if (check < 0) return FALSE;
    return qv::frame::Crc8(output, count) == check ? TRUE : FALSE;
}
