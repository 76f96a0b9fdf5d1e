#pragma once
// The traditional PKWARE encryption of the published ZIP format: three keys updated with every plain
// byte, a keystream byte from the third key, and a 12-byte header in front of each encrypted entry.

#include <cstddef>
#include <cstdint>
#include <random>

class ZipCrypto
{
public:
    static constexpr std::size_t kHeaderSize = 12;

    void InitKeys(const char* password, std::size_t length);
    void Encode(char* buffer, std::size_t size);
    void Decode(char* buffer, std::size_t size);
    // Builds the 12-byte header: ten random bytes, then bits 16..23 and 24..31 of `check` (the entry's
    // DOS time shifted left by 16), each encrypted right after it is made.
    void CreateHeader(const char* password, std::size_t length, std::uint32_t check, char* out12);
    // Decrypts the header and compares its last byte with the expected check byte.
    bool CheckHeader(const char* password, std::size_t length, char* header12, std::uint8_t checkByte);

private:
    void Update(std::uint8_t plain)
    {
        m_keys[0] = crcStep(m_keys[0], plain);
        m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
        m_keys[2] = crcStep(m_keys[2], static_cast<std::uint8_t>(m_keys[1] >> 24));
    }
    std::uint8_t KeystreamByte() const
    {
        const std::uint32_t t = (m_keys[2] & 0xFFFF) | 2;
        return static_cast<std::uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
    }
    std::uint32_t crcStep(std::uint32_t crc, std::uint8_t c) const
    {
        return m_table[(crc ^ c) & 0xFF] ^ (crc >> 8);
    }

    const std::uint32_t* m_table = crcTable();
    std::uint32_t m_keys[3] = {0, 0, 0};
    // The header's random bytes come from the library's own generator: the program-wide one is left
    // alone, and two entries written within one second still get different headers.
    std::mt19937 m_random{std::random_device{}()};

    static const std::uint32_t* crcTable();
};
