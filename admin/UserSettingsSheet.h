#pragma once
// The user-settings sheet: the one place where the current user's own settings are edited (profile
// and colours, the panes, identity, voices, languages, the look of the printouts). It edits the user
// in place, gathers from its pages which reload steps their changes need, and on OK stores the user
// and runs exactly those steps; Cancel reads the user back from its file.

#include "admin/BrowsePage.h"
#include "admin/IdentityPage.h"
#include "admin/LanguagePages.h"
#include "admin/PaneSettingsPages.h"
#include "admin/PrintPage.h"
#include "admin/ProfilePage.h"
#include "admin/VoicePage.h"
#include "core/ColorPalette.h"
#include "platform/ui/PropertySheet.h"

#include <QString>

#include <cstdint>

class CColorCombo;
class CQuibUser;
class QComboBox;

class CQuibUS_PropSheet : public lumivo::ui::PropertySheet
{
public:
    explicit CQuibUS_PropSheet(int captionId);
    explicit CQuibUS_PropSheet(const QString& caption);
    ~CQuibUS_PropSheet() override;

    // The pages, constructed in this order; the commands add some of them.
    CQuibUS_BasicPage m_basicPage;
    CQuibUS_MainViewPage m_mainViewPage;
    CQuibUS_NavViewPage m_navViewPage;
    CQuibUS_WordViewPage m_wordViewPage;
    CQuibUS_WriterViewPage m_writerViewPage;
    CQuibUS_InfoViewPage m_infoViewPage;
    CQuibUS_BrowseViewPage m_browseViewPage;
    CQuibUS_IdentityPage m_identityPage;
    CQuibUS_VoicePage m_voicePage;
    CQuibUS_PrintPage m_printPage;
    CQuibUS_LanguagePage m_languagePage;
    CQuibUS_LayoutPage m_layoutPage;

    // The user to edit, and the profile it follows as the sheet opens (the saved profile link). The
    // sheet's link to a profile never owns it: the user keeps owning its own profile, and a profile the
    // Profile page offers belongs to that page.
    void SetUser(CQuibUser* user);
    CQuibUser* GetUser() const { return m_user; }
    CQuibUser* GetProfile() const { return m_profile; }
    void SetProfile(CQuibUser* profile) { m_profile = profile; }
    CQuibUser* GetSavedProfile() const { return m_savedProfile; }
    // Lets go of the user before it goes away (the reset of the user file deletes it).
    void ForgetUser();

    // A page's control changed: the page counts as changed, and the reload steps are added to the
    // change mask together with the user settings step (0x2000).
    void SetModified(lumivo::ui::PropertyPage& page, std::uint32_t flags);
    std::uint32_t GetChangeMask() const { return m_changeMask; }
    void SetChangeMask(std::uint32_t mask) { m_changeMask = mask; }

    // The palette the pages offer: the user's own colours, then the profile's, then the built-in ones,
    // the first of a number winning.
    void BuildColorMap(const CQuibUser* user, const CQuibUser* profile);
    void FreeColorMap();
    CQuibColorTable& ColorMap() { return m_colorMap; }

    // The tab's text; 0 when the page is not on the sheet.
    int SetPageTabText(lumivo::ui::PropertyPage& page, const QString& text);

    // Set by "Back to factory settings": OK then moves the user's file aside and starts afresh.
    void SetResetUserFile(bool reset) { m_resetUserFile = reset; }
    bool GetResetUserFile() const { return m_resetUserFile; }

    // The pages built already, except `except`, take their working copies from the user again.
    void ReloadBuiltPages(const CQuibUS_Page* except);

protected:
    void OnInitDialog() override;

private:
    CQuibUser* m_user = nullptr;
    CQuibUser* m_savedProfile = nullptr;
    CQuibUser* m_profile = nullptr;
    std::uint32_t m_changeMask = 0;
    CQuibColorTable m_colorMap;
    bool m_resetUserFile = false;
};

// Command 5014: every page but Print and Layout. Command 5027: the Print page alone.
void EditUserSettings();
void EditPrintSettings();

// Fills a page's colour combo with the sheet's palette and selects `color` (a packed colour). The
// user-definable entry shows white when `color` is a palette colour, else `color` itself.
void FillSheetColorCombo(CColorCombo& combo, const CQuibColorTable& colorMap, std::uint32_t color);
// Takes the colour the person chose in such a combo into `color`; the user-definable entry first asks
// for its colour. False, with `color` selected again, when nothing was taken.
bool TakeSheetColor(CColorCombo& combo, std::uint32_t& color);
// Lists at most `maxCount` page names that begin with `prefix` (without regard to case), each with its
// page id; returns the first, or an empty text when none matches or the prefix is empty.
QString FillPageNameCombo(QComboBox& combo, const QString& prefix, int maxCount);
