#pragma once
// The pictures of the default data set, drawn at build time: each word's emoji from the Noto Color Emoji
// font on white, and each page's background with its cards, at every frame size.

#include "tools/defaultdata/DataSources.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace lumivo::defaultdata
{

// True when the colour emoji font is installed; without it the pictures would be empty boxes.
bool haveEmojiFont();

// The emoji drawn as large as fits a white square of `side` pixels, with a small margin.
QImage renderEmoji(const QString& emoji, int side);

// The edge of a cell's card: a link's in the colour of the page it opens, so that the way there and back
// is recognised.
QColor cardEdgeColour(const PageSource& page, const CellSource& cell, const DataSources& sources);

// The page's background at `size`: its colour, and a card under each cell that holds something.
QImage renderPagePicture(const PageSource& page, const DataSources& sources, QSize size);

} // namespace lumivo::defaultdata
