#include "panes/UserSettings.h"

#include "core/ColorPalette.h"
#include "core/User.h"
#include "media/SoundDevice.h"
#include "panes/IconPainter.h"
#include "panes/Panes.h"
#include "platform/files/FileSystem.h"
#include "system/SystemSettings.h"

#include <array>

namespace
{

constexpr std::uint32_t kUserFlagCompressor = 0x0002;

// An element of the screen mode and the bit that remembers its state.
struct ScreenElement {
    std::uint16_t shown;
    std::uint16_t remembered;
};
constexpr std::array<ScreenElement, 4> kScreenElements{{{SCREENMODE_FULLSCREEN, 0x80},
                                                        {SCREENMODE_MENUBAR, 0x10},
                                                        {SCREENMODE_STATUSBAR, 0x20},
                                                        {SCREENMODE_TOOLBARS, 0x40}}};

void setScreenBit(std::uint16_t bit, bool on)
{
    theScreenMode = on ? (theScreenMode | bit) : (theScreenMode & ~bit);
}

// An element follows its remembered state when the user asks for that, else the user's own bit.
void applyScreenFlags(const CQuibUser* user)
{
    for (const ScreenElement& element : kScreenElements) {
        const bool followRemembered = !user || (user->ScreenFlags & element.remembered);
        const bool on = followRemembered ? (theScreenMode & element.remembered) != 0
                                         : (user->ScreenFlags & element.shown) != 0;
        setScreenBit(element.shown, on);
    }
}

COLORREF resolved(std::uint32_t packed)
{
    ResolvePaletteColor(packed);
    return packed;
}

void applyPaneSettings(CPane& pane, const CQuibUser& user, const CQuibPaneSettings& settings)
{
    pane.FocusColor = resolved(user.HighlightColor1);
    pane.EditColor = resolved(user.HighlightColor2);
    pane.BgColor = resolved(settings.Color);
    pane.StartPageId = static_cast<std::uint32_t>(settings.StartPage);
}

void applyBrowsePane(const CQuibUser& user)
{
    theBrowsePane.BrowseColor = resolved(user.BrowseColor);
    theBrowsePane.BrowseFlags = user.BrowseFlags;
    theBrowsePane.BrowseFont.FromString(user.BrowseFont);
}

void makeDeletedPicturesFolder(const QString& folder)
{
    auto& files = lumivo::files::fileSystem();
    if (!folder.isEmpty() && !files.exists(folder))
        files.makeDirectories(folder); // a folder that cannot be made is noticed when it is used
}

void applyUser(const CQuibUser& user)
{
    BuildDefaultColorTable();
    applyPaneSettings(theMainPane, user, user.MainPane);
    applyPaneSettings(theWordPane, user, user.WordPane);
    applyPaneSettings(theNavigatorPane, user, user.NavigatorPane);
    applyPaneSettings(theWriterPane, user, user.WriterPane);
    applyPaneSettings(theInfoPane, user, user.InfoPane);
    applyBrowsePane(user);
    theSelectedFrameColor = resolved(user.HighlightColor1);
    theEnteredFrameColor = resolved(user.HighlightColor2);
    applyScreenFlags(&user);
    if (theSoundDevice)
        theSoundDevice->SetCompressor((user.Flags & kUserFlagCompressor) != 0);
    makeDeletedPicturesFolder(user.DeletedPicturesFolder);
    theEditOptions = static_cast<std::uint16_t>(user.EditOptions & 0xFFFF);
}

} // namespace

void UpdateUserSettings()
{
    if (theCurrentUser)
        applyUser(*theCurrentUser);
    else
        applyScreenFlags(nullptr);
}
