#include "system/ItemIds.h"

#include "store/ResourceManager.h"
#include "store/Utility.h"

lumivo::Hook<std::int32_t(std::int32_t first, std::int32_t last)> theItemIdRandomHook{GetRandomInRange};

namespace
{

// Draws a start in [first, last), moves it to the first id unused in every open file and accepts it
// only inside [first, last].
std::int32_t newIdInRange(std::int32_t first, std::int32_t last)
{
    std::int32_t id = theItemIdRandomHook(first, last);
    if (FindUnusedId(&id) != RES_OK)
        return kNoItemId;
    if (id < first || id > last)
        return kNoItemId;
    return id;
}

} // namespace

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
