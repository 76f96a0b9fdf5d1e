#pragma once
// Ids of stored items. Items the user makes get ids from 1 to 999,999,999; items of the system (pages
// and words made in the data files) from 1,000,000,001 to 1,073,741,822. An id is drawn at random and
// moved up to the first id that no record of any open file uses, so two people editing different
// files rarely pick the same id.

#include "platform/types/Hook.h"

#include <cstdint>

constexpr std::int32_t kFirstUserItemId = 1;
constexpr std::int32_t kLastUserItemId = 999'999'999;
constexpr std::int32_t kFirstSystemId = 1'000'000'000; // counts as a system id, but is never made
constexpr std::int32_t kFirstSystemItemId = 1'000'000'001;
constexpr std::int32_t kLastSystemItemId = 1'073'741'822; // 0x3FFFFFFE

// What the id generators return when no id could be made (store error, range exhausted). Every caller
// must test for it: it is never a valid id.
constexpr std::int32_t kNoItemId = -1;

// A new id for an item the user makes, or kNoItemId.
std::int32_t NewItemId();
// A new id for a system item, or kNoItemId.
std::int32_t NewSystemItemId();
// Where the random starts come from: the program's wide random function unless a test installs its own
// (given the range [first, last), it returns a number in it).
extern lumivo::Hook<std::int32_t(std::int32_t first, std::int32_t last)> theItemIdRandomHook;

// TRUE for 1,000,000,000 <= id < 1,073,741,823.
bool IsSystemItem(std::int64_t id);
