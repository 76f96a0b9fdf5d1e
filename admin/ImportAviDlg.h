#pragma once
// The import of word clips: AVI files stored unchanged as the animations of the words their titles
// name, with the author id and the chroma-key and background colours chosen in the dialog.

#include "admin/ImportDlg.h"

#include <QString>

#include <cstdint>

class CColorCombo;

// The colour a clip carries when none was chosen (colour number 251).
constexpr std::uint32_t kClipDefaultColor = 0xFBFFFFFF;

// What the clip store step needs of the dialog.
struct ClipImportChoice : MediaImportChoice {
    int aviType = 0; // clip kind + 256 x language
    std::uint16_t translateLanguage = 0;
    std::uint16_t author = 0;
    std::uint32_t chromaKey = kClipDefaultColor;
    std::uint32_t background = kClipDefaultColor;
};

// Stores the AVI file's bytes under the word: 0, kImportExists, kImportExistsElsewhere,
// kImportUnreadableFile, kImportFileTooLarge or a negative store error. No record is left behind
// when nothing is stored, and with overwrite the stored clip is replaced only once the new bytes are
// read.
int ImportAviFile(const ClipImportChoice& choice, const QString& title, std::int32_t wordId,
                  const QString& path);

class CImportAviDlg : public CImportMediaDlg
{
public:
    explicit CImportAviDlg(QWidget* parent = nullptr);

    void FillAviTypeList(std::uint16_t language);
    void UpdateControls() override;

    int AviType() const { return m_aviType; }
    std::uint32_t ChromaKey() const { return m_chromaKey; }
    std::uint32_t Background() const { return m_background; }

protected:
    QString filterFormat() const override;
    QString defaultExtension() const override { return QStringLiteral("avi"); }
    int storeStep(const QString& title, std::int32_t wordId, const QString& path) override;
    void readControls() override;

private:
    CColorCombo* addColorRow(int labelId, const char* objectName, std::uint32_t& member);
    void onColorChosen(CColorCombo& combo, std::uint32_t& member);

    int m_aviType = 0;
    std::uint32_t m_chromaKey = kClipDefaultColor;
    std::uint32_t m_background = kClipDefaultColor;
    QComboBox* m_typeList = nullptr;
    CColorCombo* m_chromaKeyList = nullptr;
    CColorCombo* m_backgroundList = nullptr;
};
