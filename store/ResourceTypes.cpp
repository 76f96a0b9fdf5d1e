#include "store/ResourceTypes.h"

std::int32_t MakeResType(std::int32_t bareType, std::int16_t kind, std::int16_t language)
{
    return bareType + ((kind & 255) << 8) + (language & 255);
}

std::int32_t MakeBgType(std::int16_t kind, std::int16_t language)
{
    return MakeResType(RESTYPE_BG, kind, language);
}

std::int32_t MakePictType(std::int16_t kind, std::int16_t language)
{
    return MakeResType(RESTYPE_PICT, kind, language);
}

std::int32_t MakeSoundType(std::int16_t kind, std::int16_t language)
{
    return MakeResType(RESTYPE_SOUND, kind, language);
}

std::int32_t MakeUserLevelType(std::int16_t kind, std::int16_t language)
{
    return MakeResType(RESTYPE_USERLEVEL, kind, language);
}

std::int32_t MakeAviType(std::int16_t kind, std::int16_t language)
{
    return MakeResType(RESTYPE_AVI, kind, language);
}

std::int32_t MakeWordType(std::int16_t number)
{
    return RESTYPE_WORD + number;
}

std::int32_t MakeSentenceType(std::int16_t number)
{
    return RESTYPE_SENTENCE + number;
}

int GetResTypeKind(std::int32_t type)
{
    return (type >> 8) & 255;
}

int GetResTypeLanguage(std::int32_t type)
{
    return type & 255;
}

bool IsSystemResId(std::int32_t id)
{
    return id >= 1000000000 && id < 0x3FFFFFFF;
}

std::int32_t MakeLanguageResId(int languageNumber)
{
    return RESID_LANGUAGE_BASE + languageNumber;
}
