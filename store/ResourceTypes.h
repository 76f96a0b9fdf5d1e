#pragma once
// Resource types and ids. Every record of the store is keyed by a file number, a 32-bit type and a
// 32-bit id. The type's high word is 'g' plus a class letter; its low word holds either a kind byte
// and a language byte, or one 16-bit number (words and sentences). Types and ids compare as signed
// 32-bit numbers.

#include <cstdint>

// Bare types (the type of an unbound handle) and the whole-constant types.
constexpr std::int32_t RESTYPE_AVI = 0x67610000;       // clip
constexpr std::int32_t RESTYPE_BG = 0x67620000;        // page
constexpr std::int32_t RESTYPE_SENTENCE = 0x67630000;  // sentence
constexpr std::int32_t RESTYPE_PICT = 0x67700000;      // picture
constexpr std::int32_t RESTYPE_SOUND = 0x67730000;     // sound
constexpr std::int32_t RESTYPE_USERLEVEL = 0x67750000; // user level
constexpr std::int32_t RESTYPE_WORD = 0x67770000;      // word
constexpr std::int32_t RESTYPE_USER = 0x675F7573;      // user record
constexpr std::int32_t RESTYPE_SYSTEM = 0x675F7373;    // language record
constexpr std::int32_t RESTYPE_STRING = 0x63737472;    // text resource
constexpr std::int32_t RESTYPE_BYTES = 0;              // byte array

// Id ranges. Id 0 means "no id" (a record not yet placed, or dead space).
constexpr std::int32_t RESID_NONE = 0;
constexpr std::int32_t RESID_USER_FIRST = 1;
constexpr std::int32_t RESID_USER_LAST = 999999999;
constexpr std::int32_t RESID_SYSTEM_FIRST = 1000000001;
constexpr std::int32_t RESID_SYSTEM_LAST = 0x3FFFFFFE;
constexpr std::int32_t RESID_USER_RECORD = 0x7FFFFFFE; // the user record in its user file
constexpr std::int32_t RESID_LANGUAGE_BASE = 1000;     // a language record is 1000 + language number

// Type makers: tag + ((kind & 255) << 8) + (language & 255).
std::int32_t MakeResType(std::int32_t bareType, std::int16_t kind, std::int16_t language);
std::int32_t MakeBgType(std::int16_t kind, std::int16_t language);
std::int32_t MakePictType(std::int16_t kind, std::int16_t language);
std::int32_t MakeSoundType(std::int16_t kind, std::int16_t language);
std::int32_t MakeUserLevelType(std::int16_t kind, std::int16_t language);
std::int32_t MakeAviType(std::int16_t kind, std::int16_t language); // behind CQuibAvi::MakeType

// Words and sentences: tag + the signed 16-bit number, sign-extended (only 0..32767 keep the tag).
std::int32_t MakeWordType(std::int16_t number);
std::int32_t MakeSentenceType(std::int16_t number);

// The kind byte (bits 8-15) and the language byte (bits 0-7) of a type.
int GetResTypeKind(std::int32_t type);
int GetResTypeLanguage(std::int32_t type);

// An id of the system's own items: at least 1,000,000,000 and below 0x3FFFFFFF.
bool IsSystemResId(std::int32_t id);
std::int32_t MakeLanguageResId(int languageNumber);
