#pragma once
// The import of word sounds: WAVE files stored as the recorded sounds of the words their titles name,
// as 16-bit PCM or MP3, mono unless the compression says stereo, with the author id typed in.

#include "admin/ImportDlg.h"

#include <QString>

#include <cstdint>

// What the sound store step needs of the dialog.
struct SoundImportChoice : MediaImportChoice {
    int soundType = 0;   // voice kind + 256 x language
    int compression = 0; // the compression word: encoding in bits 0-3, channels in bits 8-9
    std::uint16_t translateLanguage = 0;
    std::uint16_t author = 0;
};

// Stores the WAVE file under the word: 0, kImportExists, kImportNothingProduced (the conversion or
// encoding gave nothing), kImportExistsElsewhere, kImportUnreadableFile, kImportFileTooLarge,
// kImportDamagedSound (its sound data ends before its header says) or a negative store error.
// With overwrite, the stored sound is replaced only once the new one is ready.
int ImportSoundFile(const SoundImportChoice& choice, const QString& title, std::int32_t wordId,
                    const QString& path);

class CImportSoundDlg : public CImportMediaDlg
{
public:
    explicit CImportSoundDlg(QWidget* parent = nullptr);

    void FillSoundTypeList(std::uint16_t language);
    void FillSoundCompressionList();
    void UpdateControls() override;

    int SoundType() const { return m_soundType; }
    int Compression() const { return m_compression; }

protected:
    QString filterFormat() const override { return QStringLiteral("%s (*.*)|*.*|WAVE (*.wav)|*.wav||"); }
    QString defaultExtension() const override { return QStringLiteral("wav"); }
    int storeStep(const QString& title, std::int32_t wordId, const QString& path) override;
    void readControls() override;

private:
    int m_soundType = 0;
    int m_compression = 0;
    QComboBox* m_typeList = nullptr;
    QComboBox* m_compressionList = nullptr;
};
