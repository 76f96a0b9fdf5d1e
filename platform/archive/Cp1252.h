#pragma once
// Windows-1252, the code page of the stored texts. Qt 6 has no codec for it.
//
// Bytes 0x00-0x7F and 0xA0-0xFF are the same code points; 0x80-0x9F hold the typographic extras
// (0x80 is the euro sign). The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the control characters of the same number, so every byte string survives a round
// trip.

#include <QByteArray>
#include <QString>

#include <cstddef>

// Characters the code page cannot hold become '?'; `lossless` (when given) tells whether any did.
QByteArray toWindows1252(const QString& text, bool* lossless = nullptr);
QString fromWindows1252(const QByteArray& bytes);
QString fromWindows1252(const char* bytes, std::size_t size);
// Whether every character of the text has a byte in the code page.
bool fitsWindows1252(const QString& text);
