#include "authoring/WordSheetView.h"

#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "core/Word.h"
#include "system/OutputFile.h"

#include <QPushButton>

namespace
{

// Room for the largest page (the image page, with its preview and colour lists).
constexpr int kSheetWidth = 640;
constexpr int kSheetHeight = 520;

} // namespace

// ---- The sheet ----------------------------------------------------------------------------------------

CQuibW_PropSheet::CQuibW_PropSheet(CQuibW_Frame& frame)
    : m_frame(frame), m_basic(frame), m_info(frame), m_picture(frame), m_sound(frame), m_avi(frame)
{
    AddPage(m_basic);
    AddPage(m_info);
    AddPage(m_picture);
    AddPage(m_sound);
    AddPage(m_avi);
}

void CQuibW_PropSheet::LoadWord(bool anotherWord)
{
    m_basic.UpdateData(false);
    m_info.UpdateData(false);
    for (CWordMediaPage* page : std::initializer_list<CWordMediaPage*>{&m_picture, &m_sound, &m_avi}) {
        if (anotherWord)
            page->ResetEntries();
        else
            page->ShowWord();
    }
}

void CQuibW_PropSheet::RevertPages()
{
    for (CWordMediaPage* page : std::initializer_list<CWordMediaPage*>{&m_picture, &m_sound, &m_avi})
        page->ResetEntries();
}

void CQuibW_PropSheet::SetModified(bool modified)
{
    m_frame.View().SetChanged(modified);
}

// ---- The view -----------------------------------------------------------------------------------------

CQuibW_ScrollView::CQuibW_ScrollView(CQuibW_Frame& frame)
    : CEditorSheetView("word"), m_frame(frame), m_sheet(frame)
{
    setObjectName(QStringLiteral("wordSheetView"));
    PlaceSheet(m_sheet.Create(SheetParent()), QSize(kSheetWidth, kSheetHeight));
    connect(&OkButton(), &QPushButton::clicked, this, [this] { m_frame.SaveCurrentWord(false); });
    connect(&CancelButton(), &QPushButton::clicked, this, [this] { m_frame.RevertWord(); });
    connect(&EditButton(), &QPushButton::clicked, this, [this] { m_frame.EditOwnCopy(); });
    // Translate shows in translation mode and has no action of its own: its click is taken here so
    // that it reaches nothing else.
    connect(&TranslateButton(), &QPushButton::clicked, this, [] {});
    LayoutButtons();
}

CQuibW_ScrollView::~CQuibW_ScrollView() = default;

void CQuibW_ScrollView::RefreshSheet(bool anotherWord)
{
    m_sheet.LoadWord(anotherWord);
    LayoutButtons();
}

void CQuibW_ScrollView::LayoutButtons()
{
    SetTranslateDefault(WordEditorTranslating());
    EditButton().setVisible(WordEditorTranslating() || WordEditorEditing());
    CQuibWord* word = m_frame.CurrentWord();
    if (!word) {
        TranslateButton().setEnabled(false);
        EditButton().setEnabled(false);
        return;
    }
    const int language = GetWordTypeLanguage(word->GetType());
    TranslateButton().setEnabled(theTranslateLanguage != 0 && (theTranslateLanguage & 0xFF) != language);
    EditButton().setEnabled(!m_frame.IsEditable());
}
