#pragma once
// The right side of the page editor: the sheet of the current page (Basic properties, Image,
// Userlevels) with the buttons Ok, Cancel, Translate and Edit under it, and the changed state: whether
// the current page holds edits that are not saved. Ok and Cancel are enabled only while it does.
//
// Keys: Enter is Ok and Esc is Cancel while they are enabled, as in a dialog.

#include "authoring/BgPictPage.h"
#include "authoring/BgSheetPages.h"

#include "platform/ui/PropertySheet.h"

#include <QWidget>

class CQuibBg_Frame;
class QPushButton;

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

class CQuibBg_ScrollView : public QWidget
{
    Q_OBJECT

public:
    explicit CQuibBg_ScrollView(CQuibBg_Frame& frame);
    ~CQuibBg_ScrollView() override;

    // Marks the current page as holding unsaved edits (or not); Ok and Cancel follow.
    void SetChanged(bool changed);
    bool IsChanged() const { return m_changed; }
    // Fills the sheet from the current page and sets the buttons' states.
    void RefreshSheet();
    // Shows and enables the buttons for the editor's mode and the current page.
    void LayoutButtons();

    CQuibBg_PropSheet& Sheet() { return m_sheet; }
    QPushButton& OkButton() const { return *m_ok; }
    QPushButton& CancelButton() const { return *m_cancel; }
    QPushButton& TranslateButton() const { return *m_translate; }
    QPushButton& EditButton() const { return *m_edit; }

    // The sheet and its buttons whole, so that the editor opens without scroll bars.
    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* makeButton(int textId, int flags, const char* name);

    QWidget* m_content = nullptr;
    CQuibBg_Frame& m_frame;
    CQuibBg_PropSheet m_sheet;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_translate = nullptr;
    QPushButton* m_edit = nullptr;
    bool m_changed = false;
};

// A page reports an edit: the editor's view marks the current page changed.
void SetBgSheetChanged(CQuibBg_Frame& frame, bool changed);
