// A page's stream and its time gates, a page with icons stored and read back, and saving an edited
// page where the user's changes belong, with the panes letting go of what is replaced.

#include "core/Page.h"
#include "core/IconShapes.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/User.h"
#include "platform/archive/MemFile.h"
#include "platform/ui/Ui.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "tests/core/StoredPictures.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/PageEventLog.h"

#include <memory>
#include <optional>
#include <tuple>

using namespace lumivo::test;
using namespace lumivo::ui;

namespace
{

constexpr std::int32_t kPageId = 31;
constexpr std::uint16_t kLanguage = 1;

// Where a page is filed: its id, file and language.
std::tuple<std::int32_t, int, int> placeOf(CQuibBg& page)
{
    return {page.GetID(), page.GetFile(), GetBgTypeLanguage(page.GetType())};
}

// Stands for a pane that shows one page, following what the model announces as the panes do: it lets
// go of a page replaced or removed and shows the replacement, or, having let go for nothing, the page
// filed later in the place of the one it let go of.
class FollowingView : public QObject
{
public:
    explicit FollowingView(CQuibBg* page) : shown(page)
    {
        connect(&thePageEvents, &CPageEvents::pageReplaced, this, [this](CQuibBg* old, CQuibBg* replacement) {
            if (old == shown) {
                letGo();
                shown = replacement;
                if (!replacement)
                    m_awaited = placeOf(*old);
            } else if (!shown && replacement && m_awaited == placeOf(*replacement)) {
                shown = replacement;
            }
        });
        connect(&thePageEvents, &CPageEvents::pageAboutToBeRemoved, this, [this](CQuibBg* page) {
            if (page != shown)
                return;
            letGo();
            shown = nullptr;
            m_removedId = page->GetID();
        });
        connect(&thePageEvents, &CPageEvents::pageRemoved, this, [this](std::int32_t id) {
            if (id == m_removedId)
                defaultShown = true;
        });
        connect(&thePageEvents, &CPageEvents::pageReverted, this,
                [this](CQuibBg* page) { layouts += page == shown; });
    }

    CQuibBg* shown = nullptr;
    // It let go of each page while the index still held it, so the page still existed.
    bool releasedWhileHeld = true;
    bool defaultShown = false;
    int layouts = 0;

private:
    void letGo() { releasedWhileHeld = releasedWhileHeld && theBgIndex.Contains(shown); }

    std::optional<std::tuple<std::int32_t, int, int>> m_awaited;
    std::int32_t m_removedId = 0;
};

void addIcon(CQuibBg& page, std::unique_ptr<CQuibIcon> icon, CRect screen, const char* name)
{
    icon->ScreenRect = screen;
    icon->Name = QString::fromLatin1(name);
    page.Icons.push_back(std::move(icon));
}

QByteArray pageStream(CQuibBg& page)
{
    CMemFile file;
    CArchive out(file, CArchive::store);
    page.Serialize(out);
    out.Close();
    return file.toByteArray();
}

void loadPageStamped(CQuibBg& page, const QByteArray& bytes, const CTime& stamp)
{
    CMemFile file;
    file.Attach(bytes);
    CArchive in(file, CArchive::load);
    page.SerializeStamped(in, stamp);
}

QString storedPageName(std::int32_t id, int file)
{
    CQuibBg page;
    if (AttachResource(&page, id, MakeBgType(1, kLanguage), file) != 0)
        return "none";
    page.Load();
    return page.Name;
}

} // namespace

class PageTest : public LumivoTest
{
protected:
    static std::unique_ptr<CQuibBg> samplePage()
    {
        auto page = std::make_unique<CQuibBg>();
        page->Name = "Home";
        page->BgFlags = 5;
        page->LayoutSize = SIZE{640, 480};
        addIcon(*page, std::make_unique<CQuibIcon>(), CRect(64, 48, 320, 192), "back");
        addIcon(*page, std::make_unique<CQuibIcon_Ellipse>(), CRect(0, 0, 64, 48), "front");
        IconListScreenToRelative(page->Icons, page->LayoutSize);
        return page;
    }
};

TEST_F(PageTest, OlderRecordsLackTheIconsOrTheFlags)
{
    auto page = samplePage();
    const QByteArray bytes = pageStream(*page);
    const CTimeSpan second(0, 0, 0, 1);
    struct Case {
        CTime stamp;
        std::size_t icons;
        std::uint32_t flags;
    };
    for (const Case& c : {Case{PageIconsGate(), 0, 9}, Case{PageIconsGate() + second, 2, 9},
                          Case{PageFlagsGate(), 2, 9}, Case{PageFlagsGate() + second, 2, 5}}) {
        CQuibBg loaded;
        loaded.BgFlags = 9;
        if (c.icons == 0) {
            // A record without icons ends after the name; so the stream that holds them cannot serve.
            CMemFile file;
            CArchive out(file, CArchive::store);
            out << page->Name;
            out.Close();
            loadPageStamped(loaded, file.toByteArray(), c.stamp);
        } else {
            loadPageStamped(loaded, bytes, c.stamp);
        }
        EXPECT_EQ(loaded.Name, "Home");
        EXPECT_EQ(loaded.Icons.size(), c.icons) << c.stamp.GetTime();
        EXPECT_EQ(loaded.BgFlags, c.flags) << c.stamp.GetTime();
    }
}

TEST_F(PageTest, PageWithIconsIsStoredAndReadBackEqual)
{
    int file = makeResourceFile(tempPath("user.tvf"));
    auto page = samplePage();
    page->Icons[0]->ScreenRect = CRect(100, 100, 200, 150); // moved since the last layout
    storeInFile(*page, kPageId, file, MakeBgType(1, kLanguage));
    ASSERT_EQ(page->Write(), RES_OK);
    file = saveAndReopen(file);

    CQuibBg read;
    ASSERT_EQ(AttachResource(&read, kPageId, MakeBgType(1, kLanguage), file), 0);
    ASSERT_EQ(read.Load(), RES_OK);
    EXPECT_EQ(static_cast<const CQuibBgSettings&>(read), static_cast<const CQuibBgSettings&>(*page));
    ASSERT_EQ(read.Icons.size(), 2u);
    IconListRelativeToScreen(read.Icons, SIZE{640, 480});
    for (std::size_t i = 0; i < read.Icons.size(); ++i) {
        EXPECT_EQ(read.Icons[i]->GetRuntimeClass(), page->Icons[i]->GetRuntimeClass());
        EXPECT_EQ(static_cast<const CQuibIconFields&>(*read.Icons[i]),
                  static_cast<const CQuibIconFields&>(*page->Icons[i]));
    }

    // A page whose second icon has a version nobody wrote fails whole instead of reading on out of
    // step, and the page that was read into keeps what it held.
    QByteArray bytes = pageStream(*page);
    const qsizetype version = bytes.lastIndexOf(QByteArray::fromHex("01000000") + char(5) + "front");
    ASSERT_GT(version, 0);
    bytes[version] = 7;
    EXPECT_THROW(loadPageStamped(read, bytes, CTime::GetCurrentTime()), CArchiveException);
    EXPECT_EQ(read.Icons.size(), 2u);
}

class PageSaveTest : public PageTest
{
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_dataFile = makeResourceFile(tempPath("data.tvf"));
        auto original = samplePage();
        storeInFile(*original, kPageId, m_dataFile, MakeBgType(1, kLanguage));
        original->Write();
        m_dataFile = saveAndReopen(m_dataFile);

        m_userFile = makeResourceFile(tempPath("user.tvf"));
        m_user = std::make_unique<CQuibUser>();
        m_user->PrimaryLanguage = kLanguage;
        storeInFile(*m_user, 1234, m_userFile, CQuibUser::kType);
        theCurrentUser = m_user.get();

        // The data-file page, filed as the index builder does, shown by a pane and then edited.
        std::unique_ptr<CMyRes> made;
        QString name;
        CResEntry* record = nullptr;
        ASSERT_EQ(FindResEntry(&record, nullptr, kPageId, MakeBgType(1, kLanguage), m_dataFile), 0);
        made = thePageObjectMaker(record, name);
        ASSERT_NE(made, nullptr);
        m_page = static_cast<CQuibBg*>(made.get());
        theBgIndex.Add(std::move(made));
        theBgIndex.Names().InsertSorted(name, m_page);
        m_view = std::make_unique<FollowingView>(m_page);
        m_page->Name = "Home edited";
        m_page->Commit();
    }

    void TearDown() override
    {
        theBgIndex.DeleteAll();
        PageTest::TearDown();
    }

    int m_dataFile = 0;
    int m_userFile = 0;
    std::unique_ptr<CQuibUser> m_user;
    CQuibBg* m_page = nullptr; // owned by the index
    std::unique_ptr<FollowingView> m_view;
};

// The same on a disk that fills up (in place before the set-up opens the files).
class PageSaveOnFullDiskTest : public PageSaveTest
{
protected:
    FullDisk m_disk;
};

TEST_F(PageSaveTest, CancelKeepsTheEditAndNoDropsIt)
{
    ScopedAnswerer answerer;
    answerer.reply(IDCANCEL).reply(IDNO);
    EXPECT_FALSE(CQuibBg::SaveChanges(m_page, true));
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, "Save the changes to background \"Home edited\"?");
    EXPECT_EQ(m_page->Name, "Home edited");

    EXPECT_TRUE(CQuibBg::SaveChanges(m_page, true));
    EXPECT_EQ(m_page->Name, "Home");
    EXPECT_EQ(m_page->Icons.size(), 2u);
    EXPECT_EQ(m_view->layouts, 1);
    EXPECT_EQ(storedPageName(kPageId, m_userFile), "none");
}

TEST_F(PageSaveTest, YesCopiesADataFilePageIntoTheUserFileAndThePaneShowsTheCopy)
{
    ScopedAnswerer answerer;
    EXPECT_TRUE(CQuibBg::SaveChanges(m_page, false));
    EXPECT_EQ(storedPageName(kPageId, m_userFile), "Home edited");
    EXPECT_EQ(m_page->Name, "Home");
    auto* copy = static_cast<CQuibBg*>(theBgIndex.Find(m_userFile, kLanguage, kPageId));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(m_view->shown, copy);
    ASSERT_EQ(copy->Icons.size(), 2u);
    EXPECT_EQ(copy->Icons[1]->GetRuntimeClass(), RUNTIME_CLASS(CQuibIcon_Ellipse));
    EXPECT_GE(theBgIndex.Names().Find("Home edited"), 0);
}

TEST_F(PageSaveTest, ReplacingTheUsersCopyAsksAndThePaneLetsGoFirst)
{
    ScopedAnswerer answerer;
    ASSERT_TRUE(CQuibBg::SaveChanges(m_page, false));
    m_page->Name = "Home again";
    m_page->Commit();

    answerer.reply(IDYES).reply(IDNO);
    EXPECT_TRUE(CQuibBg::SaveChanges(m_page, true));
    EXPECT_EQ(storedPageName(kPageId, m_userFile), "Home edited");
    EXPECT_TRUE(answerer.questions()[1].text.startsWith("The background already exist"));

    m_page->Name = "Home again";
    m_page->Commit();
    answerer.reply(IDYES).reply(IDYES);
    EXPECT_TRUE(CQuibBg::SaveChanges(m_page, true));
    EXPECT_EQ(storedPageName(kPageId, m_userFile), "Home again");
    EXPECT_EQ(m_view->shown, theBgIndex.Find(m_userFile, kLanguage, kPageId));
    ASSERT_NE(m_view->shown, nullptr);
    EXPECT_EQ(m_view->shown->Name, "Home again");
    EXPECT_TRUE(m_view->releasedWhileHeld);
}

TEST_F(PageSaveTest, NewPageAnsweredNoIsRemovedAndYesGetsAFreeId)
{
    auto made = std::make_unique<CQuibBg>();
    CQuibBg* fresh = made.get();
    fresh->Name = "new";
    storeInFile(*fresh, 77, m_userFile, MakeBgType(1, kLanguage));
    theBgIndex.Add(std::move(made));
    ASSERT_TRUE(fresh->IsNew());
    ScopedAnswerer answerer;
    answerer.reply(IDNO);
    EXPECT_TRUE(CQuibBg::SaveChanges(fresh, true));
    EXPECT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(theBgIndex.Find(m_userFile, kLanguage, 77), nullptr);

    CQuibBg unstored;
    unstored.Name = "unstored";
    ASSERT_EQ(unstored.Create(), RES_OK);
    unstored.Commit();
    EXPECT_TRUE(CQuibBg::SaveChanges(&unstored, false));
    EXPECT_GE(unstored.GetID(), 1'000'000'001);
    EXPECT_EQ(unstored.GetFile(), m_userFile);
    EXPECT_EQ(storedPageName(unstored.GetID(), m_userFile), "unstored");

    // A page the caller owns is taken over by the page index once it is stored.
    auto owned = std::make_unique<CQuibBg>();
    CQuibBg* page = owned.get();
    page->Name = "owned";
    ASSERT_EQ(page->Create(), RES_OK);
    page->Commit();
    EXPECT_TRUE(CQuibBg::SaveChanges(owned, false));
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(theBgIndex.Find(m_userFile, kLanguage, page->GetID()), page);
    EXPECT_GE(theBgIndex.Names().Find("owned"), 0);
}

TEST_F(PageSaveOnFullDiskTest, ACopyThatCannotBeWrittenIsShownChangedTheWriteIsToldAndTheNextSaveStoresIt)
{
    m_disk.Fill();
    int written = RES_OK;
    EXPECT_TRUE(CQuibBg::SaveChanges(m_page, false, &written));
    EXPECT_NE(written, RES_OK);
    auto* copy = static_cast<CQuibBg*>(theBgIndex.Find(m_userFile, kLanguage, kPageId));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(m_view->shown, copy);
    EXPECT_EQ(copy->Name, "Home edited");
    EXPECT_TRUE(copy->IsChanged());

    m_disk.MakeRoom();
    ASSERT_EQ(SaveResFile(m_userFile, {}, false), RES_OK);
    EXPECT_EQ(storedPageName(kPageId, m_userFile), "Home edited");
    EXPECT_FALSE(copy->IsChanged());
}

TEST_F(PageSaveTest, RemovingAShownPageLetsThePaneGoThenLoadItsDefault)
{
    ScopedAnswerer answerer;
    answerer.reply(IDOK);
    EXPECT_TRUE(CQuibBg::Remove(m_page, true));
    EXPECT_EQ(m_view->shown, nullptr);
    EXPECT_TRUE(m_view->releasedWhileHeld);
    EXPECT_TRUE(m_view->defaultShown);
    EXPECT_EQ(theBgIndex.GetCount(), 0u);
}

TEST_F(PageSaveTest, CommitRevertReplaceAndRemoveAreAnnounced)
{
    using Event = PageEventLog::Event;
    PageEventLog log;
    // The icons a page drops as it is read again or deleted are announced too; only the pages count here.
    const auto pageEvents = [&log] {
        std::vector<Event> events = log.take();
        std::erase_if(events, [](const Event& event) { return !event.name.startsWith("page"); });
        return events;
    };
    ScopedAnswerer answerer;
    m_page->Commit();
    answerer.reply(IDNO);
    ASSERT_TRUE(CQuibBg::SaveChanges(m_page, true));
    EXPECT_EQ(pageEvents(), (std::vector<Event>{{"pageCommitted", m_page}, {"pageReverted", m_page}}));

    // Saved into the user file: the pane shows the copy; saved again over that copy: the copy the index
    // held is replaced by the page stored now.
    m_page->Name = "Home edited";
    m_page->Commit();
    log.take();
    ASSERT_TRUE(CQuibBg::SaveChanges(m_page, false));
    auto* copy = static_cast<CQuibBg*>(theBgIndex.Find(m_userFile, kLanguage, kPageId));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(pageEvents(), (std::vector<Event>{{"pageCommitted", copy}, {"pageReplaced", m_page, copy}}));
    m_page->Name = "Home again";
    m_page->Commit();
    log.take();
    answerer.reply(IDYES); // replace the copy
    ASSERT_TRUE(CQuibBg::SaveChanges(m_page, false));
    auto* again = static_cast<CQuibBg*>(theBgIndex.Find(m_userFile, kLanguage, kPageId));
    EXPECT_EQ(pageEvents(), (std::vector<Event>{{"pageReplaced", copy, nullptr},
                                                {"pageCommitted", again},
                                                {"pageReplaced", m_page, again}}));

    ASSERT_TRUE(CQuibBg::Remove(again, false));
    EXPECT_EQ(pageEvents(), (std::vector<Event>{{"pageAboutToBeRemoved", again},
                                                {"pageRemoved", nullptr, nullptr, kPageId}}));
}

class PagePictureTest : public PageTest
{
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_file = makeResourceFile(tempPath("pictures.tvf"));
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
    }

    // A stored picture of one grey level under the page id and that kind.
    void storePicture(int kind, std::uint8_t level)
    {
        m_pictures.push_back(storeGreyPicture(m_file, kPageId, kind, kLanguage, level));
    }

    int m_file = 0;
    std::vector<std::unique_ptr<CQuibPict>> m_pictures;
};

TEST_F(PagePictureTest, FrameSizesAreTriedOnwardThenBackFromTheCurrentOne)
{
    storePicture(FrameSizeToLayoutId(1), 10);
    storePicture(FrameSizeToLayoutId(5), 50);
    CQuibBg page;
    storeInFile(page, kPageId, m_file, MakeBgType(1, kLanguage));
    EXPECT_EQ(page.LoadPictureForFrameSize(3, false), 5);
    EXPECT_EQ(page.PictureKind, 36);
    EXPECT_EQ(page.PictureSize.cx, 4);
    EXPECT_EQ(page.PictureImage->pixels[0], 50);
    EXPECT_EQ(page.LoadPictureForFrameSize(6, false), 5) << "a page with a picture keeps it";
    EXPECT_EQ(page.LoadPictureForFrameSize(6, true), 5) << "back from the last mode, nearest first";
    EXPECT_EQ(page.LoadPictureForFrameSize(0, true), 1);
    EXPECT_EQ(page.PictureImage->pixels[0], 10);

    page.BgFlags = kBgFlagNoPicture;
    EXPECT_EQ(page.LoadPictureForFrameSize(3, true), 0);
    EXPECT_FALSE(page.PictureImage);
}

// The start lays every pane out more than once, each time forced: unchanged bytes are not decoded
// again, changed ones are.
TEST_F(PagePictureTest, AForcedLoadDecodesOnlyAPictureWhoseBytesChanged)
{
    storePicture(FrameSizeToLayoutId(3), 30);
    CQuibBg page;
    storeInFile(page, kPageId, m_file, MakeBgType(1, kLanguage));
    ASSERT_EQ(page.LoadPictureForFrameSize(3, false), 3);
    const std::uint8_t* decoded = page.PictureImage->pixels.data();
    EXPECT_EQ(page.LoadPictureForFrameSize(3, true), 3);
    EXPECT_EQ(page.PictureImage->pixels.data(), decoded);

    const RgbImage lighter{4, 2, std::vector<std::uint8_t>(24, 70)};
    ASSERT_TRUE(m_pictures.back()->SetImage(lighter, 4, 2, pictRawRgb));
    ASSERT_EQ(m_pictures.back()->Write(), RES_OK);
    EXPECT_EQ(page.LoadPictureForFrameSize(3, true), 3);
    EXPECT_EQ(page.PictureImage->pixels[0], 70);
}
