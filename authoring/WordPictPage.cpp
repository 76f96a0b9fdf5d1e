#include "authoring/WordPictPage.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/BgPictPage.h"
#include "authoring/PictureFileChooser.h"
#include "authoring/StoredPicture.h"
#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "core/Lookups.h"
#include "core/Picture.h"
#include "core/Word.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/FormRows.h"
#include "platform/ui/Ui.h"
#include "shell/ColorCombo.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace
{

constexpr int kFirstKindText = 1200; // "None"; 1200 + kind names a kind (+ 4 for black and white)
constexpr int kBlackAndWhiteBit = 0x10;
constexpr int kImportText = 4613;
constexpr int kNotAvailableText = 9018;
constexpr int kFullSizeHint = 9019;
constexpr int kDefaultLanguage = 1;
constexpr int kGraphicCompression = 3;
constexpr int kNoDataLossCompression = 2;
constexpr int kBlackAndWhiteCompression = 7;
const QSize kPictureBox(256, 192);

constexpr int kKinds[] = {1, 2, 3, 4, 5, 10, 11, 17, 18, 19, 20, 21, 26, 27};
constexpr int kSquareSides[] = {32, 48, 64, 96, 128};

int kindOfKey(int key)
{
    return (key >> 8) & 0xFF;
}

int languageOfKey(int key)
{
    return key & 0xFF;
}

QString kindText(int kind)
{
    return LoadSystemString(kFirstKindText + kind + (IsBlackAndWhiteKind(kind) ? 4 : 0));
}

QString bytesText(std::int64_t bytes)
{
    return QStringLiteral(" %1 Bytes").arg(bytes);
}

QString fileTypeName(int type)
{
    switch (type) {
    case kBmpFile:
        return QStringLiteral("BMP");
    case kJpegFile:
        return QStringLiteral("JPEG");
    case kPngFile:
        return QStringLiteral("PNG");
    case kPcxFile:
        return QStringLiteral("PCX");
    case kTiffFile:
        return QStringLiteral("TIFF");
    case kPsdFile:
        return QStringLiteral("PSD");
    default:
        return {};
    }
}

// The kinds tried for a preview of a square kind: its own first, then the others by how near their
// size is (the larger first between two as near).
std::vector<int> previewKindsFor(int kind)
{
    const int side = SquareSideOfKind(kind);
    if (side == 0 || kind > 5)
        return {kind};
    std::vector<int> kinds{1, 2, 3, 4, 5};
    std::stable_sort(kinds.begin(), kinds.end(), [side](int a, int b) {
        const int da = std::abs(SquareSideOfKind(a) - side);
        const int db = std::abs(SquareSideOfKind(b) - side);
        return da != db ? da < db : a > b;
    });
    return kinds;
}

// Calls `onDoubleClick` when the watched widget is double-clicked.
class DoubleClickFilter : public QObject
{
public:
    DoubleClickFilter(QObject* parent, std::function<void()> onDoubleClick)
        : QObject(parent), m_onDoubleClick(std::move(onDoubleClick))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_onDoubleClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onDoubleClick;
};

} // namespace

std::vector<int> WordPictureKinds()
{
    return {std::begin(kKinds), std::end(kKinds)};
}

int SquareSideOfKind(int kind)
{
    const int plain = kind & ~kBlackAndWhiteBit;
    return plain >= 1 && plain <= 5 ? kSquareSides[plain - 1] : 0;
}

bool IsBlackAndWhiteKind(int kind)
{
    return (kind & kBlackAndWhiteBit) != 0;
}

std::vector<int> WordCompressionChoicesFor(int key)
{
    std::vector<int> codes;
    for (const int code : {1, 2, 3, 4, 5, 6, 8, 7}) {
        if (code == kNoDataLossCompression && languageOfKey(key) == kDefaultLanguage)
            continue;
        if (code == kBlackAndWhiteCompression && !IsBlackAndWhiteKind(kindOfKey(key)))
            continue;
        codes.push_back(code);
    }
    return codes;
}

void MakeBlackAndWhite(RgbImage& image)
{
    for (std::size_t at = 0; at + 2 < image.pixels.size(); at += 3) {
        const bool white =
            image.pixels[at] == 255 && image.pixels[at + 1] == 255 && image.pixels[at + 2] == 255;
        const std::uint8_t value = white ? 255 : 0;
        image.pixels[at] = image.pixels[at + 1] = image.pixels[at + 2] = value;
    }
}

WordPictureEntry::WordPictureEntry() = default;
WordPictureEntry::~WordPictureEntry() = default;

CQuibW_PictPage::CQuibW_PictPage(CQuibW_Frame& frame)
    : CWordMediaPage(frame, LoadSystemString(kStrImagePageTab))
{
}

CQuibW_PictPage::~CQuibW_PictPage() = default;

// ---- Controls -----------------------------------------------------------------------------------------

void CQuibW_PictPage::OnInitDialog(QWidget& page)
{
    auto* column = new QVBoxLayout(&page);
    auto* choices = new QFormLayout;
    m_kinds =
        addNamedRow(*choices, LoadSystemString(kStrPictureKindLabel), new QComboBox, "wordPictureKindList");
    m_compressions =
        addNamedRow(*choices, LoadSystemString(kStrCompressionLabel), new QComboBox, "wordCompressionList");
    column->addLayout(choices);

    m_box = new QGroupBox(LoadSystemString(kStrPictureData));
    auto* boxRow = new QHBoxLayout(m_box);
    m_preview = new QLabel;
    m_preview->setObjectName(QStringLiteral("wordPicturePreview"));
    m_preview->setFixedSize(kPictureBox);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->installEventFilter(new DoubleClickFilter(m_preview, [this] { showFullSize(); }));
    boxRow->addWidget(m_preview);
    boxRow->addWidget(buildTexts(), 1);
    column->addWidget(m_box);

    m_hint = new QLabel;
    m_hint->setObjectName(QStringLiteral("wordPictureHint"));
    m_hint->setWordWrap(true);
    column->addWidget(m_hint);
    auto* colours = new QFormLayout;
    m_transparent = addNamedRow(*colours, LoadSystemString(kStrTransparentColorLabel), new CColorCombo,
                                "wordTransparentList");
    m_background = addNamedRow(*colours, LoadSystemString(kStrBackgroundColorLabel), new CColorCombo,
                               "wordBackgroundList");
    column->addLayout(colours);
    m_import = new QPushButton(LoadSystemString(kImportText));
    m_import->setObjectName(QStringLiteral("wordPictureImportButton"));
    column->addWidget(m_import, 0, Qt::AlignLeft);
    column->addStretch(1);

    QObject::connect(m_kinds, &QComboBox::activated,
                     [this](int index) { ChooseKey(m_kinds->itemData(index).toInt()); });
    QObject::connect(m_compressions, &QComboBox::activated,
                     [this](int index) { ChooseCompression(m_compressions->itemData(index).toInt()); });
    QObject::connect(m_import, &QPushButton::clicked, [this] { ImportPicture(); });
    QObject::connect(m_transparent, &QComboBox::activated, [this] { onColorChosen(*m_transparent, true); });
    QObject::connect(m_background, &QComboBox::activated, [this] { onColorChosen(*m_background, false); });
}

QWidget* CQuibW_PictPage::buildTexts()
{
    auto* texts = new QWidget;
    auto* form = new QFormLayout(texts);
    const auto add = [form](int labelId, const char* name) {
        return addNamedRow(*form, LoadSystemString(labelId), new QLabel, name);
    };
    m_idText = add(kStrIdLabel, "wordPictureId");
    m_dimensionsText = add(kStrDimensionsLabel, "wordPictureDimensions");
    m_rawSizeText = add(kStrRawSizeLabel, "wordPictureRawSize");
    m_sizeText = add(kStrSizeLabel, "wordPictureSize");
    m_fileText = new QLineEdit;
    m_fileText->setObjectName(QStringLiteral("wordPictureFile"));
    m_fileText->setReadOnly(true);
    m_fileText->setFrame(false);
    form->addRow(LoadSystemString(kStrFileLabel), m_fileText);
    return texts;
}

void CQuibW_PictPage::OnSetActive()
{
    // The palette may have changed since the page was last shown.
    FillMediaColorList(*m_transparent);
    FillMediaColorList(*m_background);
    UpdateData(false);
}

void CQuibW_PictPage::fillKinds()
{
    if (!KindListStale())
        return;
    const int language = WordLanguage();
    const bool translating = WordEditorTranslating();
    std::vector<MediaKindItem> items{{LoadSystemString(kFirstKindText), 0}};
    for (const int listed : MediaLanguagesOf(language, translating)) {
        const std::optional<QString> suffix = KindLanguageSuffix(listed);
        if (translating && !suffix)
            continue;
        for (const int kind : kKinds) {
            items.push_back(
                {kindText(kind) + (translating ? *suffix : QString()), (kind << 8) | (listed & 0xFF)});
        }
    }
    FillKindList(*m_kinds, items, m_key);
    m_key = m_kinds->currentData().toInt();
}

// ---- Entries ------------------------------------------------------------------------------------------

void CQuibW_PictPage::FreeEntries()
{
    m_entries.clear();
}

WordPictureEntry* CQuibW_PictPage::currentEntry()
{
    const auto found = m_entries.find(m_key);
    return found == m_entries.end() ? nullptr : found->second.get();
}

const WordPictureEntry* CQuibW_PictPage::Entry(int key) const
{
    const auto found = m_entries.find(key);
    return found == m_entries.end() ? nullptr : found->second.get();
}

WordPictureEntry* CQuibW_PictPage::lookUpEntry(CQuibWord& word)
{
    auto entry = std::make_unique<WordPictureEntry>();
    entry->key = m_key;
    if (!loadStored(word, *entry) && !loadPreview(word, *entry)) {
        entry->status = LoadSystemString(kStrNoPictureData);
        entry->hint = LoadSystemString(kStrNoPictureOfWord);
    }
    WordPictureEntry* held = entry.get();
    m_entries[m_key] = std::move(entry);
    return held;
}

bool CQuibW_PictPage::loadStored(CQuibWord& word, WordPictureEntry& entry)
{
    const int file = m_frame.SheetFile();
    const std::int32_t type =
        MakePictType(std::int16_t(kindOfKey(m_key)), std::int16_t(languageOfKey(m_key)));
    if (!ResourceExists(word.GetID(), type, file))
        return false;
    auto stored = std::make_unique<CQuibPict>();
    if (AttachResource(stored.get(), word.GetID(), type, file) != RES_OK || stored->Load() < 0 ||
        !stored->Decode() || !stored->GetImage()) {
        // A stored picture that cannot be read counts as absent.
        entry.status = LoadSystemString(kStrStoredPictureData);
        entry.hint = LoadSystemString(kStrStoredPictureFailed);
        return false;
    }
    entry.working = *stored->GetImage();
    entry.compression = stored->Compression;
    entry.storeFormat = stored->StoreFormat;
    entry.storedSize = stored->GetStoredSize();
    entry.transparentColor = stored->TransparentColor;
    entry.backgroundColor = stored->BackkgroundColor;
    entry.storedFile = GetResFilePath(file);
    entry.status = LoadSystemString(kStrStoredPictureData);
    entry.hint = LoadSystemString(kStrPictureOfThisWord);
    entry.stored = std::move(stored);
    makePreviews(entry, entry.working);
    return true;
}

bool CQuibW_PictPage::loadPreview(CQuibWord& word, WordPictureEntry& entry)
{
    const int kind = kindOfKey(m_key);
    std::vector<std::int32_t> ids{word.GetID()};
    if (!word.FamilyList.empty() && word.FamilyList.front() != word.GetID())
        ids.push_back(word.FamilyList.front());
    for (const std::int32_t id : ids) {
        for (const int tried : previewKindsFor(kind)) {
            std::unique_ptr<CQuibPict> found = FindPictureById(id, tried);
            if (!found || found->Load() < 0 || !found->Decode() || !found->GetImage())
                continue;
            entry.working = *found->GetImage();
            entry.storedSize = found->GetStoredSize();
            entry.storeFormat = found->StoreFormat;
            entry.storedFile = GetResFilePath(found->GetFile());
            entry.status = LoadSystemString(kStrPreviewPictureData);
            const int language = GetPictTypeLanguage(found->GetType());
            entry.hint = LoadSystemString(kStrPreviewBasedOn)
                             .arg(tried != kind ? LoadSystemString(kStrPreviewAnotherSize) : QString(),
                                  LoadSystemString(language == kDefaultLanguage ? kStrPreviewDefault
                                                                                : kStrPreviewThis),
                                  id != word.GetID() ? LoadSystemString(kStrPreviewFamilyWord) : QString());
            makePreviews(entry, entry.working);
            return true;
        }
    }
    return false;
}

// ---- Moving data into the controls ---------------------------------------------------------------------

bool CQuibW_PictPage::DoDataExchange(bool save)
{
    if (save)
        return true; // the page's members change as the person acts
    CQuibWord* word = TakeCurrentWord();
    fillKinds();
    ShowChosenKind(*m_kinds, m_key);
    WordPictureEntry* entry = currentEntry();
    if (word && !entry && m_key != 0)
        entry = lookUpEntry(*word);
    const QImage& shown = entry && !entry->fittedPreview.isNull() ? entry->fittedPreview
                                                                  : (entry ? entry->fullPreview : QImage());
    if (shown.isNull())
        m_preview->clear();
    else
        m_preview->setPixmap(QPixmap::fromImage(shown));
    showTexts(entry, word);
    updateControls(entry, word);
    return true;
}

void CQuibW_PictPage::showTexts(const WordPictureEntry* entry, CQuibWord* word)
{
    for (QLabel* text : {m_idText, m_dimensionsText, m_rawSizeText, m_sizeText, m_hint})
        text->clear();
    m_fileText->clear();
    if (!entry) {
        m_box->setTitle(LoadSystemString(kStrPictureData));
        return;
    }
    m_box->setTitle(entry->status);
    m_hint->setText(entry->fittedPreview.isNull() ? entry->hint : LoadSystemString(kFullSizeHint));
    if (word)
        m_idText->setText(QString::number(word->GetID()));
    if (entry->source && !entry->fileName.isEmpty()) {
        m_fileText->setText(
            LoadSystemString(kStrImportedPicture)
                .arg(entry->fileName, entry->fileType + QLatin1Char(',') + entry->fileSizeText)
                .arg(entry->source->width)
                .arg(entry->source->height));
    } else {
        m_fileText->setText(entry->storedFile);
    }
    m_fileText->setCursorPosition(0);
    if (entry->working.isNull())
        return;
    const std::int64_t width = entry->working.width;
    const std::int64_t height = entry->working.height;
    m_dimensionsText->setText(QStringLiteral(" %1 x %2").arg(width).arg(height));
    const std::int64_t raw = width * height * 3;
    m_rawSizeText->setText(bytesText(raw));
    if (raw == 0) {
        m_sizeText->setText(bytesText(entry->storedSize));
        return;
    }
    const std::int64_t saving = 100 - entry->storedSize * 100 / raw;
    m_sizeText->setText(QStringLiteral(" %1 Bytes  ( %2 % )").arg(entry->storedSize).arg(saving));
}

void CQuibW_PictPage::updateControls(const WordPictureEntry* entry, const CQuibWord* word)
{
    const bool editable = word && m_frame.IsEditable() && m_key != 0;
    m_import->setEnabled(editable);
    m_kinds->setEnabled(word != nullptr);
    fillCompressions(entry);
    const bool imported = editable && entry && !entry->fileName.isEmpty();
    for (QWidget* control : std::initializer_list<QWidget*>{m_compressions, m_transparent, m_background})
        control->setEnabled(imported);
    ShowMediaColor(*m_transparent, entry ? std::optional(entry->transparentColor) : std::nullopt);
    ShowMediaColor(*m_background, entry ? std::optional(entry->backgroundColor) : std::nullopt);
}

void CQuibW_PictPage::fillCompressions(const WordPictureEntry* entry)
{
    const QSignalBlocker quiet(m_compressions);
    m_compressions->clear();
    for (const int code : WordCompressionChoicesFor(m_key))
        m_compressions->addItem(LoadSystemString(CompressionTextId(code)), code);
    int chosen = IsBlackAndWhiteKind(kindOfKey(m_key)) ? kBlackAndWhiteCompression : kGraphicCompression;
    if (entry && entry->compression != 0)
        chosen = entry->compression;
    m_compressions->setCurrentIndex(m_compressions->findData(chosen));
}

// ---- The person's actions -----------------------------------------------------------------------------

void CQuibW_PictPage::ChooseKey(int key)
{
    m_key = key;
    if (m_preview)
        m_preview->clear();
    UpdateData(false);
}

void CQuibW_PictPage::ChooseCompression(int code)
{
    WordPictureEntry* entry = currentEntry();
    if (!entry || code == entry->compression)
        return;
    entry->compression = code;
    encode(*entry);
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_PictPage::onColorChosen(CColorCombo& list, bool transparent)
{
    if (TakeChosenMediaColor(currentEntry(), list, transparent))
        SetSheetModified();
    UpdateData(false);
}

void CQuibW_PictPage::ImportPicture()
{
    const int kind = kindOfKey(m_key);
    if (kind == 0 || !m_frame.CurrentWord())
        return;
    const int code = m_compressions ? m_compressions->currentData().toInt() : 0;
    m_entries.erase(m_key);
    QString path;
    std::optional<RgbImage> picture = ChoosePictureFile(GetWidget(), &path);
    if (!picture) {
        UpdateData(false);
        return;
    }
    auto entry = std::make_unique<WordPictureEntry>();
    entry->key = m_key;
    entry->compression = code != 0 ? code : kGraphicCompression;
    entry->fileName = path;
    entry->fileType = fileTypeName(GuessPictureFileType(path));
    const lumivo::files::FileInfo info = lumivo::files::fileSystem().info(path);
    entry->fileSizeText =
        info.exists ? bytesText(std::int64_t(info.size)) : LoadSystemString(kNotAvailableText);
    entry->source = std::move(picture);
    entry->changed = true;
    fitPicture(*entry);
    encode(*entry);
    m_entries[m_key] = std::move(entry);
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_PictPage::fitPicture(WordPictureEntry& entry)
{
    const int kind = kindOfKey(entry.key);
    const int side = SquareSideOfKind(kind);
    entry.working = *entry.source;
    if (side != 0 && (entry.working.width != side || entry.working.height != side)) {
        if (std::optional<RgbImage> resized = ResizeRgb(entry.working, side, side))
            entry.working = std::move(*resized);
    }
    if (IsBlackAndWhiteKind(kind))
        MakeBlackAndWhite(entry.working);
}

void CQuibW_PictPage::encode(WordPictureEntry& entry)
{
    entry.fullPreview = QImage();
    entry.fittedPreview = QImage();
    if (!IsWellFormed(entry.working))
        return;
    entry.storeFormat = StoreFormatOfCompression(entry.compression);
    std::int64_t stored = 0;
    const std::optional<RgbImage> decoded =
        DecodeImageBytes(entry.working, &stored, std::uint32_t(entry.working.width),
                         std::uint32_t(entry.working.height), std::int16_t(entry.storeFormat));
    entry.storedSize = stored;
    makePreviews(entry, decoded ? *decoded : entry.working);
}

void CQuibW_PictPage::makePreviews(WordPictureEntry& entry, const RgbImage& shown)
{
    entry.fullPreview = ToDisplayImage(shown);
    entry.fittedPreview = QImage();
    if (entry.fullPreview.isNull())
        return;
    const QSize fitted = ShrinkToFit(entry.fullPreview.size(), kPictureBox);
    if (fitted != entry.fullPreview.size())
        entry.fittedPreview =
            entry.fullPreview.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void CQuibW_PictPage::showFullSize()
{
    const WordPictureEntry* entry = currentEntry();
    if (!entry || entry->fittedPreview.isNull())
        return;
    QDialog dialog(GetWidget());
    dialog.setWindowTitle(LoadSystemString(kStrImagePageTab));
    auto* scroll = new QScrollArea(&dialog);
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(entry->fullPreview));
    scroll->setWidget(picture);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(scroll);
    dialog.resize(entry->fullPreview.size().boundedTo(QSize(1024, 768)) + QSize(40, 40));
    lumivo::ui::runModal(dialog);
}

// ---- Storing ------------------------------------------------------------------------------------------

bool CQuibW_PictPage::OnApply()
{
    const bool stored = StorePictures();
    PropertyPage::OnApply();
    return stored;
}

QString CQuibW_PictPage::StoredItemText(int key) const
{
    return LoadSystemString(kStrPictureItem).arg(kindText(kindOfKey(key)));
}

bool CQuibW_PictPage::StorePictures()
{
    return StoreChangedEntries(m_entries, [this](CQuibWord& word, int key, WordPictureEntry& entry) {
        const std::int32_t type =
            MakePictType(std::int16_t(kindOfKey(key)), std::int16_t(languageOfKey(key)));
        PictureToStore picture;
        picture.image = &entry.working;
        picture.storeFormat = entry.storeFormat;
        picture.compression = std::uint16_t(entry.compression);
        picture.transparentColor = entry.transparentColor;
        picture.backgroundColor = entry.backgroundColor;
        std::unique_ptr<CQuibPict> made =
            ReplaceStoredPicture(word.GetID(), m_frame.SheetFile(), type, picture);
        if (!made)
            return false;
        entry.stored = std::move(made);
        entry.changed = false;
        return true;
    });
}
