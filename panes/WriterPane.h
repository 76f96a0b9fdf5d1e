#pragma once
// The writer pane: the strip at the foot of the window in which a person gathers a sentence of icons
// and has it read aloud or printed. It shows the current user's current sentence as a row of icons
// (picture above, text below) with eight tool icons of its own around the strip and a navigation box
// with the sentence number. The sentences are records of the user's file; the user keeps their ids in
// order, the index of the current one and the most a person may have.
//
// Geometry: the strip, the tools and the sentence icons are laid out in strip coordinates, whose
// origin is the top-left corner of the pane's draw rectangle (the pane without its edges and bands),
// where the pane draws its own icons too. The sentence icons' ScreenRect is the picture box and their
// DrawnRect the text box under it.

#include "panes/Pane.h"
#include "panes/SentenceReader.h"
#include "platform/types/Hook.h"
#include "store/StoredFont.h"

#include <QPainterPath>

#include <array>
#include <cstdint>
#include <memory>

class CQuibSentence;
class CQuibUser;
class CWriterToolIcon;

// Bits of the pane's Style: text under the pictures, and two state bits.
constexpr std::uint32_t kWriterPaneStyle = 0xB0F01;
constexpr std::uint32_t kWriterShowsText = 0x80000;
constexpr std::uint32_t kWriterLayoutNeeded = 0x100000;     // the row must be laid out before drawing
constexpr std::uint32_t kWriterSentenceSelected = 0x200000; // the whole sentence is the copy source

constexpr COLORREF kWriterStripColor = 0xDCDCC8;
inline constexpr char kWriterLabelFont[] = "-16,0,0,0,700,0,0,0,0,1,2,1,34,MS Sans Serif,0";
constexpr int kWriterPictureSize = 48;
constexpr int kWriterScrollStep = 50;
// The cursor over the strip where a click would insert the icon to insert.
constexpr int kWriterInsertCursor = 245;
// An x that InsertIcon always takes as "at the tail" (the browse pane's pencil, a paste).
constexpr int kInsertAtTail = 0x7FFFFFFE;
// SentenceIconPositionAt: no sentence icon there.
constexpr int kNoSentenceIcon = -1;

// The display modes of a sentence, in the order the display-mode tool steps through them: the system
// words whose ids the sentence keeps as its intention sign.
constexpr std::array<std::int32_t, 4> kSentenceDisplayModes{2364, 2365, 2366, 2367};
// The mode after `mode`: the first one after the last, and from any value that is none of them.
std::int32_t NextSentenceDisplayMode(std::int32_t mode);

// The tool icons, in the order of the pane's child icons.
enum class WriterTool { ScrollBack, ScrollForward, Delete, ReadAloud, Print, DisplayMode, Previous, Next };
constexpr int kWriterToolCount = 8;

class CWriterPane : public CPane
{
public:
    CWriterPane();
    ~CWriterPane() override;

    void SetOwnerWnd(CPaneOwner* owner) override { CPane::SetOwnerWnd(owner); }
    void DrawIcons(QPainter& dc) override;
    void DrawContent(QPainter& dc) override;
    bool ContainsIcon(const CQuibIcon* icon) const override;
    CQuibIcon* IconAt(int x, int y) const override;
    // A press in the strip is the writer's own: it never reaches the focus pane.
    bool OnLButtonDown(unsigned /*flags*/, int /*x*/, int /*y*/, std::uint32_t /*tick*/) override
    {
        return true;
    }
    bool OnMouseMove(unsigned flags, int x, int y, std::uint32_t tick, bool updateCursor) override;
    bool OnClick(unsigned flags, int x, int y, std::uint32_t tick) override;
    void UpdateLayout(bool force) override;
    void ResetPane() override;

    // Writes the shown sentence when it changed and drops it, then shows the user's sentence at
    // `index`, or a new one at the end when the index lies outside the list or its record is missing.
    void ShowSentence(int index);
    // A new empty sentence after list position `after` (at the head when negative), shown; false when
    // the user has the most sentences already, or no user is current.
    bool NewSentence(int after);
    // Puts `icon` into the shown sentence at client x: a copy of an icon from elsewhere, or the icon
    // itself moved when it is one of the sentence's.
    void InsertIcon(CQuibIcon* icon, int x, int y);
    // The one selected icon; else the information pane's own icon while it shows one; else none.
    CQuibIcon* GetIconToInsert() const;
    // The list position of the sentence icon whose picture or text box holds the client point.
    int SentenceIconPositionAt(int x, int y) const;
    // The selection changed: a single icon selected in the browse tool ends the whole-sentence copy.
    void OnSelectionChanged();
    // An icon of the shown sentence changed its word ("next inflexion"): the sentence is committed and
    // laid out again.
    void OnSentenceIconChanged();

    // The read-aloud tool reads the shown sentence (panes/SentenceReader.h); a change of the sentence
    // ends the reading.
    bool IsReadingAloud() const { return m_reader.IsRunning(); }
    CSentenceReader& Reader() { return m_reader; }

    CQuibSentence* ShownSentence() const { return m_sentence.get(); }
    CWriterToolIcon* Tool(WriterTool tool) const { return m_tools[static_cast<std::size_t>(tool)]; }
    // In client coordinates.
    CRect SentenceRect() const { return toClient(m_sentenceRect); }
    CRect VisibleRect() const { return toClient(m_visibleRect); }
    CRect NavigationRect() const { return toClient(m_navigationRect); }
    CRect ToolRect(WriterTool tool) const;
    const CStoredFont& LabelFont() const { return m_labelFont; }

private:
    CRect toClient(const CRect& rect) const;
    CPoint toStrip(int x, int y) const;
    CRect stripArea() const;
    bool inSentenceRegion(int x, int y) const;
    bool inNavigationRegion(int x, int y) const;
    bool toolEnabled(WriterTool tool) const;
    bool isTool(const CQuibIcon* icon, WriterTool tool) const;
    bool sentenceHolds(const CQuibIcon* icon) const;
    std::vector<const CQuibIconList*> ownIconLists() const override;

    void makeTools();
    void layOutStrip();
    void placeTool(WriterTool tool, const CRect& rect);
    void layOutRow();
    void updateScrollTools();
    void showDisplayMode();

    void dropShownSentence(bool writeChanges);
    bool loadSentence(int index);
    void createSentenceAtEnd();
    void sentenceChanged();
    void scrollRow(int by);
    void stepToNextSentence();
    void stepToPreviousSentence();
    void selectWholeSentence();
    void deleteWithTool(CQuibIcon* toInsert);
    void removeShownSentence();
    void stepDisplayMode();
    void invalidateIcon(const CQuibIcon& icon);

    void drawSentenceIcons(QPainter& dc);
    void drawDisplayModeText(QPainter& dc);

    CRect m_area; // the draw rectangle at the last layout, in client coordinates
    CRect m_sentenceRect;
    QPainterPath m_sentenceRegion;
    CRect m_outerRect;
    CRect m_visibleRect;
    CRect m_navigationRect;
    QPainterPath m_navigationRegion;
    CRect m_numberRect;
    std::array<CWriterToolIcon*, kWriterToolCount> m_tools{}; // owned through the child icons
    CStoredFont m_labelFont;
    COLORREF m_stripColor = kWriterStripColor;
    std::unique_ptr<CQuibSentence> m_sentence;
    const CQuibUser* m_sentenceUser = nullptr; // the user whose sentence is shown
    int m_pictureSize = kWriterPictureSize;
    // While it waits for a sound the reading lets the icon under the mouse go on animating its cursor.
    CSentenceReader m_reader{[this](const CQuibIcon& icon) { invalidateIcon(icon); },
                             [this] { OnIdleHover(); }};
};

extern CWriterPane theWriterPane;

// "Next inflexion" on an icon a pane shows: an icon of the writer pane (its sentence's, as a rule)
// takes the inflexion as its word, and the sentence changes with it.
void StepInflexion(CQuibIcon& icon);
