// Page packages: what the ZIP peers see in an export, the round trip export -> remove -> import, the
// clash question's answers, damaged and crafted packages that change nothing, a failed export that
// keeps the previous package, and the whole-file export's order.

#include "packages/PagePackage.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "packages/PagePackages.h"
#include "panes/Panes.h"
#include "platform/ui/InputDialogs.h"
#include "platform/ui/Ui.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/Pictures.h"
#include "tests/zip/ZipTestSupport.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include <array>
#include <chrono>
#include <map>
#include <set>

#include <sys/file.h>

using namespace lumivo::test;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = 2;
constexpr std::int32_t kPageId = 31;
constexpr std::int32_t kOtherPageId = 32;
constexpr std::int32_t kWordId = 1000000005;
constexpr std::int32_t kLocalWordId = 7;
const QString kPassword = QStringLiteral("Wb5nKe27rD");
const QString kPageFolder = QStringLiteral("V2.1/103-98-1-2/31/");
constexpr int kExportFailedText = 9450;
constexpr int kImportFailedText = 9451;
constexpr int kImportTooLargeText = 9454;

// A reply to the text-input dialog: the text typed, then OK.
std::function<int(QDialog&)> typeText(const QString& text)
{
    return [text](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QLatin1String(lumivo::ui::kTextInputEditName))->setText(text);
        return lumivo::ui::IDOK;
    };
}

QStringList listNames(const QString& package)
{
    const ProcessResult listed = run(QStringLiteral("zipinfo"), {QStringLiteral("-1"), package});
    return QString::fromUtf8(listed.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class PagePackageTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_file = makeResourceFile(tempPath("user.tvf"));
        m_user.PrimaryLanguage = kLanguage;
        storeInFile(m_user, RESID_USER_RECORD, m_file, CQuibUser::kType);
        theCurrentUser = &m_user;
        theActiveFiles = {m_file};
        theSearchLanguages = {kLanguage};
        storeWordWithMedia();
        storePage(kPageId, QStringLiteral("Home"), 3); // the first and the last icon share a word
        storePage(kOtherPageId, QStringLiteral("Other"), 0);
        theMainPane.LoadPage(kPageId);
    }

    void TearDown() override
    {
        theMainPane.ClearPage();
        theCurrentUser = nullptr;
        LumivoTest::TearDown();
    }

    void storeWordWithMedia()
    {
        CQuibWord word;
        word.WordName = QStringLiteral("hus");
        word.WordForm = 0x1234;
        word.WordFlags = 0x0102;
        word.WordDescription = QStringLiteral("et hus");
        word.FamilyList = {kWordId + 1, kWordId + 2};
        storeInFile(word, kWordId, m_file, MakeWordType(kLanguage));
        word.Write();
        CQuibWord local;
        local.WordName = QStringLiteral("local");
        storeInFile(local, kLocalWordId, m_file, MakeWordType(kLanguage));
        local.Write();

        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(solidRgbImage(20, 10, 0xFF336699), 20, 10, pictRawRgb));
        ASSERT_EQ(picture.SaveAs(kWordId, m_file, MakePictType(CPagePackage::kWordPictureKind, kLanguage)),
                  RES_OK);
        picture.Write();
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), RES_OK);
        ASSERT_EQ(sound.SaveAs(kWordId, m_file, MakeSoundType(CPagePackage::kWordSoundKind, kLanguage)),
                  RES_OK);
        sound.SetData(std::vector<std::uint8_t>(3000, 0x5A), soundKindWave, 3, 1500, 128);
        sound.Write();
    }

    void storePage(std::int32_t id, const QString& name, int icons)
    {
        auto page = std::make_unique<CQuibBg>();
        page->Name = name;
        page->BgFlags = 0x40;
        for (int n = 0; n < icons; ++n) {
            auto icon = std::make_unique<CQuibIcon>();
            icon->WordId = n % 2 == 0 ? kWordId : kLocalWordId;
            icon->StoredRect = CRect(100 * n, 50, 100 * n + 90, 300);
            icon->BgColor = 0x102030u + std::uint32_t(n);
            icon->FrameColor = 0x405060;
            icon->Flags = 0x20u | 0x1u | 0x8u | 0x1000u;
            icon->Name = QStringLiteral("icon %1").arg(n);
            page->Icons.push_back(std::move(icon));
        }
        ASSERT_EQ(page->Create(), RES_OK);
        ASSERT_EQ(page->SaveAs(id, m_file, MakeBgType(1, kLanguage)), RES_OK);
        SaveBackground(std::move(page));
        if (id == kPageId) {
            CQuibPict picture;
            ASSERT_EQ(picture.Create(), RES_OK);
            ASSERT_TRUE(picture.SetImage(solidRgbImage(64, 48, 0xFF2060A0), 64, 48, pictRawRgb));
            ASSERT_EQ(picture.SaveAs(id, m_file, MakePictType(CPagePackage::kPagePictureKind, kLanguage)),
                      RES_OK);
            picture.Write();
        }
    }

    QString exportShownPage(const QString& name = QStringLiteral("page.lu2"))
    {
        const QString path = tempPath(name);
        ScopedAnswerer answers;
        answers.reply(path);
        theExportPagePackageHook();
        EXPECT_EQ(answers.questions().size(), 1u) << "no failure message";
        return path;
    }

    CQuibBg* indexedPage(std::int32_t id) const
    {
        return static_cast<CQuibBg*>(theBgIndex.Find(m_file, kLanguage, id));
    }

    // Makes a package from a folder tree with Info-ZIP's zip, as another tool would.
    QString zipFolder(const QString& root, const QString& name)
    {
        const QString path = tempPath(name);
        const ProcessResult zipped = run(QStringLiteral("zip"),
                                         {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-P"),
                                          kPassword, path, QStringLiteral("V2.1")},
                                         root);
        EXPECT_EQ(zipped.exitCode, 0) << zipped.err.constData();
        return path;
    }

    static void putFile(const QString& root, const QString& name, const QByteArray& bytes)
    {
        const QString path = root + QLatin1Char('/') + name;
        QDir().mkpath(QFileInfo(path).path());
        writeFile(path, bytes);
    }

    template <class T> static QByteArray raw(T value)
    {
        return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
    }

    CQuibUser m_user;
    int m_file = 0;
};

TEST_F(PagePackageTest, TheZipPeersReadAnExportWithTheFieldsAtTheirWidths)
{
    const QString package = exportShownPage();
    const ProcessResult tested =
        run(QStringLiteral("unzip"), {QStringLiteral("-P"), kPassword, QStringLiteral("-t"), package});
    EXPECT_EQ(tested.exitCode, 0) << tested.out.constData();

    const QStringList names = listNames(package);
    const QString word = QStringLiteral("V2.1/103-119-0-2/1000000005/");
    for (const QString& name :
         {kPageFolder + "BgName.str", kPageFolder + "BgPictPath.str",
          kPageFolder + "QuibIcon#0/StoredRect.rect", kPageFolder + "QuibIcon#0/WordPath.str",
          kPageFolder + "QuibIcon#2/WordPath.str", word + "WordForm.int", word + "FamilyList.intlst",
          QStringLiteral("V2.1/103-112-10-2/1000000005/Image.dat"),
          QStringLiteral("V2.1/103-115-5-2/1000000005/Sound.dat"),
          QStringLiteral("V2.1/103-112-47-2/31/BackkgroundColor.sht")})
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
    EXPECT_FALSE(names.contains(word + "SynonymList.intlst")) << "an empty list gives no entry";
    EXPECT_FALSE(names.contains(kPageFolder + "QuibIcon#1/WordPath.str"))
        << "a word below 1e9 is not exported";
    QStringList unique = names;
    EXPECT_EQ(unique.removeDuplicates(), 0) << "a word used by two icons is there once";

    const ProcessResult fields = python(QStringLiteral(R"(
import struct, sys, zipfile
z = zipfile.ZipFile(sys.argv[1]); z.setpassword(b"Wb5nKe27rD")
p = "V2.1/103-98-1-2/31/"; w = "V2.1/103-119-0-2/1000000005/"
print(struct.unpack("<i", z.read(p + "NoOfIcons.int"))[0], len(z.read(w + "WordForm.int")),
      len(z.read(p + "QuibIcon#0/StoredRect.rect")), struct.unpack("<h", z.read(w + "WordForm.int"))[0])
big = z.getinfo(p + "QuibIcon#0/StoredRect.rect"); small = z.getinfo(w + "WordForm.int")
print(big.compress_type, big.flag_bits & 9, small.compress_type, small.compress_size, small.flag_bits & 1)
empty = z.getinfo(p + "QuibIcon#0/WordName.str")
print(empty.file_size, empty.flag_bits, len(zipfile.ZipFile(sys.argv[1]).read(empty.filename)))
)"),
                                        {package});
    EXPECT_EQ(fields.out, QByteArray("3 2 16 4660\n8 9 0 14 1\n0 0 0\n")) << fields.err.constData();

    exportShownPage();
    EXPECT_EQ(listNames(package), names) << "a second export gives the same archive";
    EXPECT_EQ(QDir(QFileInfo(package).path()).entryList({QStringLiteral("*.part")}, QDir::Files).size(), 0);
}

TEST_F(PagePackageTest, APageExportedRemovedAndImportedComesBackWhole)
{
    CQuibBg* before = indexedPage(kPageId);
    const std::vector<CQuibIcon*> iconsBefore = [&] {
        std::vector<CQuibIcon*> icons;
        for (auto& icon : before->Icons)
            icons.push_back(icon.get());
        return icons;
    }();
    std::vector<std::tuple<CRect, std::uint32_t, std::uint32_t, std::uint32_t, std::int32_t, QString>>
        expected;
    for (CQuibIcon* icon : iconsBefore)
        expected.emplace_back(icon->StoredRect, icon->BgColor, icon->FrameColor,
                              ((kIconDefaultFlags & ~0x20000u) | icon->Flags) & ~0x1009u, icon->WordId,
                              icon->Name);
    const QString package = exportShownPage();

    theMainPane.ClearPage();
    ASSERT_TRUE(CQuibBg::Remove(indexedPage(kPageId), false));
    const std::pair<std::int32_t, std::int32_t> records[] = {
        {kWordId, MakeWordType(kLanguage)},
        {kWordId, MakePictType(CPagePackage::kWordPictureKind, kLanguage)},
        {kWordId, MakeSoundType(CPagePackage::kWordSoundKind, kLanguage)},
        {kPageId, MakePictType(CPagePackage::kPagePictureKind, kLanguage)}};
    for (const auto& [id, type] : records) {
        CResEntry* record = nullptr;
        ASSERT_EQ(FindResource(id, type, m_file, &record), RES_OK);
        ASSERT_EQ(RemoveResEntry(record), RES_OK);
    }
    theWordIndex.DeleteAll();
    ASSERT_FALSE(FindWordById(kWordId));

    ScopedAnswerer answers;
    answers.reply(package);
    theImportPagePackageHook();
    EXPECT_EQ(answers.questions().size(), 1u) << "no clash, no message";

    CQuibBg* page = indexedPage(kPageId);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(theMainPane.GetPage(), page) << "the imported page is shown";
    EXPECT_EQ(page->Name, QStringLiteral("Home"));
    EXPECT_EQ(page->BgFlags, 0x40u);
    ASSERT_EQ(page->Icons.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const CQuibIcon& icon = *page->Icons[i];
        EXPECT_EQ(std::make_tuple(icon.StoredRect, icon.BgColor, icon.FrameColor, icon.Flags, icon.WordId,
                                  icon.Name),
                  expected[i])
            << "icon " << i;
    }
    std::unique_ptr<CQuibWord> word = FindWordById(kWordId);
    ASSERT_TRUE(word);
    ASSERT_EQ(word->Load(), RES_OK);
    EXPECT_EQ(word->WordName, QStringLiteral("hus"));
    EXPECT_EQ(word->WordForm, 0x1234);
    EXPECT_EQ(word->FamilyList, (std::vector<std::int32_t>{kWordId + 1, kWordId + 2}));
    CQuibSound sound;
    ASSERT_EQ(AttachResource(&sound, kWordId, MakeSoundType(CPagePackage::kWordSoundKind, kLanguage), m_file),
              RES_OK);
    sound.LoadData();
    EXPECT_EQ(sound.SoundDuration, 1500);
    EXPECT_EQ(sound.Data, std::vector<std::uint8_t>(3000, 0x5A));
    CQuibPict picture;
    ASSERT_EQ(
        AttachResource(&picture, kPageId, MakePictType(CPagePackage::kPagePictureKind, kLanguage), m_file),
        RES_OK);
    ASSERT_TRUE(picture.Decode());
    EXPECT_EQ(picture.Width, 64u);
}

TEST_F(PagePackageTest, TheClashQuestionRenamesReplacesAsksAgainOrCancels)
{
    const QString package = exportShownPage();
    CQuibBg* original = indexedPage(kPageId);
    {
        ScopedAnswerer cancel;
        cancel.reply(package);
        theImportPagePackageHook(); // the clash question gets its cancel answer
        EXPECT_EQ(cancel.questions().size(), 2u);
        EXPECT_EQ(cancel.questions()[1].kind, lumivo::ui::QuestionKind::Dialog);
        EXPECT_EQ(indexedPage(kPageId), original) << "cancel leaves the page as it was";
    }
    {
        ScopedAnswerer third;
        third.reply(package).reply(typeText(QStringLiteral("other"))).reply(lumivo::ui::IDCANCEL);
        theImportPagePackageHook();
        EXPECT_EQ(third.questions().size(), 3u) << "a third page's name asks again about that page";
        EXPECT_EQ(theBgIndex.GetCount(), 2u);
    }
    {
        ScopedAnswerer rename;
        rename.reply(package).reply(typeText(QStringLiteral("Copy of home")));
        theImportPagePackageHook();
        EXPECT_EQ(theBgIndex.GetCount(), 3u) << "a new name gives a page of its own";
        EXPECT_EQ(indexedPage(kPageId), original) << "and leaves the existing page";
        const int listed = theBgIndex.Names().Find(QStringLiteral("Copy of home"));
        ASSERT_GE(listed, 0);
        auto* copy = static_cast<CQuibBg*>(theBgIndex.Names().GetItemData(listed));
        EXPECT_GE(copy->GetID(), 1000000000);
        EXPECT_EQ(copy->Icons.size(), 3u);
        EXPECT_TRUE(
            ResourceExists(copy->GetID(), MakePictType(CPagePackage::kPagePictureKind, kLanguage), m_file))
            << "the page picture follows the new id";
    }
    for (const QString& answer : {QStringLiteral("HOME"), QString()}) {
        ScopedAnswerer replace;
        replace.reply(package).reply(typeText(answer));
        theImportPagePackageHook();
        CQuibBg* replaced = indexedPage(kPageId);
        ASSERT_NE(replaced, nullptr);
        EXPECT_EQ(replaced->Name, QStringLiteral("Home")) << "replaced under the same id";
        EXPECT_EQ(theBgIndex.GetCount(), 3u);
    }
}

TEST_F(PagePackageTest, DamagedWrongPasswordAndCraftedPackagesChangeNothingAndEndQuickly)
{
    const QString package = exportShownPage();
    theMainPane.ClearPage();
    ASSERT_TRUE(CQuibBg::Remove(indexedPage(kPageId), false));
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    const QString dataPath = GetResFilePath(m_file);
    const QByteArray dataBefore = readFile(dataPath);
    const QByteArray whole = readFile(package);

    std::vector<std::pair<const char*, QByteArray>> bad;
    bad.emplace_back("truncated", whole.left(whole.size() - 30));
    QByteArray flipped = whole;
    for (qsizetype at = 200; at < flipped.size() / 2; at += 97)
        flipped[at] = char(flipped[at] ^ 0x55);
    bad.emplace_back("damaged", flipped);
    std::map<std::string, PackageResult> expected = {
        {"truncated", {PackageError::Zip, tempPath("bad.lu2")}},
        {"huge NoOfIcons",
         {PackageError::EntryDamaged, QStringLiteral("V2.1\\103-98-1-2\\31\\NoOfIcons.int")}},
        {"a picture path naming the user record",
         {PackageError::BadFolder, QStringLiteral("V2.1/103-95-117-115/2147483646")}},
        {"wrong password", {PackageError::Zip, tempPath("bad.lu2")}},
    };

    // Another password, and crafted packages, made as another tool would make them.
    const QString root = tempPath("tree");
    putFile(root, "V2.1/103-98-1-2/31/BgName.str", "Home");
    putFile(root, "V2.1/103-98-1-2/31/NoOfIcons.int", raw(std::int32_t(0x7FFFFFFF)));
    bad.emplace_back("huge NoOfIcons", readFile(zipFolder(root, "huge.lu2")));
    putFile(root, "V2.1/103-98-1-2/31/NoOfIcons.int", raw(std::int32_t(0)));
    putFile(root, "V2.1/103-98-1-2/31/BgPictPath.str", "V2.1/103-95-117-115/2147483646");
    putFile(root, "V2.1/103-95-117-115/2147483646/Image.dat", "overwritten");
    bad.emplace_back("a picture path naming the user record", readFile(zipFolder(root, "user.lu2")));
    QFile::remove(root + "/V2.1/103-98-1-2/31/BgPictPath.str");
    const QString otherPassword = tempPath("password.lu2");
    run(QStringLiteral("zip"),
        {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-P"), QStringLiteral("x"), otherPassword,
         QStringLiteral("V2.1")},
        root);
    bad.emplace_back("wrong password", readFile(otherPassword));

    for (const auto& [what, bytes] : bad) {
        const QString path = tempPath("bad.lu2");
        writeFile(path, bytes);
        const auto start = std::chrono::steady_clock::now();
        const PageImportResult result = ImportPagePackageFrom(path);
        EXPECT_EQ(result.outcome, PageImport::Failed) << what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << what;
        if (const auto known = expected.find(what); known != expected.end()) {
            EXPECT_EQ(result.error, known->second.error) << what;
            EXPECT_EQ(result.detail, known->second.detail) << what;
        } else {
            EXPECT_NE(result.error, PackageError::None) << what;
        }
        EXPECT_EQ(indexedPage(kPageId), nullptr) << what;
        EXPECT_FALSE(IsResFileDirty(m_file)) << what;
        EXPECT_EQ(readFile(path), bytes) << what << ": the package is only read";
    }
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    EXPECT_EQ(readFile(dataPath), dataBefore);

    // The command tells the person once.
    ScopedAnswerer answers;
    answers.reply(tempPath("bad.lu2"));
    theImportPagePackageHook();
    ASSERT_EQ(answers.questions().size(), 2u);
    EXPECT_EQ(answers.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
}

TEST_F(PagePackageTest, APackageMadeByZipFromAFolderTreeImportsLikeOurOwn)
{
    theMainPane.ClearPage();
    ASSERT_TRUE(CQuibBg::Remove(indexedPage(kPageId), false));
    const QString root = tempPath("tree");
    putFile(root, "V2.1/103-98-1-2/31/bgname.STR", "From zip");
    putFile(root, "V2.1/103-98-1-2/31/NoOfIcons.int", raw(std::int32_t(1)));
    putFile(root, "V2.1/103-98-1-2/31/QuibIcon#0/storedrect.rect",
            raw(std::array<std::int32_t, 4>{1, 2, 3, 4}));
    putFile(root, "V2.1/103-98-1-2/31/QuibIcon#0/BGCOLOR.int", raw(std::uint32_t(0xABCDEF)));
    const QString package = zipFolder(root, "zipped.lu2");
    QFile(package).setPermissions(QFileDevice::ReadOwner);

    EXPECT_EQ(ImportPagePackageFrom(package).outcome, PageImport::Imported);
    CQuibBg* page = indexedPage(kPageId);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Name, QStringLiteral("From zip"));
    ASSERT_EQ(page->Icons.size(), 1u);
    EXPECT_EQ(page->Icons[0]->StoredRect, CRect(1, 2, 3, 4));
    EXPECT_EQ(page->Icons[0]->BgColor, 0xABCDEFu);
}

TEST_F(PagePackageTest, AFailedExportKeepsThePreviousPackageAndLeavesNoPartialFile)
{
    const QString package = exportShownPage();
    const QByteArray previous = readFile(package);
    // More icons than the format's 65,535 entries can hold: the add that is refused fails the export.
    CQuibBg* page = indexedPage(kPageId);
    for (int n = 0; n < 5500; ++n)
        page->Icons.push_back(std::make_unique<CQuibIcon>());
    const PackageResult result = ExportPagePackageTo(package);
    EXPECT_EQ(result.error, PackageError::EntryTooLarge);
    EXPECT_TRUE(result.detail.startsWith(QStringLiteral("V2.1\\103-98-1-2\\31\\QuibIcon#")))
        << result.detail.toStdString();
    EXPECT_EQ(readFile(package), previous);
    EXPECT_EQ(QDir(QFileInfo(package).path()).entryList({QStringLiteral("*.part")}, QDir::Files).size(), 0);

    // The command tells the person in words of the language in force.
    ScopedAnswerer answers;
    answers.reply(package);
    theExportPagePackageHook();
    ASSERT_EQ(answers.questions().size(), 2u);
    EXPECT_EQ(answers.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
    EXPECT_EQ(answers.questions()[1].text,
              LoadSystemString(kExportFailedText).replace(QStringLiteral("[#1]"), PackageErrorText(result)));
    EXPECT_EQ(readFile(package), previous);
    EXPECT_EQ(QDir(QFileInfo(package).path()).entryList({QStringLiteral("*.part")}, QDir::Files).size(), 0);
}

TEST_F(PagePackageTest, TheWholeFileExportWritesEveryRecordInStoreOrder)
{
    CQuibSentence sentence;
    sentence.Words = {QStringLiteral("jeg"), QStringLiteral("vil")};
    sentence.Icons.push_back(std::make_unique<CQuibIcon>());
    storeInFile(sentence, 5, m_file, MakeSentenceType(kLanguage));
    sentence.Write();

    ExportDataFilePackage(m_file, false);
    const QString package = tempPath("user.lu2");
    ASSERT_TRUE(QFile::exists(package));
    const QStringList names = listNames(package);
    QStringList tags;
    for (const QString& name : names) {
        const QString type = name.section(QLatin1Char('/'), 1, 1);
        const QString tag = type.section(QLatin1Char('-'), 0, 1);
        if (tags.isEmpty() || tags.back() != tag)
            tags.push_back(tag);
    }
    EXPECT_EQ(tags, (QStringList{"103-98", "103-99", "103-112", "103-115", "103-119"})) << "gb gc gp gs gw";
    EXPECT_TRUE(names.contains(QStringLiteral("V2.1/103-99-0-2/5/WordStr#1")));
    EXPECT_FALSE(names.contains(kPageFolder + "BgPictPath.str")) << "pages without contents";

    ScopedAnswerer answers;
    ExportDataFilePackage(m_file, false, tempPath("no such folder/user.lu2"));
    EXPECT_TRUE(answers.questions().empty()) << "the export on a change of user only logs a failure";
}

TEST_F(PagePackageTest, AnOpenDataFileIsNeitherExportedOverNorImported)
{
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    const QString dataPath = GetResFilePath(m_file);
    const QByteArray before = readFile(dataPath);
    {
        ScopedAnswerer answers;
        answers.reply(dataPath);
        theExportPagePackageHook();
        ASSERT_EQ(answers.questions().size(), 2u);
        EXPECT_EQ(answers.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
    }
    const PackageResult exported = ExportPagePackageTo(dataPath);
    EXPECT_EQ(exported.error, PackageError::DataFileInUse);
    EXPECT_EQ(exported.detail, dataPath);
    const PageImportResult imported = ImportPagePackageFrom(dataPath);
    EXPECT_EQ(imported.outcome, PageImport::Failed);
    EXPECT_EQ(imported.error, PackageError::NotAPackage);
    EXPECT_EQ(imported.detail, dataPath);
    EXPECT_EQ(readFile(dataPath), before);
}

TEST_F(PagePackageTest, ReplacingAPageOfAnotherFileHidesItAndLeavesThatFileAlone)
{
    const int shared = makeResourceFile(tempPath("shared.tvf"));
    theActiveFiles = {shared, m_file};
    {
        auto page = std::make_unique<CQuibBg>();
        page->Name = QStringLiteral("Shared");
        ASSERT_EQ(page->Create(), RES_OK);
        ASSERT_EQ(page->SaveAs(40, shared, MakeBgType(1, kLanguage)), RES_OK);
        SaveBackground(std::move(page));
    }
    const QString package = exportShownPage();
    ScopedAnswerer answers;
    answers.reply(package).reply(typeText(QStringLiteral("shared"))).reply(typeText(QString()));
    theImportPagePackageHook();
    EXPECT_EQ(answers.questions().size(), 3u);
    ASSERT_NE(theBgIndex.Find(shared, kLanguage, 40), nullptr) << "the other file's page stays";
    auto* copy = static_cast<CQuibBg*>(theBgIndex.Find(m_file, kLanguage, 40));
    ASSERT_NE(copy, nullptr) << "the import lies in the user's file under that page's id";
    EXPECT_EQ(copy->Name, QStringLiteral("Home"));
    EXPECT_NE(indexedPage(kPageId), nullptr);
}

// The whole import, limits on what a package may hold, scratch files and the code page of texts.

namespace
{

// Holds an exclusive lock on a file, as an export that is still writing it does.
class HeldLock
{
public:
    explicit HeldLock(const QString& path) : m_file(path)
    {
        EXPECT_TRUE(m_file.open(QIODevice::ReadWrite));
        EXPECT_EQ(::flock(m_file.handle(), LOCK_EX | LOCK_NB), 0);
    }

private:
    QFile m_file;
};

} // namespace

TEST_F(PagePackageTest, AnImportReadsNoMoreThanItsBudgetForAllItsWordsTogether)
{
    theMainPane.ClearPage();
    ASSERT_TRUE(CQuibBg::Remove(indexedPage(kPageId), false));
    ASSERT_EQ(SaveResFile(m_file), RES_OK);
    const QString dataPath = GetResFilePath(m_file);
    const QByteArray dataBefore = readFile(dataPath);
    thePackageImportBudget = 1u << 20;
    // Every word's picture is well within the budget: only all of them together pass it. The pictures
    // are under a password of their own, so a picture that is read at all fails the import otherwise.
    const auto packageOfWords = [&](int words, const QString& name, const QString& picturePassword) {
        const QString root = tempPath(name + QStringLiteral(".tree"));
        putFile(root, "V2.1/103-98-1-2/31/BgName.str", "Big");
        putFile(root, "V2.1/103-98-1-2/31/NoOfIcons.int", raw(std::int32_t(words)));
        for (int n = 0; n < words; ++n) {
            const std::int32_t id = 2000000000 + n;
            const QString icon = QStringLiteral("V2.1/103-98-1-2/31/QuibIcon#%1/").arg(n);
            const QString word = QStringLiteral("V2.1/103-119-0-2/%1").arg(id);
            const QString picture = QStringLiteral("V2.1/103-112-10-2/%1").arg(id);
            putFile(root, icon + "WordId.int", raw(id));
            putFile(root, icon + "WordPath.str", word.toLatin1());
            putFile(root, word + "/PictPath.str", picture.toLatin1());
            putFile(root, picture + "/Image.dat", QByteArray(200 << 10, '\0'));
        }
        const QString path = tempPath(name);
        for (const auto& [folder, password] :
             {std::pair(QStringLiteral("V2.1/103-98-1-2"), kPassword),
              std::pair(QStringLiteral("V2.1/103-119-0-2"), kPassword),
              std::pair(QStringLiteral("V2.1/103-112-10-2"), picturePassword)})
            EXPECT_EQ(run(QStringLiteral("zip"), {"-q", "-r", "-P", password, path, folder}, root).exitCode,
                      0);
        return path;
    };

    const QString eight = packageOfWords(8, QStringLiteral("eight.lu2"), QStringLiteral("not read"));
    const PageImportResult refused = ImportPagePackageFrom(eight);
    EXPECT_EQ(refused.outcome, PageImport::Failed);
    EXPECT_EQ(refused.error, PackageError::TooLarge)
        << "refused on the sizes the package declares, before any picture is read";
    EXPECT_EQ(refused.detail, QStringLiteral("1")) << "the budget in MB";
    EXPECT_EQ(indexedPage(kPageId), nullptr);
    EXPECT_FALSE(FindWordById(2000000000)) << "nothing is stored until everything is read";
    EXPECT_FALSE(ResourceExists(2000000000, MakePictType(CPagePackage::kWordPictureKind, kLanguage), m_file));
    EXPECT_FALSE(IsResFileDirty(m_file));
    EXPECT_EQ(readFile(dataPath), dataBefore) << "the data file is not written";
    {
        ScopedAnswerer answers;
        answers.reply(eight);
        theImportPagePackageHook();
        ASSERT_EQ(answers.questions().size(), 2u);
        EXPECT_EQ(answers.questions()[1].text,
                  LoadSystemString(kImportFailedText)
                      .replace(QStringLiteral("[#1]"),
                               LoadSystemString(kImportTooLargeText).replace(QStringLiteral("[#1]"), "1")));
    }

    EXPECT_EQ(ImportPagePackageFrom(packageOfWords(4, QStringLiteral("four.lu2"), kPassword)).outcome,
              PageImport::Imported)
        << "four pictures fit the budget together";
    EXPECT_TRUE(FindWordById(2000000003));
}

TEST_F(PagePackageTest, AnExportRemovesTheScratchFilesKilledExportsOfItsTargetLeft)
{
    const QString package = tempPath("page.lu2");
    const QStringList leftovers = {"page.lu2.AbCdEf.part", "page.lu2.zzzzzz.part"};
    // Files that only look alike: another target's, other names, and one an export still writes.
    const QStringList others = {"page.lu2.AbCdE1.part",  "page.lu2.AbCdEfG.part", "page.lu2.AbCdE.part",
                                "other.lu2.AbCdEf.part", "xpage.lu2.AbCdEf.part", "page.lu2.AbCdEf.part.old",
                                "page.lu2.AbCdEf.PART",  "page.lu2.StUvWx.part"};
    for (const QString& name : leftovers + others)
        writeFile(tempPath(name), "half a package");
    ASSERT_TRUE(QDir().mkdir(tempPath("page.lu2.GhIjKl.part")));
    ASSERT_TRUE(QFile::link(package, tempPath("page.lu2.MnOpQr.part")));
    const HeldLock stillWriting(tempPath("page.lu2.StUvWx.part"));

    exportShownPage();
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFile::exists(tempPath(name))) << name.toStdString();
    for (const QString& name : others)
        EXPECT_EQ(readFile(tempPath(name)), QByteArray("half a package")) << name.toStdString();
    EXPECT_TRUE(QFileInfo(tempPath("page.lu2.GhIjKl.part")).isDir());
    EXPECT_TRUE(QFileInfo(tempPath("page.lu2.MnOpQr.part")).isSymLink());

    // The export of the whole file on a change of user cleans up after itself the same way.
    writeFile(tempPath("user.lu2.QwErTy.part"), "half a package");
    ExportDataFilePackage(m_file, false);
    EXPECT_TRUE(QFile::exists(tempPath("user.lu2")));
    EXPECT_FALSE(QFile::exists(tempPath("user.lu2.QwErTy.part")));
}

TEST_F(PagePackageTest, TextsTravelInWindows1252BothWays)
{
    const QString typographic = QString::fromUtf8("€ – “quoted” … Æble");
    const QByteArray typographicBytes("\x80 \x96 \x93quoted\x94 \x85 \xC6"
                                      "ble");
    CQuibBg* page = indexedPage(kPageId);
    page->Name = typographic;
    page->Icons.back()->Name = typographic; // the front icon, QuibIcon#0
    CQuibWord word;
    ASSERT_EQ(AttachResource(&word, kWordId, MakeWordType(kLanguage), m_file), RES_OK);
    ASSERT_EQ(word.Load(), RES_OK);
    word.WordDescription = typographic;
    word.Write();
    const QString package = exportShownPage();
    const ProcessResult fields = python(QStringLiteral(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1]); z.setpassword(b"Wb5nKe27rD")
p = "V2.1/103-98-1-2/31/"
for name in (p + "BgName.str", p + "QuibIcon#0/Name.str", "V2.1/103-119-0-2/1000000005/WordDescription.str"):
    print(z.read(name).hex())
)"),
                                        {package});
    const QByteArray hex = typographicBytes.toHex() + '\n';
    EXPECT_EQ(fields.out, hex + hex + hex) << fields.err.constData();

    // Back in, the page replacing itself.
    ScopedAnswerer answers;
    answers.reply(typeText(QString()));
    ASSERT_EQ(ImportPagePackageFrom(package).outcome, PageImport::Imported);
    EXPECT_EQ(indexedPage(kPageId)->Name, typographic);
    EXPECT_EQ(indexedPage(kPageId)->Icons.back()->Name, typographic);

    // A package from another tool, with the code page's extras 0x80 to 0x9F in its texts.
    const QString root = tempPath("tree");
    const QByteArray extras("\x80\x82\x84\x85\x89\x8A\x91\x92\x93\x94\x96\x97\x99\x9C\x9F");
    const QString extrasText = QString::fromUtf8("€‚„…‰Š‘’“”–—™œŸ");
    putFile(root, "V2.1/103-98-1-2/33/BgName.str", extras);
    putFile(root, "V2.1/103-98-1-2/33/NoOfIcons.int", raw(std::int32_t(1)));
    putFile(root, "V2.1/103-98-1-2/33/QuibIcon#0/Name.str", extras);
    putFile(root, "V2.1/103-98-1-2/33/QuibIcon#0/WordId.int", raw(std::int32_t(2000000000)));
    putFile(root, "V2.1/103-98-1-2/33/QuibIcon#0/WordPath.str", "V2.1/103-119-0-2/2000000000");
    putFile(root, "V2.1/103-119-0-2/2000000000/WordName.str", extras);
    ASSERT_EQ(ImportPagePackageFrom(zipFolder(root, "extras.lu2")).outcome, PageImport::Imported);
    CQuibBg* imported = indexedPage(33);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->Name, extrasText);
    ASSERT_EQ(imported->Icons.size(), 1u);
    EXPECT_EQ(imported->Icons[0]->Name, extrasText);
    std::unique_ptr<CQuibWord> importedWord = FindWordById(2000000000);
    ASSERT_TRUE(importedWord);
    ASSERT_EQ(importedWord->Load(), RES_OK);
    EXPECT_EQ(importedWord->WordName, extrasText);
}

TEST_F(PagePackageTest, EveryRefusalHasItsOwnMessageInDanishAndEnglish)
{
    std::set<int> ids;
    for (int value = int(PackageError::NotAPackage); value <= int(PackageError::Zip); ++value) {
        const auto error = PackageError(value);
        const int id = messageIdOf(error);
        EXPECT_TRUE(ids.insert(id).second) << "one message per refusal: " << value;
        for (const std::uint16_t language : {std::uint16_t(2), std::uint16_t(8)}) {
            theLanguageNo = language;
            QString text;
            EXPECT_TRUE(GetSystemString(id, text)) << value << " in language " << language;
            EXPECT_EQ(text.contains(QStringLiteral("[#1]")), error != PackageError::NoFreeId)
                << value << ": the detail is part of the words";
        }
    }
    EXPECT_EQ(messageIdOf(PackageError::None), 0);
}
