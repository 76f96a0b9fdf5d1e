// A data file in the Data folder holding a bit of everything, written through the real classes, saved
// with compaction, closed, found again by the scan of the Data folder, and read back whole through the
// look-ups a running program uses. Also: the same file under a disk that fails part way through a save.

#include "tests/integration/SampleDataFile.h"

#include "platform/files/FaultyFileSystem.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "system/OutputFile.h"
#include "system/SystemStrings.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QDir>
#include <QFile>

using namespace lumivo::test;
using lumivo::files::FaultyFileSystem;

namespace
{

int AttachAndLoad(CMyRes& object, std::int32_t id, std::int32_t type, int file)
{
    const int attached = AttachResource(&object, id, type, file);
    return attached != RES_OK ? attached : object.Load();
}

class DataFileRoundTripTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        dataFolder = GetDataDirString(QStringLiteral("/"));
        ASSERT_FALSE(dataFolder.isEmpty());
        content = MakeSampleContent(tempDir());
    }

    // Opens every data file of the Data folder the way start-up does; the number of the one file.
    int ScanAndMakeCurrent()
    {
        ScanDataFolder(0);
        EXPECT_EQ(theDataFiles.size(), 1u);
        if (theDataFiles.size() != 1)
            return 0;
        MakeDanishCurrent();
        return theDataFiles.front();
    }

    QString dataFolder;
    SampleContent content;
};

TEST_F(DataFileRoundTripTest, EveryObjectComesBackEqualAfterSaveCloseAndRescan)
{
    if (content.clip.empty())
        GTEST_LOG_(WARNING) << "ffmpeg made no clip; the clip is left out";
    const QString path = dataFolder + QStringLiteral("sample.tvf");
    const int written = WriteSampleDataFile(path, content);
    ASSERT_GT(written, 0);

    // Before closing, the same look-ups already find everything in the open file.
    theDataFiles = {written};
    MakeDanishCurrent();
    ExpectSampleContent(content, written);

    ASSERT_EQ(CloseDataFile(0), RES_OK);
    EXPECT_LE(FindResFileByPath(path), 0);

    lumivo::ui::ScopedAnswerer answerer;
    const int file = ScanAndMakeCurrent();
    ASSERT_GT(file, 0);
    EXPECT_EQ(GetResFileKind(file), FILEKIND_DATA);
    EXPECT_EQ(GetResFileVersion(file), MakeResFileVersion(2, 0, 61));
    ExpectSampleContent(content, file);
    EXPECT_TRUE(answerer.questions().empty());

    // A compacting save of the reopened, unchanged file changes none of its records.
    const std::int64_t used = GetResFileUsedSize(file);
    int err = 0;
    SaveDataFile(file, true, true, &err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(GetResFileUsedSize(file), used);
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    ASSERT_GT(ScanAndMakeCurrent(), 0);
    ExpectSampleContent(content, theDataFiles.front());
}

// Checks a copy of the file on disk: it opens, and holds either all of the old content or all of the
// new. Returns true for the new.
bool DiskHoldsTheEdits(const QString& path, const QString& probe, const SampleContent& content)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    EXPECT_TRUE(lumivo::files::writeFileAtomically(probe, bytes.data(), bytes.size()));
    int file = 0;
    EXPECT_EQ(OpenResFile(&file, probe), RES_OK);
    if (file <= 0)
        return false;
    bool isNew = false;
    {
        CQuibUser user;
        CQuibWord word;
        CQuibSound sound;
        EXPECT_EQ(user.LoadFrom(kUserId, file), RES_OK);
        EXPECT_EQ(AttachAndLoad(word, 101, MakeWordType(kDanish), file), RES_OK);
        isNew = user.Name == "Mette";
        EXPECT_EQ(word.WordName, isNew ? "hundehvalp" : "hund");
        EXPECT_EQ(ResourceExists(102, MakeWordType(kDanish), file), !isNew);
        EXPECT_EQ(ResourceExists(1100, MakeUserLevelType(0, kDanish), file), isNew);
        EXPECT_EQ(AttachAndLoad(sound, kSoundId, MakeSoundType(kSoundKind, kDanish), file), RES_OK);
        sound.LoadData();
        EXPECT_TRUE(sound.Data && *sound.Data == content.wave.bytes());
    }
    EXPECT_EQ(CloseResFile(file), RES_OK);
    return isNew;
}

// Makes the edits of the test below in the open file: a word renamed, a word removed, the user
// renamed, a new level.
void EditReopenedFile(int file)
{
    CQuibWord word;
    ASSERT_EQ(AttachAndLoad(word, 101, MakeWordType(kDanish), file), RES_OK);
    word.WordName = "hundehvalp";
    ASSERT_EQ(word.Commit(), RES_OK);
    ASSERT_EQ(word.Write(), RES_OK);
    CQuibUser user;
    ASSERT_EQ(user.LoadFrom(kUserId, file), RES_OK);
    user.Name = "Mette";
    ASSERT_EQ(user.Write(), RES_OK);
    CQuibUserLevel level;
    ASSERT_EQ(level.Create(), RES_OK);
    level.Name = "Begynder";
    level.Number = 1100;
    level.Language = kDanish;
    ASSERT_EQ(level.SaveAs(1100, file, MakeUserLevelType(0, kDanish)), RES_OK);
    ASSERT_EQ(level.Write(), RES_OK);
    CQuibWord gone;
    ASSERT_EQ(AttachAndLoad(gone, 102, MakeWordType(kDanish), file), RES_OK);
    ASSERT_EQ(gone.CMyRes::Remove(-1, -1), RES_OK);
}

// The disk fails at the n-th write of a save, for every n up to the first save that succeeds: the file
// on disk then opens and holds either all of the old content or all of the new, the edits stay in
// memory, and the same save succeeds once the disk works again.
TEST_F(DataFileRoundTripTest, AFailedSaveLeavesTheOldOrTheNewFileAndKeepsTheEdits)
{
    const QString path = dataFolder + QStringLiteral("sample.tvf");
    const QString probe = tempPath(QStringLiteral("probe.tvf"));
    ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
    const std::vector<std::uint8_t> original = fileBytes(path);
    ASSERT_FALSE(original.empty());

    int failures = 0;
    bool savedAtOnce = false;
    for (int n = 1; n < 40 && !savedAtOnce; ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(lumivo::files::writeFileAtomically(path, original.data(), original.size()));
        FaultyFileSystem faulty(lumivo::files::fileSystem());
        lumivo::files::ScopedFileSystem scope(faulty);
        int file = 0;
        ASSERT_EQ(OpenResFile(&file, path), RES_OK);
        EditReopenedFile(file);
        int saveError = 0;
        faulty.failAt(FaultyFileSystem::Operation::Write, n);
        SaveDataFile(file, true, true, &saveError);
        faulty.failAt(FaultyFileSystem::Operation::Write, 0);

        const bool isNew = DiskHoldsTheEdits(path, probe, content);
        savedAtOnce = saveError == 0;
        if (savedAtOnce) {
            EXPECT_TRUE(isNew);
        } else {
            ++failures;
            EXPECT_TRUE(IsResFileDirty(file) || !isNew);
            int retryError = 0;
            SaveDataFile(file, true, true, &retryError);
            EXPECT_EQ(retryError, 0);
            EXPECT_TRUE(DiskHoldsTheEdits(path, probe, content));
        }
        ASSERT_EQ(CloseResFile(file), RES_OK);
    }
    EXPECT_TRUE(savedAtOnce);
    EXPECT_GE(failures, 1);
    EXPECT_FALSE(QFile::exists(dataFolder + QStringLiteral("RMGRTMP.tvf")));
}

// A crash after the compacted copy was written beside the file but before it replaced it leaves the
// store's scratch file in the Data folder. The next start must not take it for a data file: filed, it
// would double every word, and held open, it would block every later compacting save of the folder.
TEST_F(DataFileRoundTripTest, AScratchFileLeftByACrashIsNoDataFileAndBlocksNoSave)
{
    const QString path = dataFolder + QStringLiteral("sample.tvf");
    ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    const QString scratch = dataFolder + QStringLiteral("RMGRTMP.tvf");
    ASSERT_TRUE(lumivo::files::writeFileAtomically(scratch, bytes.data(), bytes.size()));

    const int file = ScanAndMakeCurrent();
    ASSERT_GT(file, 0);
    EXPECT_EQ(GetResFilePath(file), path);
    EXPECT_LE(FindResFileByPath(scratch), 0);
    EXPECT_EQ(theWordIndex.GetCount(), content.words.size());

    auto* word = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, kDanish, 101));
    ASSERT_NE(word, nullptr);
    word->WordName = "hundehvalp";
    SaveWord(word);
    int err = 0;
    SaveDataFile(file, false, false, &err); // the first save after opening writes in place
    ASSERT_EQ(err, 0);
    SaveDataFile(file, true, true, &err);
    EXPECT_EQ(err, 0);
    EXPECT_FALSE(QFile::exists(scratch));
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    ASSERT_GT(ScanAndMakeCurrent(), 0);
    auto found = FindWordById(101);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->Load(), RES_OK);
    EXPECT_EQ(found->WordName, "hundehvalp");
}

// Objects the program holds while a compacting save moves every record (the word index, a picture on
// screen, a sound not yet read) stay bound to their records, read their bytes from the new places, and
// their later edits reach the file.
TEST_F(DataFileRoundTripTest, ObjectsHeldThroughACompactingSaveKeepWorking)
{
    const QString path = dataFolder + QStringLiteral("sample.tvf");
    ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
    const int file = ScanAndMakeCurrent();
    ASSERT_GT(file, 0);

    auto picture = FindPictureById<CQuibPict>(kPictureId, kPictureKind);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->Load(), RES_OK);
    auto sound = FindSoundById<CQuibSound>(kSoundId, kSoundKind);
    ASSERT_TRUE(sound);
    ASSERT_EQ(sound->Load(), RES_OK);
    auto* word = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, kEnglish, 101));
    ASSERT_NE(word, nullptr);

    // Removing the user leaves dead space behind, so the compaction has something to move.
    {
        CQuibUser user;
        ASSERT_EQ(user.LoadFrom(kUserId, file), RES_OK);
        ASSERT_EQ(user.CMyRes::Remove(-1, -1), RES_OK);
    }
    int err = 0;
    SaveDataFile(file, false, true, &err); // the first save after opening writes in place
    ASSERT_EQ(err, 0);
    const std::int64_t loose = GetResFileLength(file);
    SaveDataFile(file, true, true, &err);
    ASSERT_EQ(err, 0);
    EXPECT_LT(GetResFileLength(file), loose);

    ASSERT_TRUE(picture->Decode());
    EXPECT_EQ(picture->GetImage()->pixels, content.image.pixels);
    sound->LoadData();
    ASSERT_TRUE(sound->Data);
    EXPECT_EQ(*sound->Data, content.wave.bytes());
    word->WordName = "puppy";
    SaveWord(word);
    SaveDataFile(file, true, true, &err);
    ASSERT_EQ(err, 0);

    picture.reset();
    sound.reset();
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    const int reopened = ScanAndMakeCurrent();
    ASSERT_GT(reopened, 0);
    EXPECT_FALSE(ResourceExists(kUserId, CQuibUser::kType, reopened));
    auto* again = dynamic_cast<CQuibWord*>(theWordIndex.Find(reopened, kEnglish, 101));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->WordName, "puppy");
    auto* danish = dynamic_cast<CQuibWord*>(theWordIndex.Find(reopened, kDanish, 101));
    ASSERT_NE(danish, nullptr);
    EXPECT_EQ(danish->WordName, "hund");
}

// Opens the Data folder, makes Danish current and reaches every object of the sample through the
// look-ups, the way the program's first screen does. With `content`, whatever loads must be what was
// stored. Closes everything again; true when the file at `path` was opened.
bool ExerciseDataFolder(const QString& path, const SampleContent* content)
{
    lumivo::ui::ScopedAnswerer answerer;
    ScanDataFolder(0);
    MakeDanishCurrent();
    (void)LoadSystemString(4711);
    const int file = FindResFileByPath(path);
    if (content) {
        for (const SampleWord& sample : content->words) {
            if (auto* word = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, sample.language, sample.id))) {
                EXPECT_EQ(word->WordName, QString::fromUtf8(sample.name));
            }
        }
    }
    if (auto picture = FindPictureById<CQuibPict>(kPictureId, kPictureKind);
        picture && picture->Load() == RES_OK && picture->Decode() && content) {
        EXPECT_EQ(picture->GetImage()->pixels, content->image.pixels);
    }
    if (auto sound = FindSoundById<CQuibSound>(kSoundId, kSoundKind); sound && sound->Load() == RES_OK) {
        sound->LoadData();
        if (sound->Data && content) {
            EXPECT_EQ(*sound->Data, content->wave.bytes());
        }
    }
    if (auto clip = FindAviById<CQuibAvi>(kClipId, kClipKind); clip && clip->Load() == RES_OK)
        clip->LoadData();
    for (std::int32_t id : {1200, 1300}) {
        if (auto level = FindUserLevelById(id))
            level->Load();
    }
    CQuibUser user;
    if (file > 0 && user.LoadFrom(kUserId, file) == RES_OK && content) {
        EXPECT_EQ(user.Name, QString::fromUtf8("Søren Ærø"));
    }
    user.Detach();
    theWordIndex.DeleteAll();
    ClearSystemList();
    CloseDataFile(0);
    if (FindResFileByPath(path) > 0)
        CloseResFile(FindResFileByPath(path));
    return file > 0;
}

// A data file cut short (a copy that stopped half way, a full disk), or with a run of bytes overwritten,
// lies alone in the Data folder. The start-up sequence and every look-up get through it without a
// crash, and a file cut short hands out nothing but what was stored.
TEST_F(DataFileRoundTripTest, ADamagedDataFileGivesErrorsNeverACrash)
{
    const QString path = tempPath(QStringLiteral("sample.tvf"));
    ASSERT_GT(WriteSampleDataFile(path, content), 0);
    ASSERT_EQ(CloseResFile(FindResFileByPath(path)), RES_OK);
    theWordIndex.DeleteAll();
    const std::vector<std::uint8_t> whole = fileBytes(path);
    const QString damaged = dataFolder + QStringLiteral("damaged.tvf");
    const std::size_t step = std::max<std::size_t>(1, whole.size() / 40);
    for (std::size_t at = 0; at < whole.size(); at += step) {
        SCOPED_TRACE(at);
        ASSERT_TRUE(lumivo::files::writeFileAtomically(damaged, whole.data(), at));
        ExerciseDataFolder(damaged, &content);
    }
    int opened = 0;
    for (std::size_t at = 0; at < whole.size(); at += step) {
        SCOPED_TRACE(at);
        std::vector<std::uint8_t> scribbled = whole;
        for (std::size_t i = at; i < std::min(whole.size(), at + 48); ++i)
            scribbled[i] = static_cast<std::uint8_t>(0xFF - i);
        ASSERT_TRUE(lumivo::files::writeFileAtomically(damaged, scribbled.data(), scribbled.size()));
        opened += ExerciseDataFolder(damaged, nullptr) ? 1 : 0;
    }
    EXPECT_GT(opened, 10); // most damage lies in the records, not in the header or the map
}

// An older data file beside the sample: the newer version's words and language record win, and words
// only the older one holds are still found.
TEST_F(DataFileRoundTripTest, ANewerDataFileOverridesAnOlderOneAndTheOlderFillsIn)
{
    const QString older = dataFolder + QStringLiteral("a_older.tvf");
    {
        const int file = lumivo::test::NewResFile(older, FILEKIND_DATA, 2, 0, 3);
        ASSERT_EQ(lumivo::test::WriteLanguageRecord(file, MakeLanguageResId(kDanish), kDanish, "Dansk", 0,
                                                    {{4711, "Gammel tekst"}, {4713, "Kun i den gamle fil"}}),
                  RES_OK);
        ASSERT_TRUE(WriteNamedWords(file, kDanish, {{101, "gammel hund"}, {150, "gammel kat"}}));
        ASSERT_EQ(SaveResFile(file), RES_OK);
        ASSERT_EQ(CloseResFile(file), RES_OK);
    }
    ASSERT_GT(WriteSampleDataFile(dataFolder + QStringLiteral("b_sample.tvf"), content), 0);
    ASSERT_EQ(CloseDataFile(FindResFileByPath(dataFolder + QStringLiteral("b_sample.tvf"))), RES_OK);

    ScanDataFolder(0);
    ASSERT_EQ(theDataFiles.size(), 2u);
    const int newer = theDataFiles[0];
    const int old = theDataFiles[1];
    EXPECT_EQ(GetResFilePath(old), older);
    theLanguageNo = kDanish;
    MakeDanishCurrent();
    EXPECT_EQ(theActiveFiles, (std::vector<int>{old, newer}));

    auto word = FindWordById(101);
    ASSERT_TRUE(word);
    ASSERT_EQ(word->Load(), RES_OK);
    EXPECT_EQ(word->WordName, "hund");
    auto onlyOld = FindWordById(150);
    ASSERT_TRUE(onlyOld);
    ASSERT_EQ(onlyOld->Load(), RES_OK);
    EXPECT_EQ(onlyOld->WordName, "gammel kat");
    EXPECT_NE(theWordIndex.Find(old, kDanish, 101), nullptr);
    EXPECT_NE(theWordIndex.Find(newer, kDanish, 101), nullptr);

    // The newer file's language record is the language's entry; the older one is chained behind it.
    EXPECT_EQ(LoadSystemString(4711), "Ordet [#1] findes ikke.");
    CQuibSystem* danish = FindSystemRecord(kDanish);
    ASSERT_NE(danish, nullptr);
    EXPECT_EQ(danish->GetFile(), newer);
    ASSERT_NE(danish->m_next, nullptr);
    EXPECT_EQ(danish->m_next->GetFile(), old);
    EXPECT_EQ(*danish->m_next->FindString(4713), "Kun i den gamle fil");
}

// Translation: with an output file open that translates into English, a Danish word saved by the
// translator lands as the English word of the same id in the output file, which the look-ups then
// prefer; the data file keeps its own.
TEST_F(DataFileRoundTripTest, ATranslatedWordLandsInTheOutputFileUnderTheTranslationLanguage)
{
    ASSERT_GT(WriteSampleDataFile(dataFolder + QStringLiteral("sample.tvf"), content), 0);
    ASSERT_EQ(CloseResFile(FindResFileByPath(dataFolder + QStringLiteral("sample.tvf"))), RES_OK);
    const QString outputPath = tempPath(QStringLiteral("translation.tvf"));
    const int output = lumivo::test::NewResFile(outputPath, FILEKIND_DATA, 2, 0, 61);
    ASSERT_EQ(SaveResFile(output), RES_OK);
    theOutputFile = output;
    theTranslateLanguage = kEnglish;
    const int file = ScanAndMakeCurrent();
    ASSERT_GT(file, 0);
    theSearchLanguages = {kEnglish, kDanish};
    EXPECT_EQ(theActiveFiles, (std::vector<int>{file, output}));

    auto* danish = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, kDanish, 102));
    ASSERT_NE(danish, nullptr);
    danish->WordName = "doggies";
    ASSERT_EQ(danish->Commit(), RES_OK);
    ASSERT_TRUE(CQuibWord::SaveChanges(danish, false));
    EXPECT_EQ(danish->WordName, "hunde");
    EXPECT_TRUE(ResourceExists(102, MakeWordType(kEnglish), output));
    EXPECT_FALSE(ResourceExists(102, MakeWordType(kDanish), output));

    int err = 0;
    SaveDataFile(output, false, false, &err);
    ASSERT_EQ(err, 0);
    auto found = FindWordById(102);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->Load(), RES_OK);
    EXPECT_EQ(found->GetFile(), output);
    EXPECT_EQ(found->WordName, "doggies");
    EXPECT_EQ(found->FamilyList, (std::vector<std::int32_t>{101}));

    // The data file's English word is untouched on disk.
    theOutputFile = 0;
    ASSERT_EQ(CloseResFile(output), RES_OK);
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    const int reopened = ScanAndMakeCurrent();
    auto* english = dynamic_cast<CQuibWord*>(theWordIndex.Find(reopened, kEnglish, 102));
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(english->WordName, "dogs");
}

// The word editor saves a word of the word index while a pane holds its own object of the same word:
// the edit is what gets written, not the pane's older copy, and a pane that loads afresh shows it.
TEST_F(DataFileRoundTripTest, AWordSavedWhileAPaneHoldsItsOwnCopyKeepsTheEdit)
{
    const QString path = dataFolder + QStringLiteral("sample.tvf");
    ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
    int file = ScanAndMakeCurrent();
    ASSERT_GT(file, 0);
    auto* indexed = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, kDanish, 101));
    ASSERT_NE(indexed, nullptr);
    auto shown = FindWordById(101); // bound after the index's word
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->Load(), RES_OK);

    indexed->WordName = "hvalp";
    indexed->SynonymList = {150};
    SaveWord(indexed);
    ASSERT_EQ(shown->Load(), RES_OK);
    EXPECT_EQ(shown->WordName, "hvalp");
    EXPECT_EQ(indexed->WordName, "hvalp");
    int err = 0;
    SaveDataFile(file, false, true, &err);
    ASSERT_EQ(err, 0);

    shown.reset();
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    file = ScanAndMakeCurrent();
    auto again = FindWordById(101);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->Load(), RES_OK);
    EXPECT_EQ(again->WordName, "hvalp");
    EXPECT_EQ(again->SynonymList, std::vector<std::int32_t>{150});
}

// The word editor commits an edit for the next save; before that save, finders bind objects of their
// own to the same word (an icon that only holds it, a pane that loads it). The save stores the edit,
// not an empty or an older word, and the pane shows the edit.
TEST_F(DataFileRoundTripTest, ACommittedEditSurvivesObjectsFindersBindMeanwhile)
{
    const QString path = dataFolder + QStringLiteral("sample.tvf");
    ASSERT_TRUE(PlaceSampleDataFile(tempDir(), content));
    int file = ScanAndMakeCurrent();
    ASSERT_GT(file, 0);
    auto* indexed = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, kDanish, 101));
    ASSERT_NE(indexed, nullptr);
    indexed->WordName = "hvalp";
    indexed->WordDescription = "En ung hund";
    ASSERT_EQ(indexed->Commit(), RES_OK);

    auto held = FindWordById(101); // bound, never loaded
    ASSERT_TRUE(held);
    auto shown = FindWordById(101);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->Load(), RES_OK);
    EXPECT_EQ(shown->WordName, "hvalp");
    EXPECT_EQ(shown->FamilyList, (std::vector<std::int32_t>{102, 103}));
    EXPECT_TRUE(indexed->IsChanged());

    int err = 0;
    SaveDataFile(file, false, true, &err);
    ASSERT_EQ(err, 0);
    held.reset();
    shown.reset();
    ASSERT_EQ(CloseDataFile(0), RES_OK);
    file = ScanAndMakeCurrent();
    auto again = FindWordById(101);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->Load(), RES_OK);
    EXPECT_EQ(again->WordName, "hvalp");
    EXPECT_EQ(again->WordDescription, "En ung hund");
    EXPECT_EQ(again->FamilyList, (std::vector<std::int32_t>{102, 103}));
}

} // namespace
