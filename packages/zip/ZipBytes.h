#pragma once
// Little-endian fields of the ZIP records, written and read one at a time.

#include <cstdint>

namespace zipbytes
{

inline void put16(char*& out, std::uint32_t value)
{
    out[0] = static_cast<char>(value & 0xFF);
    out[1] = static_cast<char>((value >> 8) & 0xFF);
    out += 2;
}

inline void put32(char*& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

inline std::uint16_t get16(const char* in)
{
    const auto* b = reinterpret_cast<const unsigned char*>(in);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

inline std::uint32_t get32(const char* in)
{
    return get16(in) | (static_cast<std::uint32_t>(get16(in + 2)) << 16);
}

} // namespace zipbytes
