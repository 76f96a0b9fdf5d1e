#pragma once
// The import of word pictures: image files stored as the pictures of the words their titles name,
// in the chosen picture kind and compression, in the translation language or the default one.

#include "admin/ImportDlg.h"

#include <QString>

#include <cstdint>

class QRadioButton;

// What the picture store step needs of the dialog.
struct PictureImportChoice : MediaImportChoice {
    int kind = 0;        // picture kind byte of the type
    int language = 0;    // language byte of the type
    int compression = 1; // the dialog's compression number, kept as the picture's flag word
};

// The picture store format of a compression number; any number but 2 to 8 is "no compression".
std::int16_t PictureFormatOfCompression(int compression);

// Stores the picture file under the word: 0, kImportUnreadablePicture, kImportExists,
// kImportExistsElsewhere, kImportNothingProduced (the image could not be encoded) or a negative
// store error. With overwrite, the stored picture is rewritten in place only once the new one is
// encoded: a failure leaves it as it was.
int ImportPictureFile(const PictureImportChoice& choice, const QString& title, std::int32_t wordId,
                      const QString& path);

class CImportPictDlg : public CImportMediaDlg
{
public:
    explicit CImportPictDlg(QWidget* parent = nullptr);

    void FillPictTypeList();
    void FillPictCompressionList();
    void UpdateControls() override;

    int ImageType() const { return m_imageType; }
    int Compression() const { return m_compression; }
    int Language() const { return m_language; }
    std::int16_t PictureFormat() const { return m_pictureFormat; }

protected:
    QString filterFormat() const override;
    QString defaultExtension() const override { return QStringLiteral("bmp"); }
    int storeStep(const QString& title, std::int32_t wordId, const QString& path) override;
    void readControls() override;

private:
    void onTypeChanged();

    bool m_crop = false;
    bool m_resize = false;
    bool m_defaultLanguageFlag;
    int m_imageType = 0;
    int m_compression = 0;
    int m_language = 0;
    std::int16_t m_pictureFormat = 1;

    QComboBox* m_typeList = nullptr;
    QComboBox* m_compressionList = nullptr;
    QCheckBox* m_defaultLanguageBox = nullptr;
    QRadioButton* m_asItIs = nullptr;
    QRadioButton* m_resizeButton = nullptr;
    QRadioButton* m_cropButton = nullptr;
};
