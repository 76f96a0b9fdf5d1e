#include "tools/defaultdata/Layout.h"

namespace lumivo::defaultdata
{

namespace
{

constexpr int kMarginX = 24;
constexpr int kGapX = 18;
constexpr int kMarginY = 36;
constexpr int kGapY = 30;
constexpr int kLabelShare = 30; // per cent of the card's height given to the text
constexpr int kInset = 5;       // per cent of the card's width between its edge and the picture

int span(int count, int margin, int gap)
{
    return (1000 - 2 * margin - (count - 1) * gap) / count;
}

CardLayout card(const CRect& rect)
{
    const int inset = rect.Width() * kInset / 100;
    const int split = rect.bottom - rect.Height() * kLabelShare / 100;
    return {rect, CRect(rect.left + inset, rect.top + inset, rect.right - inset, split),
            CRect(rect.left + inset, split, rect.right - inset, rect.bottom - inset / 2)};
}

} // namespace

std::vector<CardLayout> gridLayout(int columns, int rows)
{
    const int width = span(columns, kMarginX, kGapX);
    const int height = span(rows, kMarginY, kGapY);
    std::vector<CardLayout> cards;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int left = kMarginX + column * (width + kGapX);
            const int top = kMarginY + row * (height + kGapY);
            cards.push_back(card(CRect(left, top, left + width, top + height)));
        }
    }
    return cards;
}

QRectF onPage(const CRect& perMille, QSize size)
{
    return QRectF(perMille.left * size.width() / 1000.0, perMille.top * size.height() / 1000.0,
                  perMille.Width() * size.width() / 1000.0, perMille.Height() * size.height() / 1000.0);
}

} // namespace lumivo::defaultdata
