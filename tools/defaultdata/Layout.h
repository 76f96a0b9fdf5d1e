#pragma once
// Where the cells of a page lie, in per mille of the page, so that the page's pictures (one per frame
// size) and its icons agree at every size. A cell is a card: the picture above, the text below.

#include "platform/types/WinTypes.h"

#include <QRect>
#include <QSize>

#include <vector>

namespace lumivo::defaultdata
{

struct CardLayout {
    CRect card;    // the whole card
    CRect picture; // the icon that shows the word's picture
    CRect label;   // the icon that shows the word's text
};

// The cards of a grid of `columns` x `rows`, left to right, then top to bottom.
std::vector<CardLayout> gridLayout(int columns, int rows);

// A per-mille rectangle on a page of `size` pixels.
QRectF onPage(const CRect& perMille, QSize size);

} // namespace lumivo::defaultdata
