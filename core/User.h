#pragma once
// The user record: everything personal about the person who communicates with the system (name,
// languages, how icons are voiced, screen and pane settings, print settings, folders, edit options and
// the list of the user's sentences). It lives in the user's own resource file under the user number.
//
// The record's stream grew over two years; loading picks the layout by the record's time stamp, storing
// always writes the newest layout, whose tail carries an inner version number.
// Layout: doc/formats/tvf.md (the user record)

#include "platform/archive/Archive.h"
#include "platform/types/Hook.h"
#include "platform/types/WinTypes.h"
#include "store/Color.h"
#include "store/ResourceHandle.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

struct CurrentUserFiles;

// Start page and colours of one pane.
struct CQuibPaneSettings {
    std::int32_t StartPage = 0;
    std::uint32_t Color = 0x03D3CEAD; // packed colour
    std::uint32_t SecondColor = 0;    // packed colour, read by icon drawing

    bool operator==(const CQuibPaneSettings&) const = default;
};

// The user's own palette: colour number -> colour. A copy holds colours of its own, made from the
// source's stored form; two tables are equal when they hold the same numbers with the same colours
// and names.
class CQuibUserColorTable : public std::map<std::uint16_t, std::unique_ptr<CColor>>
{
public:
    CQuibUserColorTable() = default;
    ~CQuibUserColorTable() = default;
    CQuibUserColorTable(const CQuibUserColorTable& other);
    CQuibUserColorTable& operator=(const CQuibUserColorTable& other);
    CQuibUserColorTable(CQuibUserColorTable&&) noexcept = default;
    CQuibUserColorTable& operator=(CQuibUserColorTable&&) noexcept = default;

    bool operator==(const CQuibUserColorTable& other) const;
};

// The folder deleted pictures go to: a folder inside the picture folder, none without one.
QString DeletedPicturesFolderFor(const QString& pictureFolder);
// The person's own picture folder, the default for a new user.
QString DefaultPictureFolder();
// The standard frame size for the screen, from the installed provider; empty without one.
CRect DefaultWindowRect();

// Every setting of a user that is stored, copied and compared, listed once. The defaults are the
// member initialisers, a copy is an assignment and equality is member by member, so a field added
// here is defaulted, copied and compared with no further code. Only the stream names the fields one
// by one, since each layout puts them in its own order.
struct CQuibUserSettings {
    QString Name;
    std::uint16_t PrimaryLanguage = 10000;
    std::uint16_t SecondLanguage = 10000;
    std::int16_t FirstOutput = 0;
    std::int16_t SecondOutput = 0;
    QString Text1;
    QString Text2;
    std::uint32_t Flags = 0;
    std::uint8_t UsePassword = 0; // the oldest layout's flag byte; stored again from inner version 3
    std::uint16_t ScreenFlags = 0x00F7;
    std::uint16_t UserLevel = 1000;
    std::uint32_t HighlightColor1 = 0x050000FF;
    std::uint32_t HighlightColor2 = 0x0400FF00;
    CQuibPaneSettings MainPane;
    CQuibPaneSettings NavigatorPane;
    CQuibPaneSettings WordPane;
    CQuibPaneSettings WriterPane;
    std::int32_t MaxSentences = 9;
    CQuibPaneSettings InfoPane;
    std::uint32_t BrowseColor = 0x03D3CEAD;
    std::uint32_t BrowseFlags = 0x5011;
    QString BrowseFont = QStringLiteral("-16,0,0,0,700,0,0,0,0,1,2,1,34,MS Sans Serif,0");
    QString ProfileName;
    std::int32_t ProfileNumber = 0;
    std::vector<std::int32_t> Sentences;
    std::int32_t CurrentSentence = 0;
    CRect WindowRect = DefaultWindowRect();
    CQuibUserColorTable ColorTable;
    QString Voice1;
    QString Voice2;
    std::int32_t WordDisplayFlags = 3;
    std::int32_t PrintMode = 5029;
    std::int32_t PrintFit = 9374;
    std::int32_t PrintPageChoice = 9370;
    CSize PrintPageSize{170, 85};
    CSize PrintIconSize{140, 93};
    std::array<std::uint32_t, 6> PrintValues{768, 768, 897, 768, 907, 512};
    QString PrintHeader = QStringLiteral("&r&d");
    QString PrintFooter = QStringLiteral("&c- &p -");
    QString PrintFont = QStringLiteral("-16,0,0,0,400,0,0,0,0,3,2,1,18,Times New Roman,0");
    QString LetterHead = QStringLiteral("&lAarhus, d.&d&n&n");
    QString LetterEnd = QStringLiteral("&c&n&nMed venlig hilsen&n&n&nLumivo");
    std::int32_t SecondPrintMode = 5029;
    QString DeletedPicturesFolder = DeletedPicturesFolderFor(DefaultPictureFolder());
    QString PictureFolder = DefaultPictureFolder();
    QString PictureFolder2;
    std::int32_t EditOptions = 0x3600;

    bool operator==(const CQuibUserSettings&) const = default;
};

class CQuibUser : public CObject, public CMyRes, public CQuibUserSettings
{
    DECLARE_SERIAL(CQuibUser)

public:
    static constexpr std::int32_t kType = 0x675F7573; // 'g_us', bound or not
    static constexpr std::int32_t kTemplateUserId = 0x7FFFFFFE;
    static constexpr std::uint32_t kFlagCompressor = 0x0002;
    static constexpr std::uint32_t kFlagVersioned = 0x8000;
    // Inner version written by this program: 1 print settings and folders, 2 edit options, 3 the print
    // and letter texts and the use-password flag.
    static constexpr std::int32_t kStreamVersion = 3;

    CQuibUser();
    ~CQuibUser() override;
    CQuibUser(const CQuibUser&) = delete;
    CQuibUser& operator=(const CQuibUser&) = delete;

    // With no source every setting and legacy browse value takes its default and the profile is
    // dropped; with a source its settings are copied, the profile dropped and the legacy browse values
    // left as they are.
    void SetDefaults(const CQuibUser* source);

    void Exchange(bool store) override;
    void Serialize(CArchive& ar) override;
    std::int32_t GetType() const override { return kType; }

    // The stream with the record's time stamp given (the stamp picks the layout when loading).
    void SerializeStamped(CArchive& ar, const CTime& stamp);

    // The settings equal (the profile and the legacy browse values are not settings).
    bool SameSettings(const CQuibUser& other) const;

    CQuibUserSettings& Settings() { return *this; }
    const CQuibUserSettings& Settings() const { return *this; }

    std::unique_ptr<CQuibUser> Profile; // the loaded profile this user follows; never streamed

    // Read from records of early 2002 only; nothing uses them, so they are neither copied nor compared.
    std::uint32_t LegacyBrowseColor = 0;
    std::uint32_t LegacyBrowseValue1 = 0;
    std::uint32_t LegacyBrowseValue2 = 0;
    QString LegacyBrowseText;

private:
    void serializeHead(CArchive& ar);
    void serializeNewest(CArchive& ar, const CTime& stamp);
    void loadMiddle(CArchive& ar, const CTime& stamp);
    void loadOldest(CArchive& ar, const CTime& stamp);
    void serializeVersionedTail(CArchive& ar, std::int32_t version);
    // The record's own name follows the user name after every store.
    void followNameWithRecord();

protected:
    void ResetToDefaults() override;
};

// The data version given to user and profile files made or saved here: 2.0.61.
constexpr std::uint32_t kUserFileVersion = 0x0002003D;

// The current user; null only while users switch. The user-file code (shell/CurrentUser.h) makes,
// switches and owns it; a test may point it at a user of its own, which is then never deleted here.
extern CQuibUser* theCurrentUser;
// The files of a user and its profile, which the active-file list puts last (system/LanguageRecords.h);
// none for no user.
CurrentUserFiles CurrentUserFilesOf(CQuibUser* user);
// Forgets the current user and puts the user hook back; the session lets go of the user it
// owns first (ResetCurrentUser, shell/CurrentUser.h).
void ResetUserState();

// Thresholds of the user stream's layouts, in local time.
namespace UserStreamGates
{
CTime Newest();           // from this second on (inclusive): the newest layout
CTime Middle();           // from this second on, before Newest: the middle layout
CTime OldestWindowRect(); // oldest layout: window rectangle when strictly later
CTime MiddleBrowseValues();
CTime MiddleBrowseText();
CTime Sentences();
CTime ColorTable();
CTime Voices();
CTime MaxSentences();
} // namespace UserStreamGates

// The main window as StoreWindowRect sees it; the shell, which has the window, describes it.
struct MainWindowState {
    bool exists = false; // the main window and its client window exist
    bool visible = false;
    CRect rect;
};
// Copies the main window's rectangle into the user (the current one when none is given) when it is
// visible and differs from the stored one; flags the record as changed.
void StoreWindowRect(const MainWindowState& window, CQuibUser* user = nullptr);

// Fills an empty window rectangle with the standard frame size for the screen. The screen-mode code
// installs it; by default a new user's rectangle stays empty.
extern lumivo::Hook<void(CRect&)> theDefaultWindowRectHook;
