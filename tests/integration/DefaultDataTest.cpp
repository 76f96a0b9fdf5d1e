// The default data set as the build makes it: the data file holds the words in Danish and English with
// their pictures, a few recorded sounds and the pages with their links; the template user starts on the
// start page and speaks; the start page draws in the main pane.

#include "core/FrameSizes.h"
#include "core/Icon.h"
#include "core/IconShapes.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"
#include "panes/UserSettings.h"
#include "panes/WriterPane.h"
#include "shell/CurrentUser.h"
#include "store/Registry.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <map>
#include <set>

using namespace lumivo;

namespace
{

constexpr std::uint16_t kDanish = 2;
constexpr std::uint16_t kEnglish = 9;
constexpr std::uint16_t kAnyLanguage = 1;
constexpr std::int32_t kMum = 1'000'000'101;
constexpr std::int32_t kYes = 1'000'000'315; // one of the words with a recorded sound

class NoWindow : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect&, bool) override {}
};

// Each icon shows something: a picture of many colours, or dark letters of its text (a few, where the
// pane is small). A card outline shows neither and is left out.
void expectIconsShowSomething(const CQuibBg& page, const QImage& shown, int darkLetterPixels = 20)
{
    for (const auto& icon : page.Icons) {
        if (icon->Flags & kIconNoPicture)
            continue;
        const QRect area = toQRect(icon->ScreenRect).intersected(shown.rect());
        ASSERT_FALSE(area.isEmpty()) << icon->WordId;
        std::set<QRgb> colours;
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                colours.insert(pixel);
                dark += qGray(pixel) < 80 ? 1 : 0;
            }
        }
        const bool textOnly = (icon->Flags & kIconContentMask) == kIconContentTextOnly;
        if (textOnly)
            EXPECT_GT(dark, darkLetterPixels) << icon->WordId;
        else
            EXPECT_GT(colours.size(), 50u) << icon->WordId;
    }
}

class DefaultDataTest : public test::LumivoTest
{
protected:
    // The installation's language, as start-up has read it before it makes the first user.
    virtual std::uint16_t SystemLanguage() const { return kDanish; }

    void SetUp() override
    {
        LumivoTest::SetUp();
        theLanguageNo = SystemLanguage();
        // Copies, so that nothing the test does reaches the build tree.
        theBaseDir = tempDir() + QLatin1Char('/');
        ASSERT_TRUE(QDir().mkpath(tempPath(QStringLiteral("Data"))));
        ASSERT_TRUE(QDir().mkpath(tempPath(QStringLiteral("Users"))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMIVO_DEFAULT_DATA_FILE),
                                tempPath(QStringLiteral("Data/Default.tvf"))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMIVO_TEMPLATE_USER_FILE),
                                tempPath(QStringLiteral("Users/TUF.tvf"))));
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);

        ScanDataFolder(0);
        ASSERT_EQ(theDataFiles.size(), 1u);
        UseDefaultUser();
        ASSERT_NE(theCurrentUser, nullptr);
        // The languages as the reload sequence sets them for this user.
        theCurrentLanguage = theCurrentUser->PrimaryLanguage;
        theSecondLanguage = theCurrentUser->SecondLanguage;
        UpdateSystemList(CurrentUserFilesOf(theCurrentUser));
        theCurrentLanguageRec = FindSystemRecord(theCurrentLanguage);
        theSearchLanguages = {theCurrentLanguage, theSecondLanguage, kAnyLanguage};
        CQuibObjIndex::LoadWords();
    }

    // The word ids of each language in the word index.
    std::map<int, std::set<std::int32_t>> wordIdsByLanguage()
    {
        std::map<int, std::set<std::int32_t>> ids;
        theWordIndex.ForEach([&](std::int32_t id, CMyRes* object) {
            ids[CMyRes::GetResTypeLanguage(object->GetType())].insert(id);
        });
        return ids;
    }

    std::unique_ptr<CQuibBg> loadedPage(std::int32_t id)
    {
        auto page = FindBackgroundById(id, 1);
        if (page && page->Load() != RES_OK)
            page.reset();
        return page;
    }

    NoWindow m_window;
};

TEST_F(DefaultDataTest, WordsInBothLanguagesWithPicturesAndSomeRecordedSounds)
{
    ASSERT_NE(FindSystemRecord(kDanish), nullptr);
    ASSERT_NE(FindSystemRecord(kEnglish), nullptr);
    EXPECT_EQ(GetLanguageName(kDanish), "Dansk");
    EXPECT_EQ(GetLanguageName(kEnglish), "English");

    const auto ids = wordIdsByLanguage();
    ASSERT_TRUE(ids.contains(kDanish) && ids.contains(kEnglish));
    EXPECT_GE(ids.at(kDanish).size(), 80u);
    EXPECT_EQ(ids.at(kDanish), ids.at(kEnglish)) << "every word in both languages, under the same id";
    EXPECT_GE(theWordIndex.Names().Find(QStringLiteral("mor")), 0);
    EXPECT_GE(theWordIndex.Names().Find(QStringLiteral("mum")), 0);
    auto mum = FindWordById(kMum);
    ASSERT_TRUE(mum);
    ASSERT_EQ(mum->Load(), RES_OK);
    EXPECT_EQ(mum->WordName, "mor") << "a Danish user finds the Danish word first";

    for (std::int32_t id : ids.at(kDanish)) {
        auto picture = FindPictureById(id, 10);
        ASSERT_TRUE(picture) << id;
        ASSERT_EQ(picture->Load(), RES_OK);
        ASSERT_TRUE(picture->Decode()) << id;
        EXPECT_GT(picture->Width, 100u);
    }

    for (std::uint16_t language : {kDanish, kEnglish}) {
        theCurrentLanguage = language;
        theSecondLanguage = 0;
        auto sound = FindSoundById(kYes, 5);
        ASSERT_TRUE(sound) << language;
        ASSERT_EQ(sound->GetType(), MakeSoundType(5, std::int16_t(language)));
        ASSERT_EQ(sound->Load(), RES_OK);
        sound->LoadData();
        ASSERT_TRUE(sound->Data);
        WaveBlock decoded;
        EXPECT_GT(DecodeMp3(*sound->Data, decoded, 0), 0);
        EXPECT_GT(GetWaveDurationMs(decoded), 150u) << "a spoken word, not silence";
        EXPECT_LT(GetWaveDurationMs(decoded), 3000u);
    }
    EXPECT_FALSE(FindSoundById(kMum, 5)) << "the rest is spoken by the user's voice";
}

TEST_F(DefaultDataTest, TheTemplateUserSpeaksAndStartsOnTheStartPageWhichLinksToTheTopicsAndBack)
{
    EXPECT_EQ(theCurrentUser->PrimaryLanguage, kDanish);
    EXPECT_EQ(theCurrentUser->SecondLanguage, kEnglish);
    EXPECT_EQ(theCurrentUser->FirstOutput, 0xC0);
    EXPECT_TRUE(theCurrentUser->Voice1.isEmpty());
    EXPECT_EQ(theCurrentUser->SecondOutput, 0);

    const std::int32_t start = theCurrentUser->MainPane.StartPage;
    auto startPage = loadedPage(start);
    ASSERT_TRUE(startPage);
    EXPECT_EQ(startPage->Name, "Forside");
    std::set<std::int32_t> topics;
    for (const auto& icon : startPage->Icons) {
        if (icon->LinkId != 0)
            topics.insert(icon->LinkId);
    }
    ASSERT_GE(topics.size(), 5u);
    for (std::int32_t topic : topics) {
        auto page = loadedPage(topic);
        ASSERT_TRUE(page) << topic;
        bool linksBack = false;
        int words = 0;
        for (const auto& icon : page->Icons) {
            linksBack = linksBack || icon->LinkId == start;
            words += icon->LinkId == 0 && icon->WordId != 0 ? 1 : 0;
        }
        EXPECT_TRUE(linksBack) << topic;
        EXPECT_GE(words, 10) << topic;
        for (int mode = kFirstFrameSizeMode; mode <= kLastFrameSizeMode; ++mode)
            EXPECT_TRUE(FindPictureById(topic, FrameSizeToLayoutId(mode))) << topic << " " << mode;
    }
}

TEST_F(DefaultDataTest, TheStartPageDrawsItsCardsWithPicturesAndTexts)
{
    UpdateUserSettings();
    theFrameSizeMode = 2;
    theMainPane.SetOwnerWnd(&m_window);
    theMainPane.PaneRect = CRect(0, 0, 640, 427);
    theMainPane.SetVisible(true);
    theMainPane.LoadPage(static_cast<int>(theMainPane.StartPageId));
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    ASSERT_EQ(theMainPane.GetPage()->GetID(), theCurrentUser->MainPane.StartPage);

    QImage shown(640, 427, QImage::Format_RGB32);
    shown.fill(Qt::black);
    QPainter painter(&shown);
    theMainPane.Draw(painter);
    painter.end();
    if (const QByteArray snapshot = qgetenv("LUMIVO_START_PAGE_PNG"); !snapshot.isEmpty())
        shown.save(QString::fromLocal8Bit(snapshot));

    expectIconsShowSomething(*theMainPane.GetPage(), shown);
}

// The navigator and the word pane of the first start show pages laid out on the panes themselves, as
// small as the smallest frame size makes them and as large as the largest.
TEST_F(DefaultDataTest, TheSidePanesShowPagesThatFitThem)
{
    UpdateUserSettings();
    const std::pair<CPane*, std::vector<CSize>> panes[] = {
        {&theNavigatorPane, {CSize(96, 101), CSize(170, 128)}},
        {&theWordPane, {CSize(96, 241), CSize(170, 600)}}};
    for (const auto& [pane, sizes] : panes) {
        ASSERT_NE(pane->StartPageId, 0u);
        for (const CSize size : sizes) {
            for (int mode : {kFirstFrameSizeMode, kLastFrameSizeMode}) {
                theFrameSizeMode = mode;
                pane->ClearPage();
                pane->SetOwnerWnd(&m_window);
                pane->PaneRect = CRect(CPoint(0, 0), size);
                pane->SetVisible(true);
                pane->LoadPage(static_cast<int>(pane->StartPageId));
                ASSERT_NE(pane->GetPage(), nullptr);
                EXPECT_EQ(pane->PageSize, size) << "laid out on the pane, whatever the frame size";
                QImage shown(size.cx, size.cy, QImage::Format_RGB32);
                shown.fill(Qt::black);
                QPainter painter(&shown);
                pane->Draw(painter);
                painter.end();
                SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy << " mode " << mode);
                expectIconsShowSomething(*pane->GetPage(), shown, 2);
                pane->SetVisible(false);
                pane->ClearPage();
            }
        }
    }
}

// The words the program names by number: the sentence intentions that the writer's display-mode button
// steps through and print shows.
TEST_F(DefaultDataTest, EveryWordTheProgramNamesExistsInBothLanguagesWithAPicture)
{
    std::set<std::int32_t> named(kSentenceDisplayModes.begin(), kSentenceDisplayModes.end());
    named.insert(kDefaultIntensionMarkerId);
    named.insert(kQuestionMarkerId);
    const auto ids = wordIdsByLanguage();
    for (const std::int32_t id : named) {
        for (const std::uint16_t language : {kDanish, kEnglish})
            EXPECT_TRUE(ids.at(language).contains(id)) << id << " in language " << language;
        EXPECT_TRUE(FindPictureById(id, 10)) << id;
    }
    auto question = FindWordById(kQuestionMarkerId);
    ASSERT_TRUE(question);
    ASSERT_EQ(question->Load(), RES_OK);
    EXPECT_EQ(question->WordName, "spørgsmål");

    // The writer's display-mode button shows the picture of each intention, not a bare number.
    theWriterPane.SetOwnerWnd(&m_window);
    theWriterPane.PaneRect = CRect(0, 0, 800, 120);
    theWriterPane.SetVisible(true);
    theWriterPane.UpdateLayout(true);
    CWriterToolIcon* button = theWriterPane.Tool(WriterTool::DisplayMode);
    for (const std::int32_t mode : kSentenceDisplayModes) {
        QImage shown(800, 120, QImage::Format_RGB32);
        QPainter painter(&shown);
        theWriterPane.Draw(painter);
        painter.end();
        EXPECT_EQ(button->WordId, mode);
        EXPECT_FALSE(button->CachedBitmap.isNull()) << mode;
        theWriterPane.OnClick(0, button->ScreenRect.CenterPoint().x, button->ScreenRect.CenterPoint().y, 0);
    }
}

// On an English system the first user reads and hears English, with Danish searched next.
class EnglishDefaultDataTest : public DefaultDataTest
{
protected:
    std::uint16_t SystemLanguage() const override { return kEnglish; }
};

TEST_F(EnglishDefaultDataTest, TheFirstUserFollowsTheInstallationsLanguage)
{
    EXPECT_EQ(theCurrentUser->PrimaryLanguage, kEnglish);
    EXPECT_EQ(theCurrentUser->SecondLanguage, kDanish);
    auto startPage = loadedPage(theCurrentUser->MainPane.StartPage);
    ASSERT_TRUE(startPage);
    EXPECT_EQ(startPage->Name, "Home page");
    auto mum = FindWordById(kMum);
    ASSERT_TRUE(mum);
    ASSERT_EQ(mum->Load(), RES_OK);
    EXPECT_EQ(mum->WordName, "mum");

    // The user's file keeps the choice: the next start reads the same user.
    const std::int32_t number = theCurrentUser->GetID();
    const int file = theCurrentUser->GetFile();
    CQuibUser stored;
    ASSERT_EQ(stored.LoadFrom(number, file), RES_OK);
    EXPECT_EQ(stored.PrimaryLanguage, kEnglish);
}

} // namespace
