#include "packages/zip/ZipCrypto.h"

#include <zlib.h>

const std::uint32_t* ZipCrypto::crcTable()
{
    static_assert(sizeof(z_crc_t) == sizeof(std::uint32_t));
    return reinterpret_cast<const std::uint32_t*>(get_crc_table());
}

void ZipCrypto::InitKeys(const char* password, std::size_t length)
{
    m_keys[0] = 0x12345678;
    m_keys[1] = 0x23456789;
    m_keys[2] = 0x34567890;
    for (std::size_t i = 0; i < length; ++i)
        Update(static_cast<std::uint8_t>(password[i]));
}

void ZipCrypto::Encode(char* buffer, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t key = KeystreamByte();
        const auto plain = static_cast<std::uint8_t>(buffer[i]);
        Update(plain);
        buffer[i] = static_cast<char>(plain ^ key);
    }
}

void ZipCrypto::Decode(char* buffer, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        const auto plain = static_cast<std::uint8_t>(static_cast<std::uint8_t>(buffer[i]) ^ KeystreamByte());
        Update(plain);
        buffer[i] = static_cast<char>(plain);
    }
}

void ZipCrypto::CreateHeader(const char* password, std::size_t length, std::uint32_t check, char* out12)
{
    InitKeys(password, length);
    for (int i = 0; i < 10; ++i) {
        const std::uint32_t r = m_random();
        std::uint32_t byte = (r >> 6) & 0xFF;
        if (byte == 0)
            byte = r & 0xFF;
        out12[i] = static_cast<char>(byte);
    }
    out12[10] = static_cast<char>((check >> 16) & 0xFF);
    out12[11] = static_cast<char>((check >> 24) & 0xFF);
    Encode(out12, kHeaderSize);
}

bool ZipCrypto::CheckHeader(const char* password, std::size_t length, char* header12, std::uint8_t checkByte)
{
    InitKeys(password, length);
    Decode(header12, kHeaderSize);
    return static_cast<std::uint8_t>(header12[11]) == checkByte;
}
