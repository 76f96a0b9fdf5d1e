#pragma once
// Drawing icons with QPainter, for the screen and later the printer: the shape clip, the picture (the
// icon's own or its word's, scaled once per size step and kept), the text fitted into the rectangle,
// frames, handles and labels, and the clip preview that plays inside the icon under the mouse.

#include "core/Icon.h"
#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CQuibPict;
class QFontMetrics;
class QPainter;

// Where and how an icon is drawn.
struct IconPaint {
    QPainter& painter;
    QPoint origin;                           // where the page's pixel (0, 0) lands
    bool editablePane = false;               // the pane's page may be edited
    bool writerPane = false;                 // the writer pane: pictures always in step 2
    const CQuibIcon* soleSelected = nullptr; // the one selected icon, when exactly one is
    bool spotFrames = false; // the main pane, for a user who wants frames as spots: every frame a spot
    bool linkBadges = false; // the main pane while its link-badge switch is on
};

// Frame colours of selected and entered icons (packed colours: the low three bytes are 0x00BBGGRR).
extern COLORREF theSelectedFrameColor;
extern COLORREF theEnteredFrameColor;
// kImageLibraryModel: pictures fitted into their size step's box by the icon's scaling bits; any other
// value: the bitmap model, which stretches them into a square box by the icon's size.
constexpr std::int16_t kImageLibraryModel = 2;
extern std::int16_t theImageModel;

// Finds the picture of a word or picture id for an icon of that size; LoadWordPicture by default.
// Tests install their own.
extern lumivo::Hook<std::unique_ptr<CQuibPict>(std::int32_t id, int width, int height)> theIconPictureFinder;

// The shell's timer that steps the clip preview: started with its interval, and stopped.
extern lumivo::Hook<void(int intervalMs)> theAviTimerStart;
extern lumivo::Hook<void()> theAviTimerStop;

// Closes the clip preview and puts the drawing state and its hooks back.
void ResetIconDrawing();

// Makes the scaled pictures of the icons that the next drawing would make, all at once on the
// processor's cores: a page shown for the first time decodes its pictures side by side. Drawing makes
// any picture this leaves out itself.
void PrepareIconPictures(const CQuibIconList& icons, bool writerPane);

// The picture kinds to try for an icon of that size, best first.
std::vector<int> PictureKindsForSize(int width, int height);
// The picture of that id for an icon of that size: per search language, the first kind of
// PictureKindsForSize that a file holds, from the latest file that holds it; none when there is none.
std::unique_ptr<CQuibPict> LoadWordPicture(std::int32_t id, int width, int height);

// Breaks the text into lines of at most `maxWidth` as `widthOf` measures them: at line feeds, carriage
// returns and not signs; after a space (dropped), "+", ",", "-", ".", ":" or ";"; or at a soft hyphen,
// which then shows as "-". Soft hyphens elsewhere vanish.
QString WrapText(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf);
QString WrapText(const QString& text, int maxWidth, const QFontMetrics& metrics);

// The font of icon texts: "Arial" (Liberation Sans by its metrics) at that pixel height.
QFont IconFont(int pixelHeight);

// The clip preview: the icon's word clip for its size, opened into a temporary file. Returns whether
// the icon became the preview icon.
bool OpenAviPreview(CQuibIcon* icon);
void CloseAviPreview();
// Starts the shell's timer, only while a preview is open; returns whether it started.
bool StartAviTimer();
void StopAviTimer();
// One timer step: the next frame (the first after the last), and the icon is redrawn.
void StepAviPreview();
const CQuibIcon* AviPreviewIcon();
int AviPreviewFrame();
