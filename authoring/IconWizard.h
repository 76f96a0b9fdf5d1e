#pragma once
// The icon wizard: the author's one tool to add, change or delete a single icon of a page, and to give
// an icon its word, look, picture or clip, sound and link. Opened by a click with the icon-wizard tool
// (on an icon: that icon; elsewhere: a new icon centred there), by the icon attributes command and by
// the panes' context menu.
//
// Nothing is written while the author moves between the pages. At Finish the pages write their values
// into the icon and store any new word, picture, clip or sound in the wizard's file (the output file
// when one is open, else the current user's); then the new icon goes onto the page (in front), or the
// deleted one goes, and the page is committed. With no output file open it is also stored and read
// again at once, unless the page editor has this very page open (the editor stores it); a page that
// cannot be written is not read again but kept on screen, changed, and the author is told.

#include "authoring/IconWizardMedia.h"
#include "authoring/IconWizardPages.h"
#include "authoring/WizardDialog.h"

#include <cstdint>
#include <memory>

class CPane;
class CQuibBg;
class CQuibIcon;
class CQuibWord;

constexpr int kIconWizardActionPageId = 30734;
constexpr int kIconWizardWordPageId = 137;
constexpr int kIconWizardLookPageId = 30726;
constexpr int kIconWizardPicturePageId = 30728;
constexpr int kIconWizardSoundPageId = 30730;
constexpr int kIconWizardLinkPageId = 30731;

// The side of a new icon, and the height of a new icon that takes its picture's proportions.
constexpr int kIconWizardIconSize = 64;
// A picture is kept at most this many times the icon's size.
constexpr int kIconWizardScaleLimit = 3;

class CIconWizard : public CWizardDialog
{
public:
    // With an icon the wizard edits it (and may add another or delete it); without, it adds a new icon
    // centred on the pane's client point (x, y), or on the pane's middle when either is below 1.
    CIconWizard(QWidget* parent, CQuibIcon* icon, CPane& pane, int x, int y);
    ~CIconWizard() override;

    bool OnInitDialog() override;

    // After Finish: the new icon onto the page, the deleted one off it, the page committed (and
    // stored, when that is for the wizard to do), the new word into the word index.
    void Conclude(CPane& pane);

    CQuibIcon* WorkingIcon() const { return m_working; }
    void SetWorkingIcon(CQuibIcon* icon) { m_working = icon; }
    CQuibIcon* NewIcon() const { return m_newIcon.get(); }
    CQuibIcon* ExistingIcon() const { return m_existing; }
    bool MakesNewWord() const { return m_newWordFlag; }
    void SetMakesNewWord(bool makes) { m_newWordFlag = makes; }
    int TargetFile() const { return m_file; }
    std::uint16_t Language() const { return m_language; }
    int Action() const { return m_action; }
    void SetAction(int action) { m_action = action; }
    // The word the icon will stand for: the word page's when it was shown, else the icon's.
    std::int32_t WordIdInEffect() const;
    // Whether a new picture or sound goes in place of the word's, by the replace box's state.
    bool ReplacesWordMedia(int replaceState) const;
    // The id a new picture, clip or sound is stored under: the word's in place of the word's own, else
    // a new one; 0 for none (no word, or no id to be had, which the author is told of).
    std::int32_t MediaRecordId(bool replacesWord);

    CIconWizardActionPage& ActionPage() { return m_actionPage; }
    CIconWizardWordPage& WordPage() { return m_wordPage; }
    CIconWizardLookPage& LookPage() { return m_lookPage; }
    CIconWizardPicturePage& PicturePage() { return m_picturePage; }
    CIconWizardSoundPage& SoundPage() { return m_soundPage; }
    CIconWizardLinkPage& LinkPage() { return m_linkPage; }

private:
    void insertNewIcon(CQuibBg& page);
    void deleteExistingIcon(CQuibBg& page);
    void storeChangedPage(CPane& pane, CQuibBg& page);

    CQuibIcon* m_working = nullptr;
    std::unique_ptr<CQuibIcon> m_newIcon;
    CQuibIcon* m_existing = nullptr;
    bool m_newWordFlag = false;
    int m_file = 0;
    std::uint16_t m_language = 0;
    int m_action = -1;
    CIconWizardActionPage m_actionPage{*this};
    CIconWizardWordPage m_wordPage{*this};
    CIconWizardLookPage m_lookPage{*this};
    CIconWizardPicturePage m_picturePage{*this};
    CIconWizardSoundPage m_soundPage{*this};
    CIconWizardLinkPage m_linkPage{*this};
};

// Runs the icon wizard on the icon (none: a new icon at the pane's client point) of the pane (none: the
// pane that shows the icon); a null parent is the main window. `action` (2 with an icon, 1 without)
// says nothing the icon does not. True when it ended with Finish.
bool RunIconWizard(QWidget* parent, CQuibIcon* icon, int action, CPane* pane, int x, int y);
