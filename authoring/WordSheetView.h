#pragma once
// The right side of the word editor: the sheet of the current word with its five pages (Basic
// properties, Info, Image, Sound, Animation) and the editors' row of buttons under it
// (authoring/EditorSheetView.h).
//
// The pages read the word to show from the frame's current word. The Basic and Info pages always show
// it; the Image, Sound and Animation pages fill their controls only while they are the shown page (a
// page built later fills itself when it is first shown) and keep what they import per kind until the
// word is saved, reverted or left.

#include "authoring/EditorSheetView.h"
#include "authoring/WordAviPage.h"
#include "authoring/WordPictPage.h"
#include "authoring/WordSheetPages.h"
#include "authoring/WordSoundPage.h"

#include "platform/ui/PropertySheet.h"

class CQuibW_Frame;

class CQuibW_PropSheet : public lumivo::ui::PropertySheet
{
public:
    explicit CQuibW_PropSheet(CQuibW_Frame& frame);

    // Fills the pages from the frame's current word; `anotherWord` (the current word changed) first drops
    // what the media pages hold for the word before.
    void LoadWord(bool anotherWord = false);
    // Drops what the Image, Sound and Animation pages hold and not yet stored.
    void RevertPages();
    // A page reports an edit: the view's changed state follows.
    void SetModified(bool modified);

    CQuibW_BasicPage& BasicPage() { return m_basic; }
    CQuibW_InfoPage& InfoPage() { return m_info; }
    CQuibW_PictPage& PictPage() { return m_picture; }
    CQuibW_SoundPage& SoundPage() { return m_sound; }
    CQuibW_AviPage& AviPage() { return m_avi; }

private:
    CQuibW_Frame& m_frame;
    CQuibW_BasicPage m_basic;
    CQuibW_InfoPage m_info;
    CQuibW_PictPage m_picture;
    CQuibW_SoundPage m_sound;
    CQuibW_AviPage m_avi;
};

class CQuibW_ScrollView : public CEditorSheetView
{
    Q_OBJECT

public:
    explicit CQuibW_ScrollView(CQuibW_Frame& frame);
    ~CQuibW_ScrollView() override;

    // Fills the sheet from the current word and sets the buttons' states.
    void RefreshSheet(bool anotherWord = false);
    // Translate is shown (and the default) in translation mode; Edit is enabled for a word that may not
    // be edited (its editor-file copy can be), Translate for a word not in the translation language.
    void LayoutButtons() override;

    CQuibW_PropSheet& Sheet() { return m_sheet; }

private:
    CQuibW_Frame& m_frame;
    CQuibW_PropSheet m_sheet;
};
