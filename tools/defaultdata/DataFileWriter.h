#pragma once
// Writes the default data set through the program's own stored classes: the data file of the Data
// folder and the template user file of the Users folder.

#include "tools/defaultdata/DataSources.h"

#include <QString>

#include <cstdint>

namespace lumivo::defaultdata
{

// The languages of the data set, as the program's language records number them.
constexpr std::uint16_t kDanish = 2;
constexpr std::uint16_t kEnglish = 9;
// What does not depend on a language (pictures) is stored for language 1, which every search ends
// with.
constexpr std::uint16_t kAnyLanguage = 1;
constexpr std::int16_t kWordPictureKind = 10;  // any icon size
constexpr std::int16_t kRecordedSoundKind = 5; // played when an icon is activated
constexpr std::int16_t kPageKind = 1;
constexpr int kWordPictureSide = 160;

// The data file (kind 1) with language records, words, pictures, recorded sounds and pages. False with
// the reason in `error`; then no file is left at `path`.
bool writeDataFile(const DataSources& sources, const QString& path, QString& error);

// The template user file (kind 2): its user, under the template id, speaks with the language's own
// voice and starts on the start page.
bool writeTemplateUserFile(const DataSources& sources, const QString& path, QString& error);

} // namespace lumivo::defaultdata
