#include "tools/defaultdata/DataFileWriter.h"

#include "core/FrameSizes.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "platform/image/Image.h"
#include "platform/speech/Speech.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "tools/defaultdata/Layout.h"
#include "tools/defaultdata/Render.h"

#include <QFile>

#include <memory>

namespace lumivo::defaultdata
{

namespace
{

constexpr int kOutputSpeech = 0xC0;
constexpr int kMonoMp3Level4 = soundChannelMono | 4;

struct Language {
    std::uint16_t number;
    const char* name;
    const char* voiceCode; // the synthesiser's language code
};
constexpr Language kLanguages[] = {{kDanish, "Dansk", "da"}, {kEnglish, "English", "en"}};

const QString& nameIn(const WordSource& word, std::uint16_t language)
{
    return language == kDanish ? word.danish : word.english;
}

// Every step of writing a file: the first failure is kept and the rest are skipped.
class FileWriter
{
public:
    explicit FileWriter(QString& error) : m_error(error) {}

    bool ok() const { return m_error.isEmpty(); }
    void fail(const QString& what) { m_error = what; }
    void check(int result, const QString& what)
    {
        if (ok() && result != RES_OK)
            fail(what + QStringLiteral(" (store error %1)").arg(result));
    }
    // Stores the object under (id, type) in `file` and writes it.
    void store(CMyRes& object, std::int32_t id, int file, std::int32_t type, const QString& what)
    {
        if (!ok())
            return;
        check(object.SaveAs(id, file, type), what);
        check(object.Write(), what);
    }

private:
    QString& m_error;
};

void writeLanguageRecords(FileWriter& writer, int file)
{
    for (const Language& language : kLanguages) {
        CQuibSystem record;
        writer.check(record.Create(), QStringLiteral("language record"));
        record.m_language = language.number;
        record.m_name = QString::fromUtf8(language.name);
        writer.store(record, MakeLanguageResId(language.number), file, RESTYPE_SYSTEM,
                     QStringLiteral("language record"));
    }
}

void writeWords(FileWriter& writer, const DataSources& sources, int file)
{
    for (const WordSource& source : sources.words) {
        for (const Language& language : kLanguages) {
            CQuibWord word;
            writer.check(word.Create(), QStringLiteral("word"));
            word.WordName = nameIn(source, language.number);
            writer.store(word, source.id, file, MakeWordType(std::int16_t(language.number)),
                         QStringLiteral("word ") + source.english);
        }
    }
}

void storePicture(FileWriter& writer, const QImage& image, std::int32_t id, std::int16_t kind, int file,
                  const QString& what)
{
    const std::optional<RgbImage> rgb = lumivo::image::fromQImage(image);
    if (!rgb) {
        writer.fail(what + QStringLiteral(": no picture"));
        return;
    }
    CQuibPict picture;
    writer.check(picture.Create(), what);
    if (writer.ok() &&
        !picture.SetImage(*rgb, std::uint32_t(rgb->width), std::uint32_t(rgb->height), pictPng))
        writer.fail(what + QStringLiteral(": the picture could not be encoded"));
    writer.store(picture, id, file, MakePictType(kind, kAnyLanguage), what);
}

void writeWordPictures(FileWriter& writer, const DataSources& sources, int file)
{
    for (const WordSource& word : sources.words) {
        const QImage image = renderEmoji(word.emoji, kWordPictureSide);
        if (image.isNull()) {
            writer.fail(QStringLiteral("the emoji of ") + word.english + QStringLiteral(" draws nothing"));
            return;
        }
        storePicture(writer, image, word.id, kWordPictureKind, file,
                     QStringLiteral("picture of ") + word.english);
    }
}

// The word spoken by the synthesiser's voice for the language, as an MP3 sound of the kind an
// activated icon plays.
void storeRecordedSound(FileWriter& writer, const WordSource& word, const Language& language, int file)
{
    const QString what = QStringLiteral("sound of ") + nameIn(word, language.number);
    const auto voice = lumivo::speech::voiceForLanguage(QString::fromLatin1(language.voiceCode));
    const auto samples =
        voice ? lumivo::speech::synthesize(nameIn(word, language.number), voice->identifier) : std::nullopt;
    if (!samples || samples->empty()) {
        writer.fail(what + QStringLiteral(": the speech synthesiser gave nothing"));
        return;
    }
    const WaveBlock block(lumivo::wave::WaveFormat::pcm(1, lumivo::audio::kSampleRate, 16),
                          reinterpret_cast<const std::uint8_t*>(samples->data()), samples->size() * 2);
    std::vector<std::uint8_t> mp3;
    if (EncodeMp3(block, mp3, kMonoMp3Level4) <= 0) {
        writer.fail(what + QStringLiteral(": not encoded"));
        return;
    }
    const std::uint32_t duration = GetWaveDurationMs(block);
    CQuibSound sound;
    writer.check(sound.Create(), what);
    sound.SetData(mp3, kMonoMp3Level4, 0, std::int32_t(duration),
                  duration == 0 ? 0 : std::int32_t(mp3.size() * 1000 / duration));
    writer.store(sound, word.id, file, MakeSoundType(kRecordedSoundKind, std::int16_t(language.number)),
                 what);
}

void writeRecordedSounds(FileWriter& writer, const DataSources& sources, int file)
{
    for (const WordSource& word : sources.words) {
        if (!word.recorded)
            continue;
        if (!lumivo::speech::initialise()) {
            writer.fail(QStringLiteral("the speech synthesiser does not start"));
            return;
        }
        for (const Language& language : kLanguages)
            storeRecordedSound(writer, word, language, file);
    }
}

std::unique_ptr<CQuibIcon> cellIcon(const CRect& perMille, const CellSource& cell, bool textOnly)
{
    auto icon = std::make_unique<CQuibIcon>();
    icon->StoredRect = perMille;
    icon->WordId = cell.wordId;
    icon->ShownWordId = cell.wordId;
    icon->LinkId = cell.linkId;
    if (textOnly) {
        icon->Flags = kIconDefaultFlags | kIconContentTextOnly;
        icon->Attributes.SetValue(QStringLiteral("textalign"), QStringLiteral("hcenter vcenter"));
    }
    return icon;
}

// The outline of a card on a page without a picture, behind the card's two icons: it names no word and
// is never selected, so only the icons on it answer a person.
std::unique_ptr<CQuibIcon> cardFrameIcon(const CRect& perMille, const QColor& edge)
{
    auto icon = std::make_unique<CQuibIcon>();
    icon->StoredRect = perMille;
    icon->Flags = kIconDefaultFlags | kIconFrameShown | kIconNotSelectable | kIconNoPicture;
    icon->WordName = QStringLiteral("#none");
    icon->Attributes.SetValue(QStringLiteral("framewidth"), QStringLiteral("2"));
    icon->Attributes.SetValue(QStringLiteral("framecolor"),
                              QStringLiteral("%1,%2,%3").arg(edge.red()).arg(edge.green()).arg(edge.blue()));
    return icon;
}

// Each cell that holds something: an icon for the picture and one for the text below it; on a page
// without a picture, on a card outline in the colour its picture would have given it.
CQuibIconList pageIcons(const PageSource& page, const DataSources& sources)
{
    const std::vector<CardLayout> cards = gridLayout(page.columns, page.rows);
    CQuibIconList icons;
    for (std::size_t i = 0; i < page.cells.size(); ++i) {
        const CellSource& cell = page.cells[i];
        if (cell.kind == CellKind::Empty)
            continue;
        if (page.role != PageRole::Main)
            icons.push_back(cardFrameIcon(cards[i].card, cardEdgeColour(page, cell, sources)));
        icons.push_back(cellIcon(cards[i].picture, cell, false));
        icons.push_back(cellIcon(cards[i].label, cell, true));
    }
    return icons;
}

void writePages(FileWriter& writer, const DataSources& sources, int file)
{
    for (const PageSource& source : sources.pages) {
        for (const Language& language : kLanguages) {
            CQuibBg page;
            page.Name = language.number == kDanish ? source.danish : source.english;
            page.Icons = pageIcons(source, sources);
            if (source.role != PageRole::Main)
                page.BgFlags |= kBgFlagNoPicture;
            writer.store(page, source.id, file, MakeBgType(kPageKind, std::int16_t(language.number)),
                         QStringLiteral("page ") + source.english);
        }
        if (source.role != PageRole::Main)
            continue;
        for (int mode = kFirstFrameSizeMode; mode <= kLastFrameSizeMode; ++mode) {
            const QSize size = toQSize(GetFrameSizePageSize(mode));
            storePicture(writer, renderPagePicture(source, sources, size), source.id,
                         std::int16_t(FrameSizeToLayoutId(mode)), file,
                         QStringLiteral("picture of page ") + source.english);
        }
    }
}

// A new file of `kind` at `path`, written by `fill` and saved compacted; removed again on failure.
template <typename Fill>
bool writeResourceFile(const QString& path, std::uint32_t kind, QString& error, Fill fill)
{
    QFile::remove(path);
    int file = 0;
    if (FindOrAddResFile(&file, path) != RES_FILE_NEW) {
        error = path + QStringLiteral(": cannot be made");
        return false;
    }
    SetResFileKind(file, kind);
    SetResFileVersion(file, kUserFileVersion); // 2.0.61, what this program writes into every file
    FileWriter writer(error);
    fill(writer, file);
    int saved = RES_OK;
    if (writer.ok())
        SaveDataFile(file, true, true, &saved);
    writer.check(saved, path + QStringLiteral(": not saved"));
    CloseResFile(file);
    if (!writer.ok())
        QFile::remove(path);
    return writer.ok();
}

} // namespace

bool writeDataFile(const DataSources& sources, const QString& path, QString& error)
{
    if (!haveEmojiFont()) {
        error = QStringLiteral("the font Noto Color Emoji is not installed (Debian: fonts-noto-color-emoji)");
        return false;
    }
    return writeResourceFile(path, FILEKIND_DATA, error, [&](FileWriter& writer, int file) {
        writeLanguageRecords(writer, file);
        writeWords(writer, sources, file);
        writeWordPictures(writer, sources, file);
        writeRecordedSounds(writer, sources, file);
        writePages(writer, sources, file);
    });
}

bool writeTemplateUserFile(const DataSources& sources, const QString& path, QString& error)
{
    return writeResourceFile(path, FILEKIND_USER, error, [&](FileWriter& writer, int file) {
        CQuibUser user;
        writer.check(user.Create(), QStringLiteral("template user"));
        user.Name = QStringLiteral("Standard user");
        user.PrimaryLanguage = kDanish;
        user.SecondLanguage = kEnglish;
        // What has no recorded sound is spoken in the language's own voice (an empty voice name).
        user.FirstOutput = kOutputSpeech;
        user.SecondOutput = 0;
        user.MainPane.StartPage = sources.pages.front().id;
        // The side panes show their pages on the pages' own colour, which no picture covers.
        const auto startOn = [&](CQuibPaneSettings& pane, PageRole role) {
            if (const PageSource* page = sources.pageFor(role)) {
                pane.StartPage = page->id;
                pane.Color =
                    CColor::MakePacked(std::uint8_t(page->colour.red()), std::uint8_t(page->colour.green()),
                                       std::uint8_t(page->colour.blue()));
            }
        };
        startOn(user.NavigatorPane, PageRole::Navigator);
        startOn(user.WordPane, PageRole::Word);
        // Folders of the machine that built the file mean nothing on another.
        user.PictureFolder.clear();
        user.DeletedPicturesFolder.clear();
        writer.store(user, CQuibUser::kTemplateUserId, file, CQuibUser::kType,
                     QStringLiteral("template user"));
    });
}

} // namespace lumivo::defaultdata
