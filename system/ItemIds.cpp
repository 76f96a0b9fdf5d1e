#include "system/ItemIds.h"

#include "core/ResourceManager.h"
#include "core/Utility.h"

namespace
{

ItemIdRandomSource& randomSource()
{
    static ItemIdRandomSource source;
    return source;
}

std::int32_t randomStart(std::int32_t first, std::int32_t last)
{
    if (randomSource())
        return randomSource()(first, last);
    return GetRandomInRange(first, last);
}

// Draws a start in [first, last), moves it to the first id unused in every open file and accepts it
// only inside [first, last].
std::int32_t newIdInRange(std::int32_t first, std::int32_t last)
{
    std::int32_t id = randomStart(first, last);
    if (FindUnusedId(&id) != RES_OK)
        return kNoItemId;
    if (id < first || id > last)
        return kNoItemId;
    return id;
}

} // namespace

void SetItemIdRandomSource(ItemIdRandomSource source)
{
    randomSource() = std::move(source);
}

std::int32_t NewItemId()
{
    return newIdInRange(kFirstUserItemId, kLastUserItemId);
}

std::int32_t NewSystemItemId()
{
    return newIdInRange(kFirstSystemItemId, kLastSystemItemId);
}

bool IsSystemItem(std::int64_t id)
{
    return id >= kFirstSystemId && id <= kLastSystemItemId;
}
