#include "admin/ImportSoundDlg.h"

#include "admin/ImportStrings.h"
#include "core/Lookups.h"
#include "core/Sound.h"
#include "core/StoredMedia.h"
#include "media/SoundFunctions.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <cstdlib>
#include <vector>

using namespace import_strings;

namespace
{

constexpr int kFirstVoiceText = 1250;
constexpr int kLastVoiceKind = 6;
constexpr int kMonoText = 5580;
constexpr int kStereoText = 5581;

struct CompressionEntry {
    int textId;
    int word;
};
constexpr CompressionEntry kCompressions[] = {
    {5570, 0}, {5571, 0x102}, {5572, 0x104}, {5573, 0x106}, {5574, 0x107},
};

QString compressionText(const CompressionEntry& entry)
{
    const int channels = entry.word & soundChannelMask;
    QString suffix;
    if (channels == soundChannelMono)
        suffix = QStringLiteral("  (%1)").arg(LoadSystemString(kMonoText));
    else if (channels == soundChannelStereo)
        suffix = QStringLiteral("  (%1)").arg(LoadSystemString(kStereoText));
    return LoadSystemString(entry.textId) + suffix;
}

// The stored bytes of the sound by the encoding of the compression word; empty when it gives none.
std::vector<std::uint8_t> encodedSound(const WaveBlock& wave, int word)
{
    // A wave without a whole sample frame is no sound, whatever it would be encoded into.
    if (wave.wholeFrameBytes() == 0)
        return {};
    const int kind = word & soundKindMask;
    if (kind == soundKindWave) {
        WaveBlock pcm;
        if (ConvertWaveToPcm(wave, pcm, word) == convertWaveOk && !pcm.isNull() && pcm.wholeFrameBytes() > 0)
            return pcm.bytes();
    } else if (kind >= soundKindMp3First && kind <= soundKindMp3Last) {
        std::vector<std::uint8_t> mp3;
        if (EncodeMp3(wave, mp3, word) > 0)
            return mp3;
    }
    return {};
}

struct SoundData {
    std::vector<std::uint8_t> bytes;
    int word = 0;
    std::int32_t duration = 0;
    std::int32_t bytesPerSecond = 0;
};

int fillSound(CQuibSound& sound, const SoundData& data, std::uint16_t author)
{
    sound.SoundFlags = 0;
    sound.SetData(data.bytes, std::uint16_t(data.word), author, data.duration, data.bytesPerSecond);
    sound.SetName({});
    return sound.GetLastError();
}

// The sound goes into a record of its own first, which replaces the stored one (or takes the free
// place) only once it is written: a sound that cannot be stored loses nothing.
int storeSound(const SoundImportChoice& choice, const SoundData& data, const RecordPlace& place)
{
    CQuibSound sound;
    int error = sound.Create();
    if (error == RES_OK) {
        fillSound(sound, data, choice.author);
        error = ReplaceStoredRecord(sound, place);
    }
    return error == RES_OK ? 0 : -std::abs(error);
}

} // namespace

int ImportSoundFile(const SoundImportChoice& choice, const QString& /*title*/, std::int32_t wordId,
                    const QString& path)
{
    WaveBlock wave;
    const int read = ReadWaveFile(path, wave);
    if (read == readWaveTooLarge)
        return kImportFileTooLarge;
    if (read == readWaveShortData)
        return kImportDamagedSound;
    if (read < 0 || wave.isNull())
        return kImportUnreadableFile;
    SoundData data;
    data.word = choice.compression;
    if (GetWaveChannels(wave) == 1)
        data.word = (data.word & ~soundChannelMask) | soundChannelMono;
    data.bytes = encodedSound(wave, data.word);
    data.duration = std::int32_t(GetWaveDurationMs(wave));
    if (data.bytes.empty())
        return kImportNothingProduced;
    if (data.duration != 0)
        data.bytesPerSecond = std::int32_t(std::int64_t(data.bytes.size()) * 1000 / data.duration);
    const int kind = choice.soundType & 0xFF;
    const std::int32_t type = MakeSoundType(std::int16_t(kind), std::int16_t(choice.translateLanguage));
    if (choice.skipWhenElsewhere && FindSoundById(wordId, kind))
        return kImportExistsElsewhere;
    if (ResourceExists(wordId, type, choice.outputFile) && !choice.overwrite)
        return kImportExists;
    return storeSound(choice, data, {wordId, choice.outputFile, type});
}

CImportSoundDlg::CImportSoundDlg(QWidget* parent)
    : CImportMediaDlg(ImportItem::Sound, kSoundTitle, kOverwriteSounds, parent)
{
    m_typeList = addListRow(kSoundType, "typeList");
    m_compressionList = addListRow(kCompression, "compressionList");
    addAuthorIdRow();
    FillSoundTypeList(m_translateLanguage);
    FillSoundCompressionList();
    finishInit();
    m_typeList->setFocus();
}

void CImportSoundDlg::FillSoundTypeList(std::uint16_t language)
{
    const QScopedValueRollback updating(m_updating, true);
    m_typeList->clear();
    for (int kind = 0; kind <= kLastVoiceKind; ++kind)
        m_typeList->addItem(LoadSystemString(kFirstVoiceText + kind), kind + 256 * (language & 0xFF));
    m_typeList->setCurrentIndex(0);
}

void CImportSoundDlg::FillSoundCompressionList()
{
    const QScopedValueRollback updating(m_updating, true);
    m_compressionList->clear();
    for (const CompressionEntry& entry : kCompressions)
        m_compressionList->addItem(compressionText(entry), entry.word);
    m_compressionList->setCurrentIndex(0);
}

void CImportSoundDlg::readControls()
{
    if (!m_initialised || m_updating)
        return;
    m_soundType = SelectedData(*m_typeList);
    m_compression = SelectedData(*m_compressionList);
    CImportMediaDlg::readControls();
}

void CImportSoundDlg::UpdateControls()
{
    const QScopedValueRollback updating(m_updating, true);
    setImportEnabled(m_soundType != 0 && m_compression != 0);
    CImportMediaDlg::UpdateControls();
}

int CImportSoundDlg::storeStep(const QString& title, std::int32_t wordId, const QString& path)
{
    auto choice = choiceWithChecks<SoundImportChoice>();
    choice.soundType = m_soundType;
    choice.compression = m_compression;
    choice.translateLanguage = m_translateLanguage;
    choice.author = m_authorId;
    return ImportSoundFile(choice, title, wordId, path);
}
