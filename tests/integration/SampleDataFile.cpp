#include "tests/integration/SampleDataFile.h"

#include "store/Color.h"
#include "tests/support/MediaSamples.h"
#include "tests/support/SystemTestFiles.h"
#include "tests/support/UserSamples.h"

#include <QFile>

#include <cmath>

namespace lumivo::test
{

namespace
{

RgbImage Gradient(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.pixels.push_back(static_cast<std::uint8_t>(x * 255 / width));
            image.pixels.push_back(static_cast<std::uint8_t>(y * 255 / height));
            image.pixels.push_back(static_cast<std::uint8_t>((x * y) & 0xFF));
        }
    }
    return image;
}

// A quarter of a second of a 440 Hz tone in the program's own sound format (16-bit mono, 44,100 Hz),
// so that what leaves the mixer can be compared sample for sample.
lumivo::wave::WaveBlock Tone()
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 11025; ++i) {
        const auto v = static_cast<std::int16_t>(std::lround(std::sin(2 * M_PI * 440 * i / 44100.0) * 12000));
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
    }
    return lumivo::wave::WaveBlock(lumivo::wave::WaveFormat::pcm(1, 44100, 16), std::move(bytes));
}

void WriteWords(const SampleContent& content, int file)
{
    for (const SampleWord& sample : content.words) {
        auto word = std::make_unique<CQuibWord>();
        ASSERT_EQ(word->Create(), RES_OK);
        word->WordName = QString::fromUtf8(sample.name);
        word->WordForm = sample.form;
        word->FamilyList = sample.family;
        word->SynonymList = sample.synonyms;
        word->WordDescription = QString::fromUtf8(sample.description);
        word->WordFlags = sample.flags;
        ASSERT_EQ(word->SaveAs(sample.id, file, MakeWordType(static_cast<std::int16_t>(sample.language))),
                  RES_OK);
        SaveWord(std::move(word)); // the word index owns it from here
    }
}

void WriteLevels(const SampleContent& content, int file)
{
    for (const SampleLevel& sample : content.levels) {
        CQuibUserLevel level;
        ASSERT_EQ(level.Create(), RES_OK);
        level.Name = QString::fromUtf8(sample.name);
        level.Language = sample.language;
        level.Number = sample.number;
        level.Value = sample.value;
        ASSERT_EQ(level.SaveAs(sample.number, file,
                               MakeUserLevelType(0, static_cast<std::int16_t>(sample.language))),
                  RES_OK);
        ASSERT_EQ(level.Write(), RES_OK);
    }
}

void WriteMedia(const SampleContent& content, int file)
{
    CQuibPict picture;
    ASSERT_EQ(picture.Create(), RES_OK);
    ASSERT_TRUE(picture.SetImage(content.image, static_cast<std::uint32_t>(content.image.width),
                                 static_cast<std::uint32_t>(content.image.height), pictPng));
    picture.TransparentColor = 0x00FF00FF;
    picture.WriteHeader();
    ASSERT_TRUE(picture.StoreImage(content.image));
    ASSERT_EQ(picture.SaveAs(kPictureId, file, MakePictType(kPictureKind, kDanish)), RES_OK);

    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    sound.SetData(content.wave, soundKindWave | soundChannelMono, 7,
                  static_cast<std::int32_t>(GetWaveDurationMs(content.wave)), 705600);
    ASSERT_EQ(sound.SaveAs(kSoundId, file, MakeSoundType(kSoundKind, kDanish)), RES_OK);

    if (content.clip.empty())
        return;
    const QString aviPath = GetResFilePath(file) + QStringLiteral(".source.avi");
    QFile avi(aviPath);
    ASSERT_TRUE(avi.open(QIODevice::WriteOnly));
    avi.write(reinterpret_cast<const char*>(content.clip.data()), static_cast<qint64>(content.clip.size()));
    avi.close();
    CQuibAvi clip;
    ASSERT_EQ(clip.Create(), RES_OK);
    clip.Name = QStringLiteral("hoppe");
    ASSERT_EQ(clip.ImportFile(aviPath), content.clip.size());
    ASSERT_EQ(clip.SaveAs(kClipId, file, CQuibAvi::MakeType(kClipKind, kDanish)), RES_OK);
    QFile::remove(aviPath);
}

void WriteUser(int file)
{
    CQuibUser user;
    SetEveryDanishUserField(user);
    ASSERT_EQ(user.SaveAs(kUserId, file, CQuibUser::kType), RES_OK);
    ASSERT_EQ(user.Write(), RES_OK);
}

} // namespace

void SetEveryDanishUserField(CQuibUser& user)
{
    // Every field as the stream tests set it, with Danish texts and a profile name that
    // Windows-1252 cannot hold.
    lumivo::test::SetEveryUserField(user);
    user.PrimaryLanguage = kDanish;
    user.SecondLanguage = kEnglish;
    user.ProfileName = QString::fromUtf8("Lærere Σ");
    user.ColorTable[101]->Set(0x00112233, 101, "Hud", 0x10000);
    user.PrintHeader = "&lOverskrift";
    user.PrintFooter = "&rSide &p";
    user.DeletedPicturesFolder = "/billeder/slettet";
    user.PictureFolder = "/billeder";
    user.PictureFolder2 = "/flere";
}

SampleContent MakeSampleContent(const QString& workFolder)
{
    SampleContent content;
    content.words = {
        {101, kDanish, "hund", 1, {102, 103}, {104}, "Et dyr der gør", 0x0011},
        {101, kEnglish, "dog", 1, {102}, {}, "An animal that barks", 0x0001},
        {102, kDanish, "hunde", 2, {101}, {}, "", 0},
        {102, kEnglish, "dogs", 2, {101}, {}, "", 0},
        {105, kDanish, "æble·skive", 3, {}, {106, 107}, "Dansk bagværk ¤ 5 kr.", 0x0100},
        {105, kEnglish, "pancake ball", 3, {}, {}, "A Danish pastry", 0},
        {106, kEnglish, "σκύλος 🐕", 1, {101}, {}, "A word no Windows code page holds", 0},
    };
    content.levels = {
        {1200, kDanish, "Øvet", 50},
        {1300, kDanish, "Ekspert", 90},
        {1200, kEnglish, "Practised", 50},
    };
    content.image = Gradient(23, 17);
    content.wave = Tone();
    if (lumivo::test::haveFfmpeg()) {
        const QString avi = workFolder + QStringLiteral("/tiny.avi");
        if (lumivo::test::makeMjpegAvi(avi, QStringLiteral("testsrc=size=16x12:rate=5"), 3))
            content.clip = fileBytes(avi);
    }
    return content;
}

int WriteSampleDataFile(const QString& path, const SampleContent& content)
{
    const int file = lumivo::test::NewResFile(path, FILEKIND_DATA, 2, 0, 61);
    EXPECT_EQ(lumivo::test::WriteLanguageRecord(
                  file, MakeLanguageResId(kDanish), kDanish, "Dansk", 0,
                  {{9010, "Filen har et versionsnummer, som programmet ikke kan åbne."},
                   {4711, "Ordet [#1] findes ikke."},
                   {4712, "Velkommen til <@APPNAME>, [#1]!"}}),
              RES_OK);
    EXPECT_EQ(lumivo::test::WriteLanguageRecord(file, MakeLanguageResId(kEnglish), kEnglish, "English", 0,
                                                {{4711, "The word [#1] does not exist."}}),
              RES_OK);
    WriteUser(file);
    WriteLevels(content, file);
    WriteWords(content, file);
    WriteMedia(content, file);
    int err = 0;
    SaveDataFile(file, true, true, &err);
    EXPECT_EQ(err, 0);
    return ::testing::Test::HasFailure() ? 0 : file;
}

void MakeDanishCurrent()
{
    theCurrentLanguage = kDanish;
    theSecondLanguage = kEnglish;
    theSearchLanguages = {kDanish, kEnglish};
    UpdateSystemList(CurrentUserFilesOf(theCurrentUser));
    theCurrentLanguageRec = FindSystemRecord(kDanish);
    CQuibObjIndex::LoadWords();
}

namespace
{

void ExpectWords(const SampleContent& content, int file)
{
    for (const SampleWord& sample : content.words) {
        SCOPED_TRACE(sample.name);
        auto* indexed = dynamic_cast<CQuibWord*>(theWordIndex.Find(file, sample.language & 0xFF, sample.id));
        ASSERT_NE(indexed, nullptr);
        EXPECT_EQ(indexed->WordName, QString::fromUtf8(sample.name));
        EXPECT_EQ(indexed->WordForm, sample.form);
        EXPECT_EQ(indexed->FamilyList, sample.family);
        EXPECT_EQ(indexed->SynonymList, sample.synonyms);
        EXPECT_EQ(indexed->WordDescription, QString::fromUtf8(sample.description));
        EXPECT_EQ(indexed->WordFlags, sample.flags);
        EXPECT_GE(theWordIndex.Names().FindItemData(indexed), 0);
    }
    EXPECT_EQ(theWordIndex.GetCount(), content.words.size());
    EXPECT_GE(theWordIndex.Names().Find(QString::fromUtf8("æble·skive")), 0);

    // The finder walks the search languages in order: Danish hides English.
    auto found = FindWordById(101);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->Load(), RES_OK);
    EXPECT_EQ(found->WordName, "hund");
    EXPECT_EQ(found->GetType(), MakeWordType(kDanish));
    EXPECT_FALSE(FindWordById(999));
}

void ExpectLevels(const SampleContent& content, int file)
{
    auto level = FindUserLevelById(1300);
    ASSERT_TRUE(level);
    ASSERT_EQ(level->Load(), RES_OK);
    EXPECT_EQ(level->Name, QString::fromUtf8("Ekspert"));
    EXPECT_EQ(level->Value, 90);
    EXPECT_EQ(level->Number, 1300);
    EXPECT_EQ(level->Language, kDanish);

    CQuibUserLevelMap danish;
    AddUserLevelsOfDataFiles(danish, kDanish);
    GetOrCreateDefaultLevel(danish, kDanish);
    ASSERT_EQ(danish.size(), 3u);
    EXPECT_EQ(danish.at(1200)->Name, QString::fromUtf8("Øvet"));
    EXPECT_TRUE(danish.contains(1000));
    CQuibUserLevelMap english;
    AddUserLevelsOfFile(english, kEnglish, file);
    ASSERT_EQ(english.size(), 1u);
    EXPECT_EQ(english.at(1200)->Name, "Practised");
    EXPECT_EQ(english.at(1200)->Value, 50);
    (void)content;
}

void ExpectMedia(const SampleContent& content)
{
    auto picture = FindPictureById<CQuibPict>(kPictureId, kPictureKind);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->Load(), RES_OK);
    ASSERT_TRUE(picture->Decode());
    EXPECT_EQ(picture->Width, static_cast<std::uint32_t>(content.image.width));
    EXPECT_EQ(picture->StoreFormat, pictPng);
    EXPECT_EQ(picture->TransparentColor, 0x00FF00FFu);
    EXPECT_EQ(picture->GetImage()->pixels, content.image.pixels);
    const QImage drawn = picture->GetHBitmap();
    ASSERT_EQ(drawn.size(), QSize(content.image.width, content.image.height));
    for (const QPoint at : {QPoint(0, 0), QPoint(5, 3), QPoint(22, 16)}) {
        const std::size_t offset = (static_cast<std::size_t>(at.y()) * content.image.width + at.x()) * 3;
        EXPECT_EQ(drawn.pixel(at), qRgb(content.image.pixels[offset], content.image.pixels[offset + 1],
                                        content.image.pixels[offset + 2]));
    }

    auto sound = FindSoundById<CQuibSound>(kSoundId, kSoundKind);
    ASSERT_TRUE(sound);
    ASSERT_EQ(sound->Load(), RES_OK);
    sound->LoadData();
    ASSERT_TRUE(sound->Data);
    EXPECT_EQ(*sound->Data, content.wave.bytes());
    EXPECT_EQ(sound->SoundAuthor, 7);
    EXPECT_EQ(sound->SoundDuration, static_cast<std::int32_t>(GetWaveDurationMs(content.wave)));
    EXPECT_NEAR(sound->SoundDuration, 250, 1);

    if (content.clip.empty())
        return;
    auto clip = FindAviById<CQuibAvi>(kClipId, kClipKind);
    ASSERT_TRUE(clip);
    ASSERT_EQ(clip->Load(), RES_OK);
    EXPECT_EQ(clip->Name, "hoppe");
    const QString exported = GetTempDirString(QStringLiteral("/")) + QStringLiteral("exported.avi");
    ASSERT_EQ(clip->ExportFile(exported), content.clip.size());
    EXPECT_EQ(fileBytes(exported), content.clip);
}

} // namespace

void ExpectSampleContent(const SampleContent& content, int file)
{
    const CQuibSystem* danish = FindSystemRecord(kDanish);
    ASSERT_NE(danish, nullptr);
    EXPECT_EQ(danish->m_name, "Dansk");
    ASSERT_NE(FindSystemRecord(kEnglish), nullptr);
    EXPECT_EQ(FindSystemRecord(kEnglish)->m_name, "English");

    CQuibUser expected;
    SetEveryDanishUserField(expected);
    expected.Flags |= CQuibUser::kFlagVersioned; // every stored user carries the versioned layout
    CQuibUser user;
    ASSERT_EQ(user.LoadFrom(kUserId, file), RES_OK);
    EXPECT_TRUE(user.SameSettings(expected));
    EXPECT_EQ(user.Name, QString::fromUtf8("Søren Ærø"));
    EXPECT_EQ(user.LetterEnd, "&cVenlig hilsen&nPer");

    ExpectLevels(content, file);
    ExpectWords(content, file);
    ExpectMedia(content);
}

bool PlaceSampleDataFile(const QString& workFolder, const SampleContent& content)
{
    theBaseDir = workFolder + QLatin1Char('/');
    const QString data = GetDataDirString(QStringLiteral("/"));
    if (data.isEmpty())
        return false;
    const int file = WriteSampleDataFile(data + QStringLiteral("sample.tvf"), content);
    return file > 0 && CloseResFile(file) == RES_OK;
}

bool WriteNamedWords(int file, int language,
                     std::initializer_list<std::pair<std::int32_t, const char*>> words)
{
    for (const auto& [id, name] : words) {
        CQuibWord word;
        if (word.Create() != RES_OK)
            return false;
        word.WordName = QString::fromUtf8(name);
        if (word.SaveAs(id, file, MakeWordType(language)) != RES_OK || word.Write() != RES_OK)
            return false;
    }
    return true;
}

} // namespace lumivo::test
