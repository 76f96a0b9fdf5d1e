#include "authoring/BgPictPage.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/BgEditorFrame.h"
#include "authoring/BgSheetView.h"
#include "authoring/PictureFileChooser.h"
#include "authoring/StoredPicture.h"
#include "core/FrameSizes.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/FormRows.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

constexpr int kScreenSizes = 6;
constexpr int kFirstPageKind = 0x20;
constexpr int kNoneText = 1200;
constexpr int kFirstScreenSizeText = 1240;
constexpr int kImportText = 4613;
constexpr int kHintText = 9024;
constexpr int kNotAvailableText = 9018;
constexpr int kDefaultCompression = 3;
constexpr int kBlackAndWhiteCompression = 7;
constexpr int kNoDataLossCompression = 2;
constexpr std::int16_t kDefaultLanguage = 1;
const QSize kPreviewBox(320, 214);

struct Compression {
    int code;
    int textId;
    int format;
};
// In the order the list shows them.
constexpr Compression kCompressions[] = {
    {1, 4550, 1}, {2, 4557, 3}, {3, 4551, 11}, {4, 4552, 5},
    {5, 4553, 7}, {6, 4554, 8}, {8, 4556, 10}, {7, 4555, 3},
};

bool defaultLanguageFirst()
{
    return (theTranslateFlags & 0x1) != 0;
}

QString bytesText(std::int64_t bytes)
{
    return QStringLiteral(" %1 Bytes").arg(bytes);
}

} // namespace

int PictureKindOfScreenSize(int choice)
{
    return choice >= 1 && choice <= kScreenSizes ? kFirstPageKind + choice - 1 : 0;
}

QSize TargetSizeOfScreenSize(int choice)
{
    if (choice < 1 || choice > kScreenSizes)
        return {0, 0};
    const CSize size = GetFrameSizePageSize(choice);
    return {size.cx, size.cy};
}

std::vector<int> CompressionChoicesFor(int kind)
{
    std::vector<int> codes;
    for (const Compression& choice : kCompressions) {
        if (choice.code == kNoDataLossCompression && kind == 1)
            continue;
        if (choice.code == kBlackAndWhiteCompression && !(kind & 0x10))
            continue;
        codes.push_back(choice.code);
    }
    return codes;
}

int StoreFormatOfCompression(int code)
{
    for (const Compression& choice : kCompressions)
        if (choice.code == code)
            return choice.format;
    return pictRawRgb;
}

int CompressionTextId(int code)
{
    for (const Compression& choice : kCompressions)
        if (choice.code == code)
            return choice.textId;
    return kCompressions[0].textId;
}

BgPictureVariant::BgPictureVariant() = default;
BgPictureVariant::~BgPictureVariant() = default;

CQuibBg_PictPage::CQuibBg_PictPage(CQuibBg_Frame& frame)
    : PropertyPage(LoadSystemString(kStrImagePageTab)), m_frame(frame)
{
    // The size the pages are shown at now, so the picture in use is the first one seen.
    const int mode = theFrameSizeMode;
    m_screenSize = static_cast<std::uint16_t>(mode >= 1 && mode <= kScreenSizes ? mode : 2);
    m_defaultLanguageCheck = defaultLanguageFirst();
}

CQuibBg_PictPage::~CQuibBg_PictPage() = default;

// ---- Controls -----------------------------------------------------------------------------------------

void CQuibBg_PictPage::OnInitDialog(QWidget& page)
{
    auto* column = new QVBoxLayout(&page);
    auto* choices = new QFormLayout;
    m_screenSizes = new QComboBox;
    m_screenSizes->setObjectName(QStringLiteral("bgScreenSizeList"));
    m_screenSizes->addItem(LoadSystemString(kNoneText), 0);
    for (int size = 1; size <= kScreenSizes; ++size)
        m_screenSizes->addItem(LoadSystemString(kFirstScreenSizeText + size - 1), size);
    choices->addRow(LoadSystemString(kStrScreenSizeLabel), m_screenSizes);
    m_compressions =
        addNamedRow(*choices, LoadSystemString(kStrCompressionLabel), new QComboBox, "bgCompressionList");
    column->addLayout(choices);

    auto* middle = new QHBoxLayout;
    m_preview = new QLabel;
    m_preview->setObjectName(QStringLiteral("bgPicturePreview"));
    m_preview->setFixedSize(kPreviewBox);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    middle->addWidget(m_preview);
    auto* texts = new QFormLayout;
    buildTexts(*texts);
    middle->addLayout(texts, 1);
    column->addLayout(middle);

    m_infoText = new QLabel;
    m_infoText->setWordWrap(true);
    m_hintText = new QLabel;
    m_hintText->setWordWrap(true);
    column->addWidget(m_infoText);
    column->addWidget(m_hintText);
    m_import = new QPushButton(LoadSystemString(kImportText));
    m_import->setObjectName(QStringLiteral("bgImportButton"));
    column->addWidget(m_import, 0, Qt::AlignLeft);
    m_defaultLanguage = new QCheckBox(LoadSystemString(kStrSaveInDefaultLanguage));
    m_defaultLanguage->setObjectName(QStringLiteral("bgDefaultLanguageBox"));
    m_useImages = new QCheckBox(LoadSystemString(kStrUseBackgroundImages));
    m_useImages->setObjectName(QStringLiteral("bgUseImagesBox"));
    column->addWidget(m_defaultLanguage);
    column->addWidget(m_useImages);
    column->addStretch(1);

    QObject::connect(m_screenSizes, &QComboBox::activated, [this](int index) {
        m_frame.SetImageScreenSize(static_cast<std::uint16_t>(m_screenSizes->itemData(index).toInt()));
    });
    QObject::connect(m_compressions, &QComboBox::activated,
                     [this](int index) { onCompressionChosen(index); });
    QObject::connect(m_import, &QPushButton::clicked, [this] { ImportPicture(); });
    QObject::connect(m_defaultLanguage, &QCheckBox::clicked, [this](bool ticked) {
        if (BgPictureVariant* variant = currentVariant())
            variant->saveInDefaultLanguage = ticked;
        setModified();
        UpdateData(true);
    });
    QObject::connect(m_useImages, &QCheckBox::clicked, [this](bool ticked) { onUseImagesClicked(ticked); });
}

void CQuibBg_PictPage::buildTexts(QFormLayout& form)
{
    const auto add = [&form](int labelId, const char* name) {
        auto* value = new QLabel;
        value->setObjectName(QString::fromLatin1(name));
        value->setWordWrap(true);
        form.addRow(LoadSystemString(labelId), value);
        return value;
    };
    m_idText = add(kStrIdLabel, "bgPictureId");
    m_fileText = new QLineEdit;
    m_fileText->setObjectName(QStringLiteral("bgPictureFile"));
    m_fileText->setReadOnly(true);
    m_fileText->setFrame(false);
    form.addRow(LoadSystemString(kStrFileLabel), m_fileText);
    m_dimensionsText = add(kStrDimensionsLabel, "bgPictureDimensions");
    m_rawSizeText = add(kStrRawSizeLabel, "bgPictureRawSize");
    m_sizeText = add(kStrSizeLabel, "bgPictureSize");
}

void CQuibBg_PictPage::setModified()
{
    SetModified(true);
    SetBgSheetChanged(m_frame, true);
}

// ---- Moving data into the controls ---------------------------------------------------------------------

BgPictureVariant* CQuibBg_PictPage::currentVariant()
{
    const auto found = m_variants.find(PictureKindOfScreenSize(m_screenSize));
    return found == m_variants.end() ? nullptr : found->second.get();
}

const BgPictureVariant* CQuibBg_PictPage::Variant(int kind) const
{
    const auto found = m_variants.find(kind);
    return found == m_variants.end() ? nullptr : found->second.get();
}

bool CQuibBg_PictPage::DoDataExchange(bool save)
{
    if (save) {
        m_defaultLanguageCheck = m_defaultLanguage->isChecked();
        return true;
    }
    CQuibBg* page = m_frame.CurrentBackground();
    if (page != m_background) {
        m_variants.clear();
        m_background = page;
    }
    const int kind = PictureKindOfScreenSize(m_screenSize);
    BgPictureVariant* variant = currentVariant();
    if (page && !variant && kind != 0)
        variant = lookUpStored(*page, kind);
    if (variant && !variant->preview.isNull())
        m_preview->setPixmap(QPixmap::fromImage(variant->preview));
    else
        m_preview->clear();
    showTexts(variant, page);
    updateControls(variant, page);
    const QSignalBlocker quiet(m_screenSizes);
    m_screenSizes->setCurrentIndex(m_screenSizes->findData(int(m_screenSize)));
    return true;
}

BgPictureVariant* CQuibBg_PictPage::lookUpStored(CQuibBg& page, int kind)
{
    const int file = m_frame.EditorFile();
    std::int32_t type = MakePictType(std::int16_t(kind), std::int16_t(m_frame.PrimaryLanguage()));
    if (!ResourceExists(page.GetID(), type, file))
        type = MakePictType(std::int16_t(kind), kDefaultLanguage);
    if (!ResourceExists(page.GetID(), type, file))
        return nullptr;
    auto variant = std::make_unique<BgPictureVariant>();
    variant->kind = kind;
    variant->picture = std::make_unique<CQuibPict>();
    CQuibPict& picture = *variant->picture;
    if (AttachResource(&picture, page.GetID(), type, file) != RES_OK || picture.Load() < 0)
        return nullptr;
    picture.Decode();
    if (const RgbImage* image = picture.GetImage())
        variant->fitted = *image;
    variant->compression = picture.Compression;
    variant->format = picture.StoreFormat;
    variant->storedSize = picture.GetStoredSize();
    variant->saveInDefaultLanguage = GetPictTypeLanguage(type) == kDefaultLanguage;
    makePreview(*variant, variant->fitted);
    BgPictureVariant* held = variant.get();
    m_variants[kind] = std::move(variant);
    return held;
}

void CQuibBg_PictPage::showTexts(const BgPictureVariant* variant, CQuibBg* page)
{
    for (QLabel* text : {m_idText, m_dimensionsText, m_rawSizeText, m_sizeText, m_infoText})
        text->clear();
    m_fileText->clear();
    bool defaultLanguage = m_defaultLanguageCheck;
    if (!variant) {
        defaultLanguage = defaultLanguageFirst();
    } else {
        const bool stored = variant->path.isEmpty() && variant->picture;
        m_fileText->setText(GetResFilePath(stored ? variant->picture->GetFile() : m_frame.EditorFile()));
        m_fileText->setCursorPosition(0);
        m_idText->setText(QString::number(page ? page->GetID() : 0));
        if (!variant->path.isEmpty() || variant->picture) {
            const std::int64_t width = variant->fitted.width;
            const std::int64_t height = variant->fitted.height;
            m_dimensionsText->setText(QStringLiteral(" %1 x %2").arg(width).arg(height));
            const std::uint64_t raw = std::uint64_t(width * height * 3);
            if (raw == 0) {
                m_sizeText->setText(bytesText(variant->storedSize));
            } else {
                // The saving in per cent of the raw size; a picture stored larger than raw saves less
                // than nothing, shown as a negative per cent.
                const std::int64_t saving =
                    100 - std::int64_t(std::uint64_t(variant->storedSize) * 100 / raw);
                m_rawSizeText->setText(bytesText(std::int64_t(raw)));
                m_sizeText->setText(
                    QStringLiteral(" %1 Bytes  ( %2 % )").arg(variant->storedSize).arg(saving));
            }
        }
        if (!variant->path.isEmpty() && variant->source) {
            m_infoText->setText(LoadSystemString(kStrImportedPicture)
                                    .arg(variant->path, variant->fileSizeText)
                                    .arg(variant->source->width)
                                    .arg(variant->source->height));
        }
        defaultLanguage = variant->saveInDefaultLanguage;
    }
    m_defaultLanguage->setChecked(defaultLanguage);
    const QSize target = TargetSizeOfScreenSize(m_screenSize);
    m_hintText->setText(target.isEmpty() ? QString()
                                         : QStringLiteral("%1 %2 x %3.")
                                               .arg(LoadSystemString(kHintText))
                                               .arg(target.width())
                                               .arg(target.height()));
}

void CQuibBg_PictPage::updateControls(const BgPictureVariant* variant, CQuibBg* page)
{
    if (!page) {
        for (QWidget* control :
             {static_cast<QWidget*>(m_import), static_cast<QWidget*>(m_compressions),
              static_cast<QWidget*>(m_defaultLanguage), static_cast<QWidget*>(m_useImages)})
            control->setEnabled(false);
        return;
    }
    const int kind = PictureKindOfScreenSize(m_screenSize);
    const bool editable = m_frame.IsEditable() && kind != 0;
    m_import->setEnabled(editable);
    fillCompressionList(variant);
    const bool imported = variant && !variant->path.isEmpty();
    m_compressions->setEnabled(editable && imported);
    m_defaultLanguage->setEnabled(editable && imported);
    m_useImages->setEnabled(true);
    m_useImages->setChecked(!(page->BgFlags & kBgFlagNoPicture));
}

void CQuibBg_PictPage::fillCompressionList(const BgPictureVariant* variant)
{
    const int kind = PictureKindOfScreenSize(m_screenSize);
    const std::vector<int> codes = CompressionChoicesFor(kind);
    const QSignalBlocker quiet(m_compressions);
    m_compressions->clear();
    for (const int code : codes)
        m_compressions->addItem(LoadSystemString(CompressionTextId(code)), code);
    int chosen = variant && variant->compression != 0 ? variant->compression : kDefaultCompression;
    if (m_compressions->findData(chosen) < 0)
        chosen = kDefaultCompression;
    m_compressions->setCurrentIndex(m_compressions->findData(chosen));
}

// ---- The person's actions -----------------------------------------------------------------------------

void CQuibBg_PictPage::SetScreenSize(std::uint16_t choice)
{
    m_screenSize = choice;
    if (m_preview)
        m_preview->clear();
    UpdateData(false);
}

void CQuibBg_PictPage::onCompressionChosen(int index)
{
    BgPictureVariant* variant = currentVariant();
    const int code = m_compressions->itemData(index).toInt();
    if (!variant || code == variant->compression)
        return;
    variant->compression = code;
    encodePreview(*variant);
    setModified();
    UpdateData(false);
}

void CQuibBg_PictPage::onUseImagesClicked(bool ticked)
{
    CQuibBg* page = m_frame.CurrentBackground();
    if (!page)
        return;
    if (ticked)
        page->BgFlags &= ~kBgFlagNoPicture;
    else
        page->BgFlags |= kBgFlagNoPicture;
    setModified();
}

void CQuibBg_PictPage::ImportPicture()
{
    const int kind = PictureKindOfScreenSize(m_screenSize);
    if (kind == 0 || !m_frame.CurrentBackground())
        return;
    const int code = m_compressions ? m_compressions->currentData().toInt() : kDefaultCompression;
    m_variants.erase(kind);
    QString path;
    auto picture = ChoosePictureFile(GetWidget(), &path);
    if (!picture) {
        UpdateData(false);
        return;
    }
    auto variant = std::make_unique<BgPictureVariant>();
    variant->kind = kind;
    variant->compression = code != 0 ? code : kDefaultCompression;
    variant->path = path;
    variant->changed = true;
    variant->saveInDefaultLanguage = m_defaultLanguageCheck;
    variant->source = std::move(picture);
    const lumivo::files::FileInfo info = lumivo::files::fileSystem().info(path);
    variant->fileSizeText =
        info.exists ? bytesText(std::int64_t(info.size)) : LoadSystemString(kNotAvailableText);
    setModified();
    fitPicture(*variant);
    encodePreview(*variant);
    m_variants[kind] = std::move(variant);
    UpdateData(false);
}

void CQuibBg_PictPage::fitPicture(BgPictureVariant& variant)
{
    const QSize target = TargetSizeOfScreenSize(m_screenSize);
    variant.fitted = FitToTarget(*variant.source, m_frame.ImportMode(), target.width(), target.height());
}

void CQuibBg_PictPage::encodePreview(BgPictureVariant& variant)
{
    if (!IsWellFormed(variant.fitted))
        return;
    variant.format = StoreFormatOfCompression(variant.compression);
    std::int64_t stored = 0;
    const auto decoded = DecodeImageBytes(variant.fitted, &stored, std::uint32_t(variant.fitted.width),
                                          std::uint32_t(variant.fitted.height), std::int16_t(variant.format));
    variant.storedSize = stored;
    makePreview(variant, decoded ? *decoded : variant.fitted);
}

void CQuibBg_PictPage::makePreview(BgPictureVariant& variant, const RgbImage& shown)
{
    const QImage full = ToDisplayImage(shown);
    if (full.isNull()) {
        variant.preview = QImage();
        return;
    }
    const QSize size = ShrinkToFit(full.size(), kPreviewBox);
    variant.preview =
        size == full.size() ? full : full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// ---- Storing ------------------------------------------------------------------------------------------

bool CQuibBg_PictPage::OnApply()
{
    const bool stored = ApplyPictures();
    PropertyPage::OnApply();
    return stored;
}

bool CQuibBg_PictPage::ApplyPictures()
{
    CQuibBg* page = m_frame.CurrentBackground();
    if (!page || page != m_background)
        return true;
    MediaRecordError failure = MediaRecordError::None;
    for (auto& [kind, variant] : m_variants) {
        if (!variant->changed)
            continue;
        if (const MediaRecordError error = storeVariant(*page, *variant); error != MediaRecordError::None)
            failure = error;
    }
    // A picture not stored keeps its variant changed, and the stored one stays: the person is told.
    if (failure != MediaRecordError::None)
        MessageBoxById(messageIdOf(failure), lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                       GetResFilePath(m_frame.EditorFile()));
    return failure == MediaRecordError::None;
}

MediaRecordError CQuibBg_PictPage::storeVariant(CQuibBg& page, BgPictureVariant& variant)
{
    const int file = m_frame.EditorFile();
    const std::int16_t language =
        variant.saveInDefaultLanguage ? kDefaultLanguage : std::int16_t(m_frame.PrimaryLanguage());
    const std::int32_t type = MakePictType(std::int16_t(variant.kind), language);
    PictureToStore picture;
    picture.image = &variant.fitted;
    picture.storeFormat = variant.format;
    picture.compression = std::uint16_t(variant.compression);
    MediaRecordError error = MediaRecordError::None;
    std::unique_ptr<CQuibPict> made = ReplaceStoredPicture(page.GetID(), file, type, picture, &error);
    if (!made)
        return error;
    // The picture shown before may lie in the other language: it goes as well.
    if (variant.picture && variant.picture->GetType() != type)
        variant.picture->CMyRes::Remove(-1, -1);
    variant.picture = std::move(made);
    variant.changed = false;
    return MediaRecordError::None;
}

void CQuibBg_PictPage::ResetPictures()
{
    m_variants.clear();
    m_background = m_frame.CurrentBackground();
    if (IsCreated() && GetSheet() && GetSheet()->GetActivePage() == this)
        UpdateData(false);
}

void CQuibBg_PictPage::ForgetBackground()
{
    m_variants.clear();
    m_background = nullptr;
}
