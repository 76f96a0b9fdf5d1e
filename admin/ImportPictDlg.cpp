#include "admin/ImportPictDlg.h"

#include "admin/ImportStrings.h"
#include "core/Lookups.h"
#include "core/Picture.h"
#include "core/StoredMedia.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <cstdlib>

using namespace import_strings;

namespace
{

constexpr int kFirstTypeText = 1200;
constexpr int kMaskBit = 16;
constexpr int kMaskTextOffset = 4;
constexpr int kIcon32 = 1;
constexpr int kTypeKinds[] = {1, 2, 3, 4, 5, 10, 11, 17, 18, 19, 20, 21, 26, 27};

constexpr int kNoCompression = 1;
constexpr int kNoDataLoss = 2;
constexpr int kBlackAndWhite = 7;

struct CompressionEntry {
    int compression;
    int textId;
    std::int16_t format;
};
// In the order the list shows them.
constexpr CompressionEntry kCompressions[] = {
    {kNoCompression, 4550, pictRawRgb},
    {kNoDataLoss, 4557, pictTiff},
    {3, 4551, pictPng},
    {4, 4552, pictJpeg25},
    {5, 4553, pictJpeg70},
    {6, 4554, pictJpeg85},
    {8, 4556, pictGreyJpeg85},
    {kBlackAndWhite, 4555, pictTiff},
};

bool isMask(int kind)
{
    return (kind & kMaskBit) != 0;
}

bool offered(int compression, int kind)
{
    if (compression == kNoDataLoss)
        return kind != kIcon32;
    if (compression == kBlackAndWhite)
        return isMask(kind);
    return true;
}

// The picture is encoded into a record of its own first; only a record that holds it replaces the
// stored one (or takes the free place), so nothing stored is lost when the picture cannot be encoded or
// written, and the output file never holds an empty picture.
int storePicture(const PictureImportChoice& choice, const QString& title, const RgbImage& image,
                 const RecordPlace& place)
{
    CQuibPict picture;
    picture.Compression = std::uint16_t(choice.compression);
    const int error = picture.Create();
    if (error != RES_OK)
        return -std::abs(error);
    if (!picture.SetImage(image, std::uint32_t(image.width), std::uint32_t(image.height),
                          PictureFormatOfCompression(choice.compression))) {
        picture.Remove();
        return kImportNothingProduced;
    }
    picture.SetName(title);
    const int stored = ReplaceStoredRecord(picture, place);
    return stored == RES_OK ? 0 : -std::abs(stored);
}

} // namespace

std::int16_t PictureFormatOfCompression(int compression)
{
    for (const CompressionEntry& entry : kCompressions) {
        if (entry.compression == compression)
            return entry.format;
    }
    return pictRawRgb;
}

int ImportPictureFile(const PictureImportChoice& choice, const QString& title, std::int32_t wordId,
                      const QString& path)
{
    const std::int32_t type = MakePictType(std::int16_t(choice.kind), std::int16_t(choice.language));
    const std::optional<RgbImage> image = ReadImageFile(path);
    if (!image || image->width <= 0 || image->height <= 0)
        return kImportUnreadablePicture;
    if (choice.skipWhenElsewhere && FindPictureById(wordId, choice.kind))
        return kImportExistsElsewhere;
    if (ResourceExists(wordId, type, choice.outputFile) && !choice.overwrite)
        return kImportExists;
    return storePicture(choice, title, *image, {wordId, choice.outputFile, type});
}

CImportPictDlg::CImportPictDlg(QWidget* parent)
    : CImportMediaDlg(ImportItem::Picture, kPictureTitle, kOverwritePictures, parent),
      m_defaultLanguageFlag((theTranslateFlags & 1) != 0)
{
    m_typeList = addListRow(kImageType, "typeList");
    m_compressionList = addListRow(kCompression, "compressionList");
    m_defaultLanguageBox = new QCheckBox(LoadSystemString(kDefaultLanguage), this);
    m_defaultLanguageBox->setObjectName(QStringLiteral("defaultLanguageCheck"));
    ownRows()->addRow(m_defaultLanguageBox);
    readOnToggle(m_defaultLanguageBox);

    // Shown as the dialog always showed them; nothing adjusts a picture on the way in yet.
    auto* adjust = new QGroupBox(LoadSystemString(kAdjustImage), this);
    auto* adjustLayout = new QVBoxLayout(adjust);
    m_asItIs = new QRadioButton(LoadSystemString(kAsItIs), adjust);
    m_resizeButton = new QRadioButton(LoadSystemString(kResize), adjust);
    m_cropButton = new QRadioButton(LoadSystemString(kCrop), adjust);
    for (QRadioButton* button : {m_asItIs, m_resizeButton, m_cropButton})
        adjustLayout->addWidget(button);
    ownRows()->addRow(adjust);

    FillPictTypeList();
    FillPictCompressionList();
    finishInit();
    m_typeList->setFocus();
}

void CImportPictDlg::FillPictTypeList()
{
    const QScopedValueRollback updating(m_updating, true);
    m_typeList->clear();
    for (int kind : kTypeKinds)
        m_typeList->addItem(LoadSystemString(kFirstTypeText + kind + (isMask(kind) ? kMaskTextOffset : 0)),
                            kind);
    m_typeList->setCurrentIndex(-1);
}

void CImportPictDlg::FillPictCompressionList()
{
    const QScopedValueRollback updating(m_updating, true);
    m_compressionList->clear();
    int selected = kNoCompression;
    for (const CompressionEntry& entry : kCompressions) {
        if (!offered(entry.compression, m_imageType))
            continue;
        m_compressionList->addItem(LoadSystemString(entry.textId), entry.compression);
        if (entry.compression == kNoDataLoss || entry.compression == kBlackAndWhite)
            selected = entry.compression;
    }
    SelectData(*m_compressionList, selected);
}

void CImportPictDlg::onTypeChanged()
{
    FillPictCompressionList();
    m_compression = SelectedData(*m_compressionList);
}

void CImportPictDlg::readControls()
{
    if (!m_initialised || m_updating)
        return;
    m_crop = m_cropButton->isChecked();
    m_resize = m_resizeButton->isChecked();
    m_defaultLanguageFlag = m_defaultLanguageBox->isChecked();
    const int type = SelectedData(*m_typeList);
    m_compression = SelectedData(*m_compressionList);
    if (type != m_imageType) {
        m_imageType = type;
        onTypeChanged();
    }
    CImportMediaDlg::readControls();
}

void CImportPictDlg::UpdateControls()
{
    const QScopedValueRollback updating(m_updating, true);
    m_cropButton->setChecked(m_crop);
    m_resizeButton->setChecked(m_resize && !m_crop);
    m_asItIs->setChecked(!m_crop && !m_resize);
    m_defaultLanguageBox->setChecked(m_defaultLanguageFlag);
    SelectData(*m_typeList, m_imageType);
    SelectData(*m_compressionList, m_compression);
    setImportEnabled(m_compression != 0 && m_imageType != 0);
    for (QRadioButton* button : {m_asItIs, m_resizeButton, m_cropButton})
        button->setEnabled(false);
    m_language = m_defaultLanguageFlag ? m_defaultLanguage : m_translateLanguage;
    if (m_compression < 2 || m_compression > 8)
        m_compression = kNoCompression;
    m_pictureFormat = PictureFormatOfCompression(m_compression);
    CImportMediaDlg::UpdateControls();
}

QString CImportPictDlg::filterFormat() const
{
    return QStringLiteral(
        "%s (*.*)|*.*|JPEG (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp|PNG (*.png)|*.png|PCX (*.pcx)|*.pcx|"
        "TIFF (*.tif)|*.tif|Photoshop (*.psd)|*.psd||");
}

int CImportPictDlg::storeStep(const QString& title, std::int32_t wordId, const QString& path)
{
    auto choice = choiceWithChecks<PictureImportChoice>();
    choice.kind = m_imageType;
    choice.language = m_language;
    choice.compression = m_compression;
    return ImportPictureFile(choice, title, wordId, path);
}
