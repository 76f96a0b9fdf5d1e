// The user record's stream: the three layouts picked by the record's time stamp, the gates inside the
// newest one, the inner version and the fields it added.

#include "core/User.h"
#include "platform/archive/Archive.h"
#include "platform/archive/MemFile.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/UserSamples.h"

#include <memory>

namespace
{

constexpr std::int32_t kSentinel = 0x5EA7;

// Bytes of a record written field by field, as an older program wrote them.
class UserRecordWriter
{
public:
    UserRecordWriter() : m_archive(m_file, CArchive::store) {}

    template <class T> UserRecordWriter& operator<<(const T& value)
    {
        m_archive << value;
        return *this;
    }
    UserRecordWriter& str(const char* text) { return *this << QString::fromLatin1(text); }
    UserRecordWriter& count(std::size_t n)
    {
        m_archive.WriteCount(n);
        return *this;
    }
    UserRecordWriter& object(const CObject& value)
    {
        m_archive.WriteObject(&value);
        return *this;
    }
    UserRecordWriter& rect(int l, int t, int r, int b)
    {
        return *this << std::int32_t(l) << std::int32_t(t) << std::int32_t(r) << std::int32_t(b);
    }

    // The bytes written so far (the record is complete: nothing more can be added).
    QByteArray bytes()
    {
        m_archive.Close();
        return m_file.toByteArray();
    }

    // Loads a user from the bytes (with a sentinel behind them, which must be the next thing read).
    std::unique_ptr<CQuibUser> load(const CTime& stamp)
    {
        m_archive << kSentinel;
        m_archive.Close();
        m_file.SeekToBegin();
        CArchive in(m_file, CArchive::load);
        auto user = std::make_unique<CQuibUser>();
        user->SerializeStamped(in, stamp);
        std::int32_t next = 0;
        in >> next;
        EXPECT_EQ(next, kSentinel) << "the loader read too much or too little";
        return user;
    }

private:
    CMemFile m_file;
    CArchive m_archive;
};

// Steps 1 to 5 of the newest layout, with the given flags.
void writeNewestHead(UserRecordWriter& bytes, std::uint32_t flags)
{
    bytes.str("Karen") << std::int16_t(10001) << std::int16_t(10002) << std::int16_t(1) << std::int16_t(2);
    bytes.str("t1").str("t2") << flags << std::int16_t(0x0F) << std::int16_t(1005);
    bytes.str("Profile A") << std::int32_t(77);
    bytes.rect(10, 20, 810, 620);
    bytes << std::uint32_t(0x05112233) << std::uint32_t(0x04445566);
    for (int pane = 0; pane < 5; ++pane)
        bytes << std::int32_t(100 + pane) << std::uint32_t(0x03000000 + pane) << std::uint32_t(0x200 + pane);
    bytes << std::uint32_t(0x1234) << std::uint32_t(0x03ABCDEF);
    bytes.str("-12,0,0,0,400,0,0,0,0,0,0,2,18,Arial,0");
}

void expectNewestHead(const CQuibUser& user)
{
    EXPECT_EQ(user.Name, "Karen");
    EXPECT_EQ(user.PrimaryLanguage, 10001);
    EXPECT_EQ(user.SecondLanguage, 10002);
    EXPECT_EQ(user.FirstOutput, 1);
    EXPECT_EQ(user.SecondOutput, 2);
    EXPECT_EQ(user.Text2, "t2");
    EXPECT_EQ(user.ScreenFlags, 0x0F);
    EXPECT_EQ(user.UserLevel, 1005);
    EXPECT_EQ(user.ProfileName, "Profile A");
    EXPECT_EQ(user.ProfileNumber, 77);
    EXPECT_EQ(user.WindowRect, CRect(10, 20, 810, 620));
    EXPECT_EQ(user.HighlightColor2, 0x04445566u);
    EXPECT_EQ(user.MainPane.StartPage, 100);
    EXPECT_EQ(user.InfoPane.StartPage, 104);
    EXPECT_EQ(user.InfoPane.SecondColor, 0x204u);
    EXPECT_EQ(user.BrowseFlags, 0x1234u); // flags come before the colour
    EXPECT_EQ(user.BrowseColor, 0x03ABCDEFu);
}

// Stores the user into `file` and puts the file back at its start.
void storeUser(CQuibUser& user, CMemFile& file)
{
    CArchive out(file, CArchive::store);
    user.Serialize(out);
    out.Close();
    file.SeekToBegin();
}

std::unique_ptr<CQuibUser> roundTrip(CQuibUser& user, const CTime& stamp)
{
    CMemFile file;
    storeUser(user, file);
    CArchive in(file, CArchive::load);
    auto loaded = std::make_unique<CQuibUser>();
    loaded->SerializeStamped(in, stamp);
    return loaded;
}

} // namespace

class UserStreamTest : public lumivo::test::LumivoTest
{
};

TEST_F(UserStreamTest, NewUserHasTheDocumentedDefaults)
{
    const CQuibUser user;
    EXPECT_EQ(user.PrimaryLanguage, 10000);
    EXPECT_EQ(user.ScreenFlags, 0x00F7);
    EXPECT_EQ(user.UserLevel, 1000);
    EXPECT_EQ(user.MaxSentences, 9);
    EXPECT_EQ(user.BrowseFlags, 0x5011u);
    EXPECT_EQ(user.BrowseFont, "-16,0,0,0,700,0,0,0,0,1,2,1,34,MS Sans Serif,0");
    EXPECT_EQ(user.PrintValues, (std::array<std::uint32_t, 6>{768, 768, 897, 768, 907, 512}));
    EXPECT_EQ(user.PrintHeader, "&r&d");
    EXPECT_EQ(user.PrintFooter, "&c- &p -");
    EXPECT_TRUE(user.LetterHead.startsWith("&l"));
    EXPECT_TRUE(user.LetterEnd.startsWith("&c&n&nMed venlig hilsen&n&n&n"));
    EXPECT_EQ(user.EditOptions, 0x3600);
    EXPECT_EQ(user.WordDisplayFlags, 3);
    EXPECT_EQ(user.GetType(), 0x675F7573u);
}

TEST_F(UserStreamTest, EmptyPictureFolderGivesNoDeletedPicturesFolder)
{
    EXPECT_EQ(DeletedPicturesFolderFor(QString()), QString());
    const QString folder = DeletedPicturesFolderFor("/home/anna/Pictures");
    EXPECT_TRUE(folder.startsWith("/home/anna/Pictures/"));
    EXPECT_GT(folder.size(), QString("/home/anna/Pictures/").size());
}

TEST_F(UserStreamTest, EveryFieldSurvivesARoundTripIncludingThePrintTexts)
{
    CQuibUser user;
    lumivo::test::SetEveryUserField(user);
    const auto loaded = roundTrip(user, CTime::GetCurrentTime());
    EXPECT_TRUE(loaded->SameSettings(user));
    EXPECT_EQ(loaded->Flags, CQuibUser::kFlagCompressor | CQuibUser::kFlagVersioned);
    EXPECT_EQ(loaded->PrintHeader, "&lHeader");
    EXPECT_EQ(loaded->LetterEnd, "&cVenlig hilsen&nPer");
    EXPECT_EQ(loaded->PrintFont, user.PrintFont);
    EXPECT_EQ(loaded->UsePassword, 1);
    ASSERT_EQ(loaded->ColorTable.size(), 1u);
    EXPECT_EQ(loaded->ColorTable.at(101)->GetPacked(), 0x65112233u);
}

TEST_F(UserStreamTest, RecordAtTheNewestThresholdReadsTheNewestLayoutWithoutGatedFields)
{
    // Stamped exactly at the threshold: the newest layout (inclusive), but every gate inside it is
    // strictly later, so steps 1 to 5 only.
    UserRecordWriter bytes;
    writeNewestHead(bytes, 0);
    const auto user = bytes.load(UserStreamGates::Newest());
    expectNewestHead(*user);
    EXPECT_TRUE(user->Sentences.empty());
    EXPECT_TRUE(user->ColorTable.empty());
    EXPECT_TRUE(user->Voice1.isEmpty());
    EXPECT_EQ(user->MaxSentences, 9);
    EXPECT_EQ(user->PrintValues[2], 897u);
    EXPECT_EQ(user->EditOptions, 0x3600);
}

TEST_F(UserStreamTest, RecordOneSecondBeforeTheNewestThresholdReadsTheMiddleLayout)
{
    UserRecordWriter bytes;
    bytes.str("Middle") << std::int16_t(10001) << std::int16_t(0) << std::int16_t(1) << std::int16_t(2);
    bytes.str("a").str("b") << std::uint32_t(0x2) << std::int16_t(0x0F) << std::int16_t(1001);
    bytes.str("P") << std::int32_t(3);
    bytes.rect(1, 2, 3, 4);
    bytes << std::uint32_t(0x05000001) << std::uint32_t(0x04000002);
    for (int pane = 0; pane < 5; ++pane)
        bytes << std::int32_t(pane) << std::uint32_t(0x03000010 + pane) << std::uint32_t(pane);
    bytes << std::uint32_t(0x00ABCDEF) << std::uint32_t(7) << std::uint32_t(8); // legacy browse values
    bytes.str("legacy");

    const auto user = bytes.load(UserStreamGates::Newest() - CTimeSpan(1));
    EXPECT_EQ(user->Name, "Middle");
    EXPECT_EQ(user->UserLevel, 1001);
    EXPECT_EQ(user->WindowRect, CRect(1, 2, 3, 4));
    EXPECT_EQ(user->InfoPane.Color, 0x03000014u);
    EXPECT_EQ(user->LegacyBrowseColor, 0x00ABCDEFu);
    EXPECT_EQ(user->LegacyBrowseText, "legacy");
    EXPECT_EQ(user->BrowseFlags, 0x5011u); // not in this layout: default kept
}

TEST_F(UserStreamTest, MiddleLayoutBrowseValuesFollowTheirGates)
{
    const auto middleHead = [](UserRecordWriter& bytes) -> UserRecordWriter& {
        bytes.str("M") << std::int16_t(1) << std::int16_t(2) << std::int16_t(0) << std::int16_t(0);
        bytes.str("").str("") << std::uint32_t(0) << std::int16_t(0) << std::int16_t(1000);
        bytes.str("") << std::int32_t(0);
        bytes.rect(0, 0, 0, 0);
        bytes << std::uint32_t(0) << std::uint32_t(0);
        for (int pane = 0; pane < 5; ++pane)
            bytes << std::int32_t(0) << std::uint32_t(0) << std::uint32_t(0);
        return bytes;
    };
    // Stamped exactly at the middle layout's threshold (inclusive) or at the browse-values gate
    // (strictly later): neither the values nor the text.
    UserRecordWriter atThreshold;
    EXPECT_EQ(middleHead(atThreshold).load(UserStreamGates::Middle())->Name, "M");
    UserRecordWriter atValuesGate;
    EXPECT_EQ(middleHead(atValuesGate).load(UserStreamGates::MiddleBrowseValues())->Name, "M");

    // Exactly at the text gate: the values, but not the text.
    UserRecordWriter atTextGate;
    middleHead(atTextGate) << std::uint32_t(0x00ABCDEF) << std::uint32_t(7) << std::uint32_t(8);
    const auto user = atTextGate.load(UserStreamGates::MiddleBrowseText());
    EXPECT_EQ(user->LegacyBrowseValue2, 8u);
    EXPECT_TRUE(user->LegacyBrowseText.isEmpty());
}

TEST_F(UserStreamTest, OldestLayoutCarriesThePasswordFlagAndAGatedWindowRectangle)
{
    const auto oldest = [](UserRecordWriter& bytes, bool withRect) -> UserRecordWriter& {
        bytes.str("Old") << std::int16_t(10000) << std::int16_t(10000) << std::int16_t(0) << std::int16_t(1);
        bytes.str("pw") << std::int32_t(0x0101) << QString("hint");
        bytes << std::int16_t(0x07) << std::int16_t(1002);
        bytes << std::uint32_t(0x05000003) << std::uint32_t(0x04000004);
        for (int pane = 0; pane < 4; ++pane)
            bytes << std::int32_t(pane + 1) << std::uint32_t(0x03000020 + pane);
        bytes.str("Prof") << std::int32_t(9);
        if (withRect)
            bytes.rect(5, 6, 7, 8);
        return bytes;
    };
    UserRecordWriter first;
    auto atGate = oldest(first, false).load(UserStreamGates::OldestWindowRect());
    EXPECT_EQ(atGate->Name, "Old");
    EXPECT_EQ(atGate->Text1, "pw");
    EXPECT_EQ(atGate->UsePassword, 1); // the low byte of the flag word
    EXPECT_EQ(atGate->Text2, "hint");
    EXPECT_EQ(atGate->UserLevel, 1002);
    EXPECT_EQ(atGate->WriterPane.StartPage, 4);
    EXPECT_EQ(atGate->WriterPane.Color, 0x03000023u);
    EXPECT_EQ(atGate->InfoPane.StartPage, 0); // no info pane in this layout
    EXPECT_EQ(atGate->ProfileNumber, 9);
    EXPECT_TRUE(atGate->WindowRect.IsRectNull());

    UserRecordWriter second;
    auto later = oldest(second, true).load(UserStreamGates::OldestWindowRect() + CTimeSpan(1));
    EXPECT_EQ(later->WindowRect, CRect(5, 6, 7, 8));

    // The last second before the middle layout still reads the oldest one.
    UserRecordWriter third;
    auto lastOldest = oldest(third, true).load(UserStreamGates::Middle() - CTimeSpan(1));
    EXPECT_EQ(lastOldest->ProfileName, "Prof");
}

TEST_F(UserStreamTest, SentenceListIsReadOnlyStrictlyAfterItsGate)
{
    UserRecordWriter atGate;
    writeNewestHead(atGate, 0);
    const auto skipped = atGate.load(UserStreamGates::Sentences());
    EXPECT_TRUE(skipped->Sentences.empty());

    UserRecordWriter after;
    writeNewestHead(after, 0);
    after.count(2) << std::int32_t(41) << std::int32_t(42) << std::int32_t(1);
    const auto read = after.load(UserStreamGates::Sentences() + CTimeSpan(1));
    EXPECT_EQ(read->Sentences, (std::vector<std::int32_t>{41, 42}));
    EXPECT_EQ(read->CurrentSentence, 1);
}

TEST_F(UserStreamTest, LaterGatesAddColoursVoicesAndMaximumSentences)
{
    UserRecordWriter bytes;
    writeNewestHead(bytes, 0);
    bytes.count(0) << std::int32_t(0); // sentences, current sentence
    bytes.count(0);                    // colour table
    bytes.str("v1").str("v2");
    bytes << std::int32_t(15); // maximum sentences
    const auto user = bytes.load(UserStreamGates::MaxSentences() + CTimeSpan(1));
    expectNewestHead(*user);
    EXPECT_EQ(user->Voice1, "v1");
    EXPECT_EQ(user->Voice2, "v2");
    EXPECT_EQ(user->MaxSentences, 15);
}

TEST_F(UserStreamTest, VersionTwoRecordKeepsThePrintTextsAtTheirDefaults)
{
    // Written by the program before the print texts were stored: inner version 2 ends with the edit
    // options.
    UserRecordWriter bytes;
    writeNewestHead(bytes, CQuibUser::kFlagVersioned);
    bytes << std::int32_t(2);
    bytes << std::int32_t(5032) << std::int32_t(9373) << std::int32_t(9371);
    bytes << std::int32_t(95) << std::int32_t(60) << std::int32_t(130) << std::int32_t(90);
    for (std::uint32_t value : {10u, 20u, 30u, 40u, 50u, 60u})
        bytes << value;
    bytes << std::int32_t(5028);
    bytes.str("/old/deleted").str("/old").str("/old2");
    bytes << std::int32_t(0x0600);

    const auto user = bytes.load(CTime(2002, 3, 1, 12, 0, 0));
    expectNewestHead(*user);
    EXPECT_EQ(user->PrintMode, 5032);
    EXPECT_EQ(user->PrintPageSize, CSize(95, 60));
    EXPECT_EQ(user->PrintValues[5], 60u);
    EXPECT_EQ(user->SecondPrintMode, 5028);
    EXPECT_EQ(user->PictureFolder2, "/old2");
    EXPECT_EQ(user->EditOptions, 0x0600);
    const CQuibUser defaults;
    EXPECT_EQ(user->PrintHeader, defaults.PrintHeader);
    EXPECT_EQ(user->PrintFooter, defaults.PrintFooter);
    EXPECT_EQ(user->PrintFont, defaults.PrintFont);
    EXPECT_EQ(user->LetterHead, defaults.LetterHead);
    EXPECT_EQ(user->LetterEnd, defaults.LetterEnd);
    EXPECT_EQ(user->UsePassword, 0);
}

TEST_F(UserStreamTest, VersionOneRecordStopsBeforeTheEditOptions)
{
    UserRecordWriter bytes;
    writeNewestHead(bytes, CQuibUser::kFlagVersioned);
    bytes << std::int32_t(1);
    bytes << std::int32_t(5029) << std::int32_t(9374) << std::int32_t(9370);
    bytes << std::int32_t(170) << std::int32_t(85) << std::int32_t(140) << std::int32_t(93);
    for (int i = 0; i < 6; ++i)
        bytes << std::uint32_t(768);
    bytes << std::int32_t(5029);
    bytes.str("").str("").str("");
    const auto user = bytes.load(CTime(2002, 3, 1, 12, 0, 0));
    EXPECT_EQ(user->EditOptions, 0x3600);
    EXPECT_TRUE(user->PictureFolder.isEmpty());
}

TEST_F(UserStreamTest, StoredRecordCarriesTheVersionFlagAndInnerVersionThree)
{
    CQuibUser user;
    CMemFile file;
    storeUser(user, file);
    // Name (empty: one length byte), four i16, two empty texts, then the flags.
    const std::uint8_t* bytes = file.data();
    const std::uint32_t flags = bytes[11] | bytes[12] << 8 | bytes[13] << 16 | std::uint32_t(bytes[14]) << 24;
    EXPECT_EQ(flags & CQuibUser::kFlagVersioned, CQuibUser::kFlagVersioned);
}

TEST_F(UserStreamTest, StoredRecordIsTheNewestLayoutFieldByField)
{
    CQuibUser user;
    lumivo::test::SetEveryUserField(user);
    CMemFile file;
    storeUser(user, file);

    UserRecordWriter expected;
    expected << QString::fromUtf8("Søren Ærø") << std::int16_t(10001) << std::int16_t(2) << std::int16_t(3)
             << std::int16_t(4);
    expected.str("secret").str("hint") << std::uint32_t(0x8002) << std::int16_t(0x0B) << std::int16_t(1200);
    expected.str("Teachers") << std::int32_t(4321);
    expected.rect(4, 5, 1004, 773);
    expected << std::uint32_t(0x05010203) << std::uint32_t(0x04040506);
    for (int pane = 0; pane < 5; ++pane)
        expected << std::int32_t(11 + pane) << std::uint32_t(0x03070809 + pane) << std::uint32_t(0x10 + pane);
    expected << std::uint32_t(0x7777) << std::uint32_t(0x03102030);
    expected.str("-20,0,0,0,700,0,0,0,0,1,2,1,34,Arial,255");
    expected.count(3) << std::int32_t(5) << std::int32_t(9) << std::int32_t(1000000007) << std::int32_t(2);
    expected.count(1) << std::uint16_t(101);
    CColor skin;
    skin.Set(0x00112233, 101, "Skin", 0x10000);
    expected.object(skin);
    expected.str("danish").str("english") << std::int32_t(25);
    expected << std::int32_t(3); // the inner version
    expected << std::int32_t(5031) << std::int32_t(9372) << std::int32_t(9369);
    expected << std::int32_t(95) << std::int32_t(60) << std::int32_t(120) << std::int32_t(80);
    for (std::uint32_t value = 1; value <= 6; ++value)
        expected << value;
    expected << std::int32_t(5030);
    expected.str("/pictures/gone").str("/pictures").str("/more");
    expected << std::int32_t(0x1234);
    expected.str("&lHeader").str("&rPage &p").str("-13,0,0,0,400,1,0,0,0,3,2,1,18,Courier New,0");
    expected.str("&lOdense, d.&d&n").str("&cVenlig hilsen&nPer") << std::uint8_t(1);

    EXPECT_EQ(file.toByteArray().toHex(' '), expected.bytes().toHex(' '));
}

TEST_F(UserStreamTest, SetDefaultsCopiesEverythingButTheProfile)
{
    CQuibUser source;
    lumivo::test::SetEveryUserField(source);
    source.Profile = std::make_unique<CQuibUser>();
    source.LegacyBrowseText = "legacy";
    CQuibUser copy;
    copy.SetDefaults(&source);
    EXPECT_TRUE(copy.SameSettings(source));
    EXPECT_EQ(copy.Profile, nullptr);
    EXPECT_TRUE(copy.LegacyBrowseText.isEmpty());
    // The colour table is a copy, not shared.
    source.ColorTable.at(101)->SetRGB(0);
    EXPECT_EQ(copy.ColorTable.at(101)->GetPacked(), 0x65112233u);

    copy.SetDefaults(nullptr);
    EXPECT_TRUE(copy.SameSettings(CQuibUser()));
}

TEST_F(UserStreamTest, ReloadingKeepsTheProfileTheUserFollows)
{
    CQuibUser user;
    user.Profile = std::make_unique<CQuibUser>();
    CQuibUser* profile = user.Profile.get();
    CMemFile file;
    storeUser(user, file);
    CArchive in(file, CArchive::load);
    user.SerializeStamped(in, CTime::GetCurrentTime());
    EXPECT_EQ(user.Profile.get(), profile);
}

TEST_F(UserStreamTest, TruncatedRecordThrowsForTheHandleLayerToCatch)
{
    EXPECT_ANY_THROW({
        UserRecordWriter cut;
        cut.str("Cut") << std::int16_t(1);
        cut.load(CTime::GetCurrentTime());
    });
}

// A colour table that gives one colour number twice replaces the first colour; a later reference
// back to that colour is a read error, not a use of the freed colour.
TEST_F(UserStreamTest, AColourTableReferringBackToAReplacedColourIsAReadError)
{
    CColor first;
    first.Set(0x112233, 5, QStringLiteral("first"));
    CColor second;
    second.Set(0x445566, 5, QStringLiteral("second"));
    UserRecordWriter bytes;
    writeNewestHead(bytes, 0);
    bytes.count(0) << std::int32_t(0); // sentences, current sentence
    bytes.count(3) << std::uint16_t(5);
    bytes.object(first) << std::uint16_t(5);
    bytes.object(second) << std::uint16_t(6);
    bytes.object(first);
    EXPECT_ANY_THROW(bytes.load(CTime::GetCurrentTime()));
}
