#include "core/User.h"

#include "core/ResourceManager.h"
#include "core/Word.h"
#include "platform/archive/MemFile.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"

#include <QDir>
#include <QStandardPaths>

#include <utility>

IMPLEMENT_SERIAL(CQuibUser, CObject, 1)

CQuibUser* theCurrentUser = nullptr;

void ResetCurrentUser()
{
    theCurrentUser = nullptr;
}

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

namespace
{

constexpr int kDeletedPicturesString = 9413;
const char* const kDefaultBrowseFont = "-16,0,0,0,700,0,0,0,0,1,2,1,34,MS Sans Serif,0";
const char* const kDefaultPrintFont = "-16,0,0,0,400,0,0,0,0,3,2,1,18,Times New Roman,0";
const char* const kDefaultPrintHeader = "&r&d";
const char* const kDefaultPrintFooter = "&c- &p -";
const char* const kDefaultLetterHead = "&lAarhus, d.&d&n&n";
const char* const kDefaultLetterEnd = "&c&n&nMed venlig hilsen&n&n&nLumivo";

std::function<MainWindowState()>& mainWindowStateProvider()
{
    static std::function<MainWindowState()> provider;
    return provider;
}

std::function<void(CRect&)>& defaultWindowRectProvider()
{
    static std::function<void(CRect&)> provider;
    return provider;
}

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

// Copies a colour table through a memory archive, so the copy shares nothing with the source.
void copyColorTable(const CQuibUserColorTable& source, CQuibUserColorTable& target)
{
    CMemFile file(1024);
    {
        CArchive out(file, CArchive::store);
        serializeColorTable(out, const_cast<CQuibUserColorTable&>(source));
        out.Close();
    }
    file.Seek(0);
    CArchive in(file, CArchive::load);
    serializeColorTable(in, target);
    in.Close();
}

QString defaultPictureFolder()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

bool sameColorTables(const CQuibUserColorTable& a, const CQuibUserColorTable& b)
{
    if (a.size() != b.size())
        return false;
    for (const auto& [number, color] : a) {
        const auto other = b.find(number);
        if (other == b.end())
            return false;
        if (color->GetPacked() != other->second->GetPacked() || color->GetName() != other->second->GetName())
            return false;
    }
    return true;
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

CQuibUser::CQuibUser()
{
    m_owner = this;
    SetDefaults(nullptr);
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
        Name.clear();
        PrimaryLanguage = SecondLanguage = 10000;
        FirstOutput = SecondOutput = 0;
        Text1.clear();
        Text2.clear();
        Flags = 0;
        UsePassword = 0;
        ScreenFlags = 0x00F7;
        UserLevel = 1000;
        HighlightColor1 = 0x050000FF;
        HighlightColor2 = 0x0400FF00;
        MainPane = NavigatorPane = WordPane = WriterPane = InfoPane = CQuibPaneSettings{};
        MaxSentences = 9;
        LegacyBrowseText.clear();
        BrowseColor = 0x03D3CEAD;
        BrowseFlags = 0x5011;
        BrowseFont = QString::fromLatin1(kDefaultBrowseFont);
        ProfileName.clear();
        ProfileNumber = 0;
        Sentences.clear();
        CurrentSentence = 0;
        WindowRect = CRect();
        if (defaultWindowRectProvider())
            defaultWindowRectProvider()(WindowRect);
        ColorTable.clear();
        Voice1.clear();
        Voice2.clear();
        WordDisplayFlags = 3;
        PrintMode = 5029;
        PrintFit = 9374;
        PrintPageChoice = 9370;
        PrintPageSize = CSize(170, 85);
        PrintIconSize = CSize(140, 93);
        PrintValues = {768, 768, 897, 768, 907, 512};
        PrintHeader = QString::fromLatin1(kDefaultPrintHeader);
        PrintFooter = QString::fromLatin1(kDefaultPrintFooter);
        PrintFont = QString::fromLatin1(kDefaultPrintFont);
        LetterHead = QString::fromLatin1(kDefaultLetterHead);
        LetterEnd = QString::fromLatin1(kDefaultLetterEnd);
        SecondPrintMode = 5029;
        PictureFolder = defaultPictureFolder();
        DeletedPicturesFolder = DeletedPicturesFolderFor(PictureFolder);
        PictureFolder2.clear();
        EditOptions = 0x3600;
        return;
    }
    if (source == this)
        return;
    Name = source->Name;
    PrimaryLanguage = source->PrimaryLanguage;
    SecondLanguage = source->SecondLanguage;
    FirstOutput = source->FirstOutput;
    SecondOutput = source->SecondOutput;
    Text1 = source->Text1;
    Text2 = source->Text2;
    Flags = source->Flags;
    UsePassword = source->UsePassword;
    ScreenFlags = source->ScreenFlags;
    UserLevel = source->UserLevel;
    HighlightColor1 = source->HighlightColor1;
    HighlightColor2 = source->HighlightColor2;
    MainPane = source->MainPane;
    NavigatorPane = source->NavigatorPane;
    WordPane = source->WordPane;
    WriterPane = source->WriterPane;
    InfoPane = source->InfoPane;
    MaxSentences = source->MaxSentences;
    BrowseColor = source->BrowseColor;
    BrowseFlags = source->BrowseFlags;
    BrowseFont = source->BrowseFont;
    ProfileName = source->ProfileName;
    ProfileNumber = source->ProfileNumber;
    Sentences = source->Sentences;
    CurrentSentence = source->CurrentSentence;
    WindowRect = source->WindowRect;
    copyColorTable(source->ColorTable, ColorTable);
    Voice1 = source->Voice1;
    Voice2 = source->Voice2;
    WordDisplayFlags = source->WordDisplayFlags;
    PrintMode = source->PrintMode;
    PrintFit = source->PrintFit;
    PrintPageChoice = source->PrintPageChoice;
    PrintPageSize = source->PrintPageSize;
    PrintIconSize = source->PrintIconSize;
    PrintValues = source->PrintValues;
    PrintHeader = source->PrintHeader;
    PrintFooter = source->PrintFooter;
    PrintFont = source->PrintFont;
    LetterHead = source->LetterHead;
    LetterEnd = source->LetterEnd;
    SecondPrintMode = source->SecondPrintMode;
    DeletedPicturesFolder = source->DeletedPicturesFolder;
    PictureFolder = source->PictureFolder;
    PictureFolder2 = source->PictureFolder2;
    EditOptions = source->EditOptions;
}

bool CQuibUser::SameSettings(const CQuibUser& o) const
{
    return Name == o.Name && PrimaryLanguage == o.PrimaryLanguage && SecondLanguage == o.SecondLanguage &&
           FirstOutput == o.FirstOutput && SecondOutput == o.SecondOutput && Text1 == o.Text1 &&
           Text2 == o.Text2 && Flags == o.Flags && UsePassword == o.UsePassword &&
           ScreenFlags == o.ScreenFlags && UserLevel == o.UserLevel && HighlightColor1 == o.HighlightColor1 &&
           HighlightColor2 == o.HighlightColor2 && MainPane == o.MainPane &&
           NavigatorPane == o.NavigatorPane && WordPane == o.WordPane && WriterPane == o.WriterPane &&
           InfoPane == o.InfoPane && MaxSentences == o.MaxSentences && BrowseColor == o.BrowseColor &&
           BrowseFlags == o.BrowseFlags && BrowseFont == o.BrowseFont && ProfileName == o.ProfileName &&
           ProfileNumber == o.ProfileNumber && Sentences == o.Sentences &&
           CurrentSentence == o.CurrentSentence && WindowRect == o.WindowRect &&
           sameColorTables(ColorTable, o.ColorTable) && Voice1 == o.Voice1 && Voice2 == o.Voice2 &&
           WordDisplayFlags == o.WordDisplayFlags && PrintMode == o.PrintMode && PrintFit == o.PrintFit &&
           PrintPageChoice == o.PrintPageChoice && PrintPageSize == o.PrintPageSize &&
           PrintIconSize == o.PrintIconSize && PrintValues == o.PrintValues && PrintHeader == o.PrintHeader &&
           PrintFooter == o.PrintFooter && PrintFont == o.PrintFont && LetterHead == o.LetterHead &&
           LetterEnd == o.LetterEnd && SecondPrintMode == o.SecondPrintMode &&
           DeletedPicturesFolder == o.DeletedPicturesFolder && PictureFolder == o.PictureFolder &&
           PictureFolder2 == o.PictureFolder2 && EditOptions == o.EditOptions;
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

void InstallCurrentUserFilesSource()
{
    SetCurrentUserFilesSource([] {
        CurrentUserFiles files;
        if (theCurrentUser) {
            files.userFile = theCurrentUser->GetFile();
            if (theCurrentUser->Profile)
                files.profileFile = theCurrentUser->Profile->GetFile();
        }
        return files;
    });
}

namespace
{
const bool currentUserFilesSourceInstalled = (InstallCurrentUserFilesSource(), true);
} // namespace

void StoreWindowRect(CQuibUser* user)
{
    if (!user)
        user = theCurrentUser;
    if (!user || !mainWindowStateProvider())
        return;
    const MainWindowState window = mainWindowStateProvider()();
    if (!window.exists || !window.visible)
        return;
    if (user->WindowRect.IsRectEmpty() || user->WindowRect == window.rect)
        return;
    user->WindowRect = window.rect;
    user->Commit();
}

void SetMainWindowStateProvider(std::function<MainWindowState()> provider)
{
    mainWindowStateProvider() = std::move(provider);
}

void SetDefaultWindowRectProvider(std::function<void(CRect&)> provider)
{
    defaultWindowRectProvider() = std::move(provider);
}
