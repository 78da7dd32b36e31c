#pragma once
// The traditional zip cipher: three 32-bit keys set from the password, a key
// stream byte per data byte, and the 12-byte header that starts every
// encrypted entry. The keys are restarted for each entry.
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string_view>

namespace qv::zip {

class ZipCipher {
public:
    ZipCipher();

    // Starts the keys for a new entry from the password.
    void Start(std::string_view password);
    // Encrypts in place, updating the keys with each plain byte.
    void Encrypt(std::uint8_t* data, std::size_t length);
    // The plain entry header: 11 random bytes and the check byte last. The
    // caller encrypts and writes it.
    std::array<std::uint8_t, 12> MakeHeader(std::uint8_t checkByte);

private:
    void UpdateKeys(std::uint8_t plain);
    std::uint8_t StreamByte() const;

    std::array<std::uint32_t, 3> m_keys{};
    // The header bytes need not be secret keys, only unpredictable: a private
    // generator seeded from the OS, shared by no one else.
    std::mt19937 m_random;
};

}  // namespace qv::zip
