#include "core/WordEditorHooks.h"

#include <utility>

CQuibW_Frame* theWordEditorFrame = nullptr;

void ResetWordEditorFrame()
{
    theWordEditorFrame = nullptr;
}

namespace
{

WordEditorHooks& hooks()
{
    static WordEditorHooks installed;
    return installed;
}

} // namespace

void InstallWordEditorHooks(WordEditorHooks newHooks)
{
    hooks() = std::move(newHooks);
}

bool IsWordEditorOpen()
{
    return theWordEditorFrame != nullptr;
}

void WordEditorFrameSelectWord(CQuibWord* word)
{
    if (IsWordEditorOpen() && hooks().frameSelectWord)
        hooks().frameSelectWord(word);
}

void WordEditorTreeSelectWord(CQuibWord* word)
{
    if (IsWordEditorOpen() && hooks().treeSelectWord)
        hooks().treeSelectWord(word);
}

void WordEditorSetChanged(bool changed)
{
    if (IsWordEditorOpen() && hooks().setChanged)
        hooks().setChanged(changed);
}

void WordEditorSetCurrentWord(CQuibWord* word)
{
    if (IsWordEditorOpen() && hooks().setCurrentWord)
        hooks().setCurrentWord(word);
}
