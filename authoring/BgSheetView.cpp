#include "authoring/BgSheetView.h"

#include "authoring/BgEditor.h"
#include "authoring/BgEditorFrame.h"
#include "core/Page.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"

#include <QPushButton>

namespace
{

// Room for the largest page (the image page, with its preview).
constexpr int kSheetWidth = 660;
constexpr int kSheetHeight = 500;

} // namespace

// ---- The sheet ----------------------------------------------------------------------------------------

CQuibBg_PropSheet::CQuibBg_PropSheet(CQuibBg_Frame& frame)
    : m_basic(frame), m_picture(frame), m_userLevels(frame)
{
    AddPage(m_basic);
    AddPage(m_picture);
    AddPage(m_userLevels);
}

void CQuibBg_PropSheet::LoadPages()
{
    m_basic.UpdateData(false);
    if (GetActivePage() == &m_picture)
        m_picture.UpdateData(false);
    m_userLevels.FillList();
    if (GetActivePage() == &m_userLevels)
        m_userLevels.UpdateData(false);
}

void CQuibBg_PropSheet::ResetPages()
{
    m_picture.ResetPictures();
}

bool CQuibBg_PropSheet::ApplyPages()
{
    return PropertySheet::ApplyPages();
}

// ---- The view -----------------------------------------------------------------------------------------

CQuibBg_ScrollView::CQuibBg_ScrollView(CQuibBg_Frame& frame)
    : CEditorSheetView("bg"), m_frame(frame), m_sheet(frame)
{
    setObjectName(QStringLiteral("bgSheetView"));
    PlaceSheet(m_sheet.Create(SheetParent()), QSize(kSheetWidth, kSheetHeight));
    connect(&OkButton(), &QPushButton::clicked, this, [this] {
        if (m_frame.SaveCurrentBackground(false))
            RefreshSheet();
    });
    connect(&CancelButton(), &QPushButton::clicked, this, [this] { m_frame.RevertBackground(); });
    connect(&EditButton(), &QPushButton::clicked, this, [this] { m_frame.EditOwnCopy(); });
    // Translate shows in translation mode and has no action of its own: its click is taken here so
    // that it reaches nothing else.
    connect(&TranslateButton(), &QPushButton::clicked, this, [] {});
    LayoutButtons();
}

CQuibBg_ScrollView::~CQuibBg_ScrollView() = default;

void CQuibBg_ScrollView::RefreshSheet()
{
    m_sheet.LoadPages();
    LayoutButtons();
}

void CQuibBg_ScrollView::LayoutButtons()
{
    SetTranslateDefault(BackgroundEditorTranslating());
    EditButton().setVisible(BackgroundEditorTranslating() || BackgroundEditorEditing());
    CQuibBg* page = m_frame.CurrentBackground();
    if (!page) {
        TranslateButton().setEnabled(false);
        EditButton().setEnabled(false);
        return;
    }
    const int language = GetBgTypeLanguage(page->GetType());
    TranslateButton().setEnabled(theTranslateLanguage != 0 && (theTranslateLanguage & 0xFF) != language);
    EditButton().setEnabled(!m_frame.IsEditable());
}

void SetBgSheetChanged(CQuibBg_Frame& frame, bool changed)
{
    frame.View().SetChanged(changed);
}
