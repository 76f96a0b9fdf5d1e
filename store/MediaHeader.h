#pragma once
// Sounds and clips keep a short header in front of their file's bytes: a 32-bit length that counts
// itself, then the header's fields as an archive stream.

#include <cstdint>
#include <functional>

class CArchive;
class CMyRes;

// Reads the header of the resource, handing its fields to `readFields`. Returns the header length, or
// 0 when the header is shorter than `minimumLength`, claims more than the resource holds, or its
// fields cannot be read.
std::uint32_t ReadMediaHeader(CMyRes& resource, std::uint32_t minimumLength,
                              const std::function<void(CArchive&)>& readFields);

// Makes the resource hold just the header written by `writeFields`. Returns the header length, even
// when the resource could not be resized (it is then left as it was).
std::uint32_t WriteMediaHeader(CMyRes& resource, const std::function<void(CArchive&)>& writeFields);
