#pragma once
// The right side of the page editor: the sheet of the current page (Basic properties, Image,
// Userlevels) with the editors' row of buttons under it (authoring/EditorSheetView.h).

#include "authoring/BgPictPage.h"
#include "authoring/BgSheetPages.h"
#include "authoring/EditorSheetView.h"

#include "platform/ui/PropertySheet.h"

class CQuibBg_Frame;

class CQuibBg_PropSheet : public lumivo::ui::PropertySheet
{
public:
    explicit CQuibBg_PropSheet(CQuibBg_Frame& frame);

    // Fills the built pages from the editor's current page (the Image and Userlevels pages when shown).
    void LoadPages();
    // Drops the Image page's pictures not yet stored.
    void ResetPages();
    // Reads the shown page's controls and stores the Image page's imported pictures; false when a page
    // refused its values.
    bool ApplyPages();

    CQuibBg_BasicPage& BasicPage() { return m_basic; }
    CQuibBg_PictPage& PictPage() { return m_picture; }
    CQuibBg_ULPage& UserLevelPage() { return m_userLevels; }

private:
    CQuibBg_BasicPage m_basic;
    CQuibBg_PictPage m_picture;
    CQuibBg_ULPage m_userLevels;
};

class CQuibBg_ScrollView : public CEditorSheetView
{
    Q_OBJECT

public:
    explicit CQuibBg_ScrollView(CQuibBg_Frame& frame);
    ~CQuibBg_ScrollView() override;

    // Fills the sheet from the current page and sets the buttons' states.
    void RefreshSheet();
    // Shows and enables the buttons for the editor's mode and the current page.
    void LayoutButtons() override;

    CQuibBg_PropSheet& Sheet() { return m_sheet; }

private:
    CQuibBg_Frame& m_frame;
    CQuibBg_PropSheet m_sheet;
};

// A page reports an edit: the editor's view marks the current page changed.
void SetBgSheetChanged(CQuibBg_Frame& frame, bool changed);
