#pragma once
// The "Image" page of the page editor's sheet. A page has one picture per screen size: a picture record
// with the page's id whose kind byte names the size (0x20 for "640 x 480" to 0x25 for "1600 x 1200") and
// whose language byte is the editor's primary language or 1 (the default language).
//
// The page shows the stored picture of the chosen size, imports a new one fitted to the size by the
// editor's import mode (crop, resize or keep), lets the author choose the compression and shows the
// picture as that compression will store it, and stores the imported pictures when the page is saved.
// It also carries the page's switch "Use background images with this background" (page flag 0x8 off).
//
// Looked up and stored in the editor's file only, also for a page of a data file.

#include "authoring/ImageOperations.h"
#include "platform/ui/PropertySheet.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CQuibBg;
class CQuibBg_Frame;
class CQuibPict;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
enum class MediaRecordError;

// Screen sizes (0 "None" to 6 "1600 x 1200"): the picture kind of each and the size a picture should
// have for it.
int PictureKindOfScreenSize(int choice);
QSize TargetSizeOfScreenSize(int choice);
// The compression choices offered for a picture kind, in the list's order, and the store format of each.
std::vector<int> CompressionChoicesFor(int kind);
int StoreFormatOfCompression(int code);
// The text of a compression choice (its system string).
int CompressionTextId(int code);

// One picture of the page, for one kind.
struct BgPictureVariant {
    std::optional<RgbImage> source; // as read from the file (imported pictures only)
    QString path;                   // the imported file; empty for a stored picture
    QString fileSizeText;
    RgbImage fitted; // what is stored: the source fitted, or the stored picture decoded
    std::int64_t storedSize = 0;
    int compression = 3;
    int format = 11;
    int kind = 0;
    QImage preview;                     // the picture as stored, at the size shown
    std::unique_ptr<CQuibPict> picture; // the stored picture, when there is one
    bool changed = false;               // imported and not yet stored
    bool saveInDefaultLanguage = false;

    BgPictureVariant();
    ~BgPictureVariant();
};

class CQuibBg_PictPage : public lumivo::ui::PropertyPage
{
public:
    explicit CQuibBg_PictPage(CQuibBg_Frame& frame);
    ~CQuibBg_PictPage() override;

    // The screen size shown (0 to 6); the frame hands on the list's choice.
    void SetScreenSize(std::uint16_t choice);
    std::uint16_t ScreenSize() const { return m_screenSize; }
    // Asks for a picture file and fits it to the chosen size (the Import button).
    void ImportPicture();
    // Stores every imported picture; false when one could not be stored (the others are).
    bool ApplyPictures();
    // Drops every picture not yet stored, and shows the page's stored ones again.
    void ResetPictures();
    // The current page is going: drops the pictures held for it.
    void ForgetBackground();

    // The picture of a kind, or none.
    const BgPictureVariant* Variant(int kind) const;
    QComboBox* ScreenSizeList() const { return m_screenSizes; }
    QComboBox* CompressionList() const { return m_compressions; }
    QCheckBox* DefaultLanguageBox() const { return m_defaultLanguage; }
    QCheckBox* UseImagesBox() const { return m_useImages; }
    QPushButton* ImportButton() const { return m_import; }
    QLabel* Preview() const { return m_preview; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    bool OnApply() override;

private:
    void buildTexts(class QFormLayout& form);
    BgPictureVariant* currentVariant();
    BgPictureVariant* lookUpStored(CQuibBg& page, int kind);
    void fitPicture(BgPictureVariant& variant);
    void encodePreview(BgPictureVariant& variant);
    void makePreview(BgPictureVariant& variant, const RgbImage& shown);
    void showTexts(const BgPictureVariant* variant, CQuibBg* page);
    void updateControls(const BgPictureVariant* variant, CQuibBg* page);
    void fillCompressionList(const BgPictureVariant* variant);
    MediaRecordError storeVariant(CQuibBg& page, BgPictureVariant& variant);
    void onCompressionChosen(int index);
    void onUseImagesClicked(bool ticked);
    void setModified();

    CQuibBg_Frame& m_frame;
    std::map<int, std::unique_ptr<BgPictureVariant>> m_variants; // by kind
    CQuibBg* m_background = nullptr;                             // the page the pictures belong to
    std::uint16_t m_screenSize = 0;
    bool m_defaultLanguageCheck = false;

    QComboBox* m_screenSizes = nullptr;
    QComboBox* m_compressions = nullptr;
    QLabel* m_preview = nullptr;
    QPushButton* m_import = nullptr;
    QCheckBox* m_defaultLanguage = nullptr;
    QCheckBox* m_useImages = nullptr;
    QLabel* m_idText = nullptr;
    QLineEdit* m_fileText = nullptr; // read only: a long path scrolls instead of widening the page
    QLabel* m_dimensionsText = nullptr;
    QLabel* m_rawSizeText = nullptr;
    QLabel* m_sizeText = nullptr;
    QLabel* m_infoText = nullptr;
    QLabel* m_hintText = nullptr;
};
