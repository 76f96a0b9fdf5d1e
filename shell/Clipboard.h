#pragma once
// Copy, cut and paste of the edit menu. What a copy takes is the copy source: one icon (the single
// selected icon, which the selection keeps current), the writer pane's whole sentence, or a plain text;
// at most one of them is set at a time. An icon travels through the system clipboard in the program's
// own format (the icon's archive stream) with its word text beside it as plain text; a sentence and a
// text travel as plain text only.
//
// Pasting follows the edit tool: in browse, the clipboard's text becomes sentences of icons in the
// writer pane; in an editing tool, an icon of the program's format is put on the focus pane's page
// (or the main pane's), which is then stored unless the page editor or the output file keeps it.

#include "platform/types/WinTypes.h"

#include <QString>

#include <optional>

class CQuibIcon;
class CQuibSentence;
class QByteArray;
class QMimeData;

// The clipboard format of an icon: the bytes of the icon's archive stream, nothing before or behind,
// whose rectangle field holds the pixel rectangle of the icon in its pane (not per mille).
inline constexpr char kIconClipboardMimeType[] = "application/x-lumivo-icon";
// An icon pasted smaller than this on either side becomes this square.
constexpr int kPastedIconMinimumSize = 48;

// The copy source. The icon and the sentence are not owned: they forget themselves when they die.
extern CQuibIcon* theCopyIcon;
extern CQuibSentence* theCopySentence;
extern QString theCopyText;

// The selection changed: the single selected icon becomes the copy source, any other selection clears it.
void OnClipboardSelectionChanged();
// The icon or the sentence is about to die: the copy source forgets it when it is that one.
void ForgetCopyIcon(const CQuibIcon* icon);
void ForgetCopySentence(const CQuibSentence* sentence);
void ClearCopySource();
void SetCopyIcon(CQuibIcon* icon);
// Kept only when the sentence holds an icon.
void SetCopySentence(CQuibSentence* sentence);
void SetCopyText(const QString& text);

bool CanCopy();
// The copy icon lies on an editable, unlocked pane, is the only selection, may be deleted (flag 0x4000
// clear) and the tool is an editing tool.
bool CanCut();
// Browse: the clipboard has text. Editing tools: it has an icon and the focus or main pane is editable.
bool CanPaste();

// The commands; each answers whether it changed the clipboard or the pages.
bool CopyToClipboard();
bool CutToClipboard();
bool PasteFromClipboard();

// The three writers: each replaces what the clipboard held; false when there was nothing to put there.
bool CopyIconToClipboard(CQuibIcon& icon);
bool CopySentenceToClipboard(CQuibSentence& sentence);
bool CopyTextToClipboard(const QString& text);

// The clipboard bytes of an icon: the stream of a copy whose stored rectangle is the icon's pixel rectangle.
QByteArray IconClipboardBytes(const CQuibIcon& icon);
// Loads `icon` from clipboard bytes. Any program may put bytes there, so the stream is read within
// them: false (and `icon` unusable) when it is short, malformed, followed by more bytes or larger than
// any icon's stream (64 KB).
bool ReadIconStream(const QByteArray& bytes, CQuibIcon& icon);
bool ReadIconFromClipboard(const QMimeData* data, CQuibIcon& icon);

// Where an icon that carried `carried` (pixels, any values) is pasted on a pane that covers `paneArea`
// of its page: at least kPastedIconMinimumSize square, made smaller with its proportions kept where it is
// larger than the pane, centred on the pane, snapped to the grid when snapping is on, and always inside
// the pane; none when the pane is smaller than the minimum size, and then nothing is pasted.
std::optional<CRect> PastedIconRect(CRect carried, const CRect& paneArea);

// The text of a sentence as a copy gives it: the icons' texts with blanks between, the first letter
// upper case and "?" or "." behind by the sentence's ending; empty for a sentence without text.
QString SentenceClipboardText(CQuibSentence& sentence);

// Empties the copy source. (WireShell connects the clipboard to the writer pane and the model's
// events.)
void ResetClipboard();
