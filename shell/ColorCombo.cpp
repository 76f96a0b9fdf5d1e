#include "shell/ColorCombo.h"

#include "platform/types/WinTypes.h"
#include "shell/ColorDialogs.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace
{

constexpr int kSwatchMargin = 2;

struct EntryLook {
    const CColor* color = nullptr;
    QString text;
    bool selected = false;
    bool focused = false;
    bool swatch = false;
};

void drawSwatch(QPainter& painter, const QRect& swatch, const CColor& color)
{
    painter.fillRect(swatch, toQColor(color.GetRGB()));
    painter.setPen(Qt::black);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (color.GetExtra() & CColorCombo::kExtraCrossed) {
        painter.drawLine(swatch.topLeft(), swatch.bottomRight());
        painter.drawLine(swatch.topRight(), swatch.bottomLeft());
    }
}

void drawEntry(QPainter& painter, const QRect& rect, const EntryLook& look, const QPalette& palette,
               QFont font)
{
    painter.save();
    painter.fillRect(rect, palette.color(look.selected ? QPalette::Highlight : QPalette::Base));
    QRect textRect = rect.adjusted(kSwatchMargin, 0, -kSwatchMargin, 0);
    if (look.swatch && look.color) {
        const int side = rect.height() - 2 * kSwatchMargin;
        const QRect swatch(rect.left() + kSwatchMargin, rect.top() + kSwatchMargin, 2 * side, side);
        drawSwatch(painter, swatch, *look.color);
        textRect.setLeft(swatch.right() + 2 * kSwatchMargin);
    }
    if (look.color && (look.color->GetExtra() & CColorCombo::kExtraItalic))
        font.setItalic(true);
    painter.setFont(font);
    painter.setPen(palette.color(look.selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, look.text);
    if (look.focused) {
        painter.setPen(Qt::DotLine);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

} // namespace

class CColorCombo::EntryDelegate : public QStyledItemDelegate
{
public:
    explicit EntryDelegate(CColorCombo& combo) : QStyledItemDelegate(&combo), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const EntryLook look{m_combo.ColorAt(index.row()), m_combo.EntryText(index.row()),
                             (option.state & QStyle::State_Selected) != 0,
                             (option.state & QStyle::State_HasFocus) != 0, m_combo.ShowsSwatch()};
        drawEntry(*painter, option.rect, look, option.palette, option.font);
    }

private:
    CColorCombo& m_combo;
};

class CColorCombo::FillAdapter : public CColorComboTarget
{
public:
    explicit FillAdapter(CColorCombo& combo) : m_combo(combo) {}
    void ResetContent() override { m_combo.Clear(); }
    void InsertColor(const CColor& color) override { m_combo.InsertColor(-1, &color); }
    bool SelectColor(std::uint32_t packed) override { return m_combo.SelectColor(packed) >= 0; }
    bool HasUserDefinableEntry() const override { return m_combo.UserDefinableIndex() >= 0; }
    void SortItems() override { m_combo.SortItems(); }

private:
    CColorCombo& m_combo;
};

CColorCombo::CColorCombo(QWidget* parent)
    : QComboBox(parent), m_fillTarget(std::make_unique<FillAdapter>(*this))
{
    setItemDelegate(new EntryDelegate(*this));
}

CColorCombo::~CColorCombo() = default;

void CColorCombo::SetShowNumbers(bool show)
{
    m_showNumbers = show;
    update();
}

void CColorCombo::SetShowSwatch(bool show)
{
    m_showSwatch = show;
    update();
}

CColorComboTarget& CColorCombo::FillTarget()
{
    return *m_fillTarget;
}

const CColor* CColorCombo::ColorAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_colors.size()))
        return nullptr;
    return m_colors[static_cast<std::size_t>(index)].get();
}

QString CColorCombo::EntryText(int index) const
{
    const CColor* color = ColorAt(index);
    QString text = itemText(index);
    if (text.isEmpty() && color)
        text = color->GetName();
    if (m_showNumbers && color)
        text += QStringLiteral(" [%1]").arg(color->GetID());
    return text;
}

int CColorCombo::InsertColor(int index, const CColor* color)
{
    if (!color)
        return -1;
    const int count = static_cast<int>(m_colors.size());
    if (index < 0 || index > count)
        index = count;
    if (index < count) {
        removeItem(index);
        m_colors.erase(m_colors.begin() + index);
    }
    m_colors.insert(m_colors.begin() + index, std::make_unique<CColor>(color));
    insertItem(index, color->GetName());
    return index;
}

int CColorCombo::AddColors(const CQuibColorTable& table)
{
    int added = 0;
    for (const auto& [number, color] : table) {
        if (color && (color->GetExtra() & kColorExtraShown) && InsertColor(-1, color.get()) >= 0)
            ++added;
    }
    return added;
}

int CColorCombo::SelectColor(std::uint32_t packed)
{
    const int id = CColor::PackedID(packed);
    int found = -1;
    if (id == 0) {
        found = UserDefinableIndex();
    } else {
        for (int index = static_cast<int>(m_colors.size()) - 1; index >= 0 && found < 0; --index) {
            if (m_colors[static_cast<std::size_t>(index)]->GetID() == id)
                found = index;
        }
    }
    setCurrentIndex(found);
    return found;
}

bool CColorCombo::GetItemColor(int index, CColor& color) const
{
    const CColor* entry = ColorAt(index);
    if (!entry)
        return false;
    color.Init(entry);
    return true;
}

bool CColorCombo::FindColorById(int number, CColor& color) const
{
    for (const auto& entry : m_colors) {
        if (entry->GetID() == number) {
            color.Init(entry.get());
            return true;
        }
    }
    return false;
}

bool CColorCombo::GetItemPacked(int index, std::uint32_t& packed) const
{
    const CColor* entry = ColorAt(index);
    if (!entry)
        return false;
    packed = entry->GetPacked();
    return true;
}

int CColorCombo::UserDefinableIndex() const
{
    for (std::size_t index = 0; index < m_colors.size(); ++index) {
        if (m_colors[index]->GetExtra() & kColorExtraUserDefinable)
            return static_cast<int>(index);
    }
    return -1;
}

int CColorCombo::SortItems()
{
    const CColor* selected = ColorAt(currentIndex());
    std::vector<std::unique_ptr<CColor>> colors = std::move(m_colors);
    std::stable_sort(colors.begin(), colors.end(),
                     [](const auto& a, const auto& b) { return a->GetID() < b->GetID(); });
    Clear();
    int selectedIndex = -1;
    for (auto& color : colors) {
        if (color.get() == selected)
            selectedIndex = static_cast<int>(m_colors.size());
        addItem(color->GetName());
        m_colors.push_back(std::move(color));
    }
    setCurrentIndex(selectedIndex);
    return selectedIndex;
}

void CColorCombo::Clear()
{
    QComboBox::clear();
    m_colors.clear();
}

bool CColorCombo::PickCustomColor()
{
    const int index = currentIndex();
    if (index < 0)
        return false;
    if (index != UserDefinableIndex())
        return true;
    CColor& entry = *m_colors[static_cast<std::size_t>(index)];
    COLORREF rgb = entry.GetRGB();
    if (!PickColor(rgb))
        return false;
    entry.SetRGB(rgb);
    update();
    return true;
}

void CColorCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = {};
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int index = currentIndex();
    if (index < 0)
        return;
    const EntryLook look{ColorAt(index), EntryText(index), false, hasFocus(), m_showSwatch};
    drawEntry(painter, field, look, palette(), font());
}
