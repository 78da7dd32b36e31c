#include "zip/ZipCipher.h"

#include <sys/random.h>

#include <ctime>

#include "zip/ZipCrc32.h"

namespace qv::zip {
namespace {

std::uint32_t OsSeed() {
    std::uint32_t seed = 0;
    if (getrandom(&seed, sizeof seed, 0) != sizeof seed) {
        // Without the OS source, the clock still gives a different seed per run.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        seed = static_cast<std::uint32_t>(now.tv_nsec) ^ static_cast<std::uint32_t>(now.tv_sec);
    }
    return seed;
}

}  // namespace

ZipCipher::ZipCipher() : m_random(OsSeed()) {}

void ZipCipher::Start(std::string_view password) {
    m_keys = {0x12345678u, 0x23456789u, 0x34567890u};
    for (char c : password) UpdateKeys(static_cast<std::uint8_t>(c));
}

void ZipCipher::UpdateKeys(std::uint8_t plain) {
    m_keys[0] = Crc32Step(m_keys[0], plain);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
    m_keys[2] = Crc32Step(m_keys[2], static_cast<std::uint8_t>(m_keys[1] >> 24));
}

std::uint8_t ZipCipher::StreamByte() const {
    const std::uint32_t temp = (m_keys[2] | 2) & 0xFFFF;
    return static_cast<std::uint8_t>((temp * (temp ^ 1)) >> 8);
}

void ZipCipher::Encrypt(std::uint8_t* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t plain = data[i];
        data[i] = plain ^ StreamByte();
        UpdateKeys(plain);
    }
}

std::array<std::uint8_t, 12> ZipCipher::MakeHeader(std::uint8_t checkByte) {
    std::array<std::uint8_t, 12> header{};
    for (std::size_t i = 0; i < 11; ++i) header[i] = static_cast<std::uint8_t>(m_random() >> 7);
    header[11] = checkByte;
    return header;
}

}  // namespace qv::zip
