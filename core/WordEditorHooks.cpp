#include "core/WordEditorHooks.h"

CQuibW_Frame* theWordEditorFrame = nullptr;

lumivo::Hook<void(CQuibWord*)> theWordEditorFrameSelectWordHook{[](CQuibWord*) {}};
lumivo::Hook<void(CQuibWord*)> theWordEditorTreeSelectWordHook{[](CQuibWord*) {}};
lumivo::Hook<void(bool)> theWordEditorSetChangedHook{[](bool) {}};
lumivo::Hook<void(CQuibWord*)> theWordEditorSetCurrentWordHook{[](CQuibWord*) {}};

void ResetWordEditorFrame()
{
    theWordEditorFrame = nullptr;
    theWordEditorFrameSelectWordHook.reset();
    theWordEditorTreeSelectWordHook.reset();
    theWordEditorSetChangedHook.reset();
    theWordEditorSetCurrentWordHook.reset();
}

bool IsWordEditorOpen()
{
    return theWordEditorFrame != nullptr;
}

void WordEditorFrameSelectWord(CQuibWord* word)
{
    if (IsWordEditorOpen())
        theWordEditorFrameSelectWordHook(word);
}

void WordEditorTreeSelectWord(CQuibWord* word)
{
    if (IsWordEditorOpen())
        theWordEditorTreeSelectWordHook(word);
}

void WordEditorSetChanged(bool changed)
{
    if (IsWordEditorOpen())
        theWordEditorSetChangedHook(changed);
}

void WordEditorSetCurrentWord(CQuibWord* word)
{
    if (IsWordEditorOpen())
        theWordEditorSetCurrentWordHook(word);
}
