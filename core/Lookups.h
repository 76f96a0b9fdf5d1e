#pragma once
// Loading stored items by id from the active data files. Every finder walks the languages of the
// search list in order (outer loop) and, for each, the active files from the end of the list back to
// its start (inner loop). When an object is given, the walk starts at that object's file instead, so
// the files behind it are not searched: a user's copy in a later file hides nothing from an item that
// was itself found in an earlier one. The first record found is attached to a new object that the
// caller owns; nothing is loaded and no message is shown.

#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CQuibWord;
class CQuibPict;
class CQuibAvi;
class CQuibSound;
class CQuibBg;
class CQuibUserLevel;

// The active files in the order a finder walks them: from the given object's file (or the last file)
// back to the first, leaving out numbers below 1 and `skipFile`.
std::vector<int> FilesToSearch(const CMyRes* startObject, int skipFile = 0);

// The languages of the search list, in order.
std::vector<std::uint16_t> SearchLanguageList();

// The sound finder's languages: current, second, system language; each once, none that is 0.
std::vector<std::uint16_t> SoundLanguageList();

bool HasActiveFiles();

// The walk shared by every finder: `typeOf` gives the record type for a language.
template <class T>
std::unique_ptr<T> FindAttachedById(std::int32_t id, const std::vector<std::uint16_t>& languages,
                                    const std::function<std::uint32_t(std::uint16_t)>& typeOf,
                                    const CMyRes* startObject, int skipFile = 0)
{
    if (!HasActiveFiles())
        return nullptr;
    const std::vector<int> files = FilesToSearch(startObject, skipFile);
    for (std::uint16_t language : languages) {
        const std::uint32_t type = typeOf(language);
        for (int file : files) {
            if (!ResourceExists(id, type, file))
                continue;
            auto found = std::make_unique<T>();
            if (AttachResource(found.get(), id, type, file) == 0)
                return found;
        }
    }
    return nullptr;
}

std::unique_ptr<CQuibWord> FindWordById(std::int32_t id, const CMyRes* startObject = nullptr);
std::unique_ptr<CQuibUserLevel> FindUserLevelById(std::int32_t id, const CMyRes* startObject = nullptr);

// The finders of media and pages are templates over their class, so that this header needs only the
// classes' names; a call instantiates them where the class is known. Each returns the new attached
// object of the first record found, or null.

template <class Picture = CQuibPict>
std::unique_ptr<Picture> FindPictureById(std::int32_t id, int kind, const CMyRes* startObject = nullptr)
{
    return FindAttachedById<Picture>(
        id, SearchLanguageList(),
        [kind](std::uint16_t language) { return MakePictType(std::int16_t(kind), std::int16_t(language)); },
        startObject);
}

template <class Clip = CQuibAvi>
std::unique_ptr<Clip> FindAviById(std::int32_t id, int kind, const CMyRes* startObject = nullptr)
{
    return FindAttachedById<Clip>(
        id, SearchLanguageList(),
        [kind](std::uint16_t language) { return MakeAviType(std::int16_t(kind), std::int16_t(language)); },
        startObject);
}

// Sounds are looked for in the current, the second and the system language only.
template <class Sound = CQuibSound>
std::unique_ptr<Sound> FindSoundById(std::int32_t id, int kind, const CMyRes* startObject = nullptr)
{
    return FindAttachedById<Sound>(
        id, SoundLanguageList(),
        [kind](std::uint16_t language) { return MakeSoundType(std::int16_t(kind), std::int16_t(language)); },
        startObject);
}

// `skipFile` is left out of the walk (the file a page is being copied from, say).
template <class Page = CQuibBg>
std::unique_ptr<Page> FindBackgroundById(std::int32_t id, int kind, const CMyRes* startObject = nullptr,
                                         int skipFile = 0)
{
    return FindAttachedById<Page>(
        id, SearchLanguageList(),
        [kind](std::uint16_t language) { return MakeBgType(std::int16_t(kind), std::int16_t(language)); },
        startObject, skipFile);
}

// The page object the page index already holds for the id, searched in the same order as the finders;
// null when none. The index keeps it: the caller must not delete it.
CMyRes* FindLoadedBackgroundObject(std::int32_t id, int skipFile = 0);

template <class Page = CQuibBg>
Page* FindLoadedBackground(std::int32_t id, int /*unused*/ = 0, int skipFile = 0)
{
    return static_cast<Page*>(FindLoadedBackgroundObject(id, skipFile));
}
