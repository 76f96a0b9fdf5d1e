#pragma once
// A resource type as the resource editor shows and reads it: four bytes, most significant first, as
// characters and as numbers, "'gb??'  '103-98-1-2'".

#include <QString>

#include <cstdint>
#include <optional>

// "'%c%c%c%c'  '%d-%d-%d-%d'": letters, digits, æøåÆØÅ, space and "-_*+" show as themselves, any other
// byte as "?".
QString FormatResType(std::int32_t type);

// Reads a type typed by a person: empty gives 0; otherwise, trimmed, either exactly four characters of
// the 8-bit character set (their codes, the first most significant) or four numbers 0 to 255 joined by
// "-" ("65-125-77-98"). Anything else is refused; with `showMessage` the person is told the two forms.
std::optional<std::int32_t> ParseResType(const QString& text, bool showMessage);
