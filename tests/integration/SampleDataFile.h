#pragma once
// One data file with a bit of everything the program keeps in it (language records, a user with
// every field set, user levels, words in two languages, a picture, a sound and a clip), built through
// the real classes, and the checks that read all of it back through the look-ups a running program
// uses.

#include "core/Clip.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/UserLevel.h"
#include "core/Word.h"
#include "platform/wave/WaveBlock.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace lumivo::test
{

constexpr std::uint16_t kDanish = 2;
constexpr std::uint16_t kEnglish = 9;

constexpr std::int32_t kUserId = 1234;
constexpr std::int32_t kPictureId = 201;
constexpr std::int16_t kPictureKind = 1;
constexpr std::int32_t kSoundId = 301;
constexpr std::int16_t kSoundKind = 0;
constexpr std::int32_t kClipId = 401;
constexpr std::int16_t kClipKind = 1;

struct SampleWord {
    std::int32_t id;
    std::uint16_t language;
    const char* name;
    std::int16_t form;
    std::vector<std::int32_t> family;
    std::vector<std::int32_t> synonyms;
    const char* description;
    std::int16_t flags;
};

struct SampleLevel {
    std::uint16_t number;
    std::uint16_t language;
    const char* name;
    std::int32_t value;
};

// Everything the sample file holds, kept apart so that what is read back can be compared with it.
struct SampleContent {
    std::vector<SampleWord> words;
    std::vector<SampleLevel> levels;
    RgbImage image;
    lumivo::wave::WaveBlock wave;
    std::vector<std::uint8_t> clip; // the bytes of an AVI file; empty when none could be made
};

SampleContent MakeSampleContent(const QString& workFolder);
void SetEveryDanishUserField(CQuibUser& user);

// Writes the content into a new data file at `path` and saves it with compaction; the file stays open
// (not filed as a data file). Returns its number, 0 on failure (with a test failure recorded).
int WriteSampleDataFile(const QString& path, const SampleContent& content);

// Makes `workFolder` the program's base folder and leaves the sample content there as the closed
// data file "Data/sample.tvf", waiting to be scanned. False when it could not be written.
bool PlaceSampleDataFile(const QString& workFolder, const SampleContent& content);

// Writes words that have only a name into an open file, in one language. False on the first failure.
bool WriteNamedWords(int file, int language,
                     std::initializer_list<std::pair<std::int32_t, const char*>> words);

// Files the open data files the way the start-up sequence does: the language records, the active
// files, Danish first then English as the search languages, the word index.
void MakeDanishCurrent();

// Checks every object of `content` through the finders by id, the word index and the level maps.
void ExpectSampleContent(const SampleContent& content, int file);

} // namespace lumivo::test
