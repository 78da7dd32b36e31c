#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "plugin/device/Crc32.h"

namespace {

TEST(Crc32, StandardCheckValues) {
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check), 9), 0xCBF43926u);
    const char* fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(fox),
                    static_cast<std::uint32_t>(std::strlen(fox))),
              0x414FA339u);
    const std::uint8_t zero = 0;
    EXPECT_EQ(Crc32(&zero, 1), 0xD202EF8Du);
    EXPECT_EQ(Crc32(&zero, 0), 0u);
    EXPECT_EQ(Crc32(nullptr, 5), 0u);
}

}  // namespace
