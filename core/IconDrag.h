#pragma once
// Icons carried between the program's windows by drag and drop. The drag data names the icon by this
// process's id and a token that a table of live icons resolves, never by its address: data that another
// process offers, or that names an icon deleted since, resolves to nothing.

#include "platform/types/Hook.h"

#include <Qt>

#include <cstdint>
#include <memory>

class CQuibIcon;
class QDrag;
class QMimeData;

// The MIME type of the icon format ("TavimoIcon").
extern const char* const kIconMimeType;

// The drag data of a live icon.
std::unique_ptr<QMimeData> MakeIconDragData(CQuibIcon& icon);
// The icon that drag data names, when it comes from this process and the icon still lives; else none.
CQuibIcon* IconFromDragData(const QMimeData* data);
// Takes the icon out of the table of live icons (its destructor calls this).
void ForgetDraggedIcon(const CQuibIcon* icon);

// Runs a drag and gives the action it ended with; QDrag::exec with the move action by default. Tests
// install their own.
extern lumivo::Hook<Qt::DropAction(QDrag& drag)> theIconDragHook;

// Empties the table of live icons and puts the executor back.
void ResetIconDrag();
