#include "core/User.h"

#include "core/Word.h"
#include "platform/archive/MemFile.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"

#include <QDir>
#include <QStandardPaths>

#include <utility>

IMPLEMENT_SERIAL(CQuibUser, CObject, 1)

namespace UserStreamGates
{
CTime Newest()
{
    return CTime(2002, 2, 27, 10, 46, 0);
}
CTime Middle()
{
    return CTime(2001, 12, 10, 14, 37, 0);
}
CTime OldestWindowRect()
{
    return CTime(2001, 12, 5, 11, 41, 0);
}
CTime MiddleBrowseValues()
{
    return CTime(2001, 12, 21, 14, 25, 0);
}
CTime MiddleBrowseText()
{
    return CTime(2002, 1, 7, 12, 46, 0);
}
CTime Sentences()
{
    return CTime(2002, 4, 4, 8, 37, 0);
}
CTime ColorTable()
{
    return CTime(2002, 5, 14, 14, 23, 0);
}
CTime Voices()
{
    return CTime(2002, 6, 10, 15, 40, 0);
}
CTime MaxSentences()
{
    return CTime(2003, 11, 5, 10, 46, 0);
}
} // namespace UserStreamGates

lumivo::Hook<void(CRect&)> theDefaultWindowRectHook{[](CRect&) {}};

namespace
{

constexpr int kDeletedPicturesString = 9413;

bool laterThan(const CTime& stamp, const CTime& gate)
{
    return stamp.GetTime() > gate.GetTime();
}

// One field each way: stored when the archive stores, read when it loads. Rectangles and sizes go as
// plain 32-bit fields.
template <class T> void serialize(CArchive& ar, T& value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

// Several fields in the order given.
template <class... T> void exchange(CArchive& ar, T&... values)
{
    (serialize(ar, values), ...);
}

void serialize(CArchive& ar, CQuibPaneSettings& pane, bool withSecondColor)
{
    if (ar.IsStoring()) {
        ar << pane.StartPage << pane.Color << pane.SecondColor;
        return;
    }
    ar >> pane.StartPage >> pane.Color;
    if (withSecondColor)
        ar >> pane.SecondColor;
}

// A word-keyed map of colours: the count, then each key with its colour as a tagged object.
void serializeColorTable(CArchive& ar, CQuibUserColorTable& table)
{
    if (ar.IsStoring()) {
        ar.WriteCount(table.size());
        for (const auto& [number, color] : table) {
            ar << number;
            ar.WriteObject(color.get());
        }
        return;
    }
    table.clear();
    const std::size_t count = ar.ReadCount();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t number = 0;
        ar >> number;
        std::unique_ptr<CObject> object = ar.ReadOwnedObject(RUNTIME_CLASS(CColor));
        if (!object)
            continue; // a null entry: nothing to keep
        table[number] = std::unique_ptr<CColor>(static_cast<CColor*>(object.release()));
    }
}

} // namespace

// An empty picture folder leaves the deleted-pictures folder empty too: joined, it would name a folder
// at the root of the file system, which the program would then create.
QString DeletedPicturesFolderFor(const QString& pictureFolder)
{
    if (pictureFolder.isEmpty())
        return {};
    return pictureFolder + QDir::separator() + LoadSystemString(kDeletedPicturesString);
}

// The copy goes through the stored form, so it shares no colour with the source and holds exactly
// what storing and loading the source would give.
CQuibUserColorTable::CQuibUserColorTable(const CQuibUserColorTable& other) : map()
{
    *this = other;
}

CQuibUserColorTable& CQuibUserColorTable::operator=(const CQuibUserColorTable& other)
{
    if (&other == this)
        return *this;
    CMemFile file(1024);
    {
        CArchive out(file, CArchive::store);
        serializeColorTable(out, const_cast<CQuibUserColorTable&>(other));
        out.Close();
    }
    file.Seek(0);
    CArchive in(file, CArchive::load);
    serializeColorTable(in, *this);
    in.Close();
    return *this;
}

bool CQuibUserColorTable::operator==(const CQuibUserColorTable& other) const
{
    if (size() != other.size())
        return false;
    for (const auto& [number, color] : *this) {
        const auto match = other.find(number);
        if (match == other.end())
            return false;
        if (color->GetPacked() != match->second->GetPacked() || color->GetName() != match->second->GetName())
            return false;
    }
    return true;
}

QString DefaultPictureFolder()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

CRect DefaultWindowRect()
{
    CRect rect;
    theDefaultWindowRectHook(rect);
    return rect;
}

CQuibUser::CQuibUser()
{
    m_owner = this;
}

// An unreadable record leaves the user at its defaults; the profile it follows is not part of it.
void CQuibUser::ResetToDefaults()
{
    std::unique_ptr<CQuibUser> profile = std::move(Profile);
    SetDefaults(nullptr);
    Profile = std::move(profile);
}

CQuibUser::~CQuibUser() = default;

void CQuibUser::SetDefaults(const CQuibUser* source)
{
    Profile.reset();
    if (!source) {
        Settings() = CQuibUserSettings{};
        LegacyBrowseColor = LegacyBrowseValue1 = LegacyBrowseValue2 = 0;
        LegacyBrowseText.clear();
        return;
    }
    Settings() = source->Settings();
}

bool CQuibUser::SameSettings(const CQuibUser& other) const
{
    return Settings() == other.Settings();
}

void CQuibUser::Exchange(bool store)
{
    ArchiveData(store);
    if (store)
        followNameWithRecord();
}

void CQuibUser::Serialize(CArchive& ar)
{
    CTime stamp = CTime::GetCurrentTime();
    if (ar.IsLoading())
        GetResourceTime(this, &stamp);
    SerializeStamped(ar, stamp);
}

void CQuibUser::SerializeStamped(CArchive& ar, const CTime& stamp)
{
    if (ar.IsStoring()) {
        serializeNewest(ar, stamp);
        return;
    }
    // The profile object is not part of the record: a reload (after a cancelled settings dialog, say)
    // keeps the profile the user follows, so its colours stay in effect.
    ResetToDefaults();
    if (stamp.GetTime() >= UserStreamGates::Newest().GetTime())
        serializeNewest(ar, stamp);
    else if (stamp.GetTime() >= UserStreamGates::Middle().GetTime())
        loadMiddle(ar, stamp);
    else
        loadOldest(ar, stamp);
}

// Identity, profile, window, highlight colours and the five panes: the head that the newest and the
// middle layout share.
void CQuibUser::serializeHead(CArchive& ar)
{
    exchange(ar, Name, PrimaryLanguage, SecondLanguage, FirstOutput, SecondOutput, Text1, Text2, Flags,
             ScreenFlags, UserLevel);
    exchange(ar, ProfileName, ProfileNumber, WindowRect, HighlightColor1, HighlightColor2);
    for (CQuibPaneSettings* pane : {&MainPane, &NavigatorPane, &WordPane, &WriterPane, &InfoPane})
        serialize(ar, *pane, true);
}

// The newest layout. Storing writes every field and the inner version this program writes; loading
// reads a gated field only from a record stamped strictly later than its gate.
void CQuibUser::serializeNewest(CArchive& ar, const CTime& stamp)
{
    namespace gate = UserStreamGates;
    const auto present = [&](const CTime& threshold) {
        return ar.IsStoring() || laterThan(stamp, threshold);
    };
    if (ar.IsStoring())
        Flags |= kFlagVersioned;
    serializeHead(ar);
    exchange(ar, BrowseFlags, BrowseColor, BrowseFont); // the flags before the colour
    if (present(gate::Sentences())) {
        SerializeIdList(ar, Sentences);
        serialize(ar, CurrentSentence);
    }
    if (present(gate::ColorTable()))
        serializeColorTable(ar, ColorTable);
    if (present(gate::Voices()))
        exchange(ar, Voice1, Voice2);
    if (present(gate::MaxSentences()))
        serialize(ar, MaxSentences);
    if (!(Flags & kFlagVersioned))
        return;
    std::int32_t version = kStreamVersion;
    serialize(ar, version);
    serializeVersionedTail(ar, version);
}

// The part of the newest layout behind the inner version: print settings and folders (1), edit
// options (2), the print and letter texts with the use-password flag (3).
void CQuibUser::serializeVersionedTail(CArchive& ar, std::int32_t version)
{
    if (version >= 1) {
        exchange(ar, PrintMode, PrintFit, PrintPageChoice, PrintPageSize, PrintIconSize);
        for (std::uint32_t& value : PrintValues)
            serialize(ar, value);
        exchange(ar, SecondPrintMode, DeletedPicturesFolder, PictureFolder, PictureFolder2);
    }
    if (version >= 2)
        serialize(ar, EditOptions);
    if (version >= 3)
        exchange(ar, PrintHeader, PrintFooter, PrintFont, LetterHead, LetterEnd, UsePassword);
}

void CQuibUser::loadMiddle(CArchive& ar, const CTime& stamp)
{
    namespace gate = UserStreamGates;
    serializeHead(ar);
    if (laterThan(stamp, gate::MiddleBrowseValues()))
        ar >> LegacyBrowseColor >> LegacyBrowseValue1 >> LegacyBrowseValue2;
    if (laterThan(stamp, gate::MiddleBrowseText()))
        ar >> LegacyBrowseText;
}

void CQuibUser::loadOldest(CArchive& ar, const CTime& stamp)
{
    ar >> Name >> PrimaryLanguage >> SecondLanguage >> FirstOutput >> SecondOutput >> Text1;
    std::int32_t flagWord = 0;
    ar >> flagWord;
    UsePassword = static_cast<std::uint8_t>(flagWord & 0xFF);
    ar >> Text2 >> ScreenFlags >> UserLevel;
    ar >> HighlightColor1 >> HighlightColor2;
    for (CQuibPaneSettings* pane : {&MainPane, &NavigatorPane, &WordPane, &WriterPane})
        serialize(ar, *pane, false);
    ar >> ProfileName >> ProfileNumber;
    if (laterThan(stamp, UserStreamGates::OldestWindowRect()))
        serialize(ar, WindowRect);
}

void CQuibUser::followNameWithRecord()
{
    if (!m_entry)
        return;
    QString recordName;
    GetName(recordName);
    if (recordName.compare(Name, Qt::CaseInsensitive) != 0)
        SetName(Name);
}

void StoreWindowRect(const MainWindowState& window, CQuibUser* user)
{
    if (!user)
        user = theCurrentUser;
    if (!user)
        return;
    if (!window.exists || !window.visible)
        return;
    if (user->WindowRect.IsRectEmpty() || user->WindowRect == window.rect)
        return;
    user->WindowRect = window.rect;
    user->Commit();
}

CurrentUserFiles CurrentUserFilesOf(CQuibUser* user)
{
    CurrentUserFiles files;
    if (user) {
        files.userFile = user->GetFile();
        if (user->Profile)
            files.profileFile = user->Profile->GetFile();
    }
    return files;
}

// The session (shell/CurrentUser.h) has let go of the user it owned: the model forgets the current
// user and puts the user hook back.
CQuibUser* theCurrentUser = nullptr;

void ResetUserState()
{
    theCurrentUser = nullptr;
    theDefaultWindowRectHook.reset();
}
