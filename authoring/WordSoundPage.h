#pragma once
// The "Sound" page of the word editor's sheet: the word's recorded sounds by kind of voice. A sound key
// holds the kind in its low byte and the language in its high byte; the stored sound of a word and key
// has the word's id and the type MakeSoundType(kind, language).
//
// The author imports a WAVE file for a kind, chooses how it is stored (authoring/SoundEncoding.h: PCM
// or MP3 at one of three qualities, mono or stereo), plays it and gives it a speaker id. The sounds are
// stored in the sheet's file when the word is saved, each replacing the stored sound of the same word
// and key; an entry with nothing encoded (a stored sound whose speaker changed keeps its own bytes)
// never replaces a stored sound with an empty one.

#include "authoring/SoundEncoding.h"
#include "authoring/WordMediaPage.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class CQuibSound;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// One sound of the word, for one key.
struct WordSoundEntry {
    int key = 0;
    std::uint16_t format = kSoundChoiceDefault;
    QString fileName; // the imported file; empty otherwise
    std::int64_t fileSize = 0;
    std::uint32_t durationMs = 0;
    std::uint32_t bitRate = 0;
    int speakerId = 0;
    std::int64_t storedSize = 0;
    // The sound shown: the stored one of this word and key in the sheet's file, or (`ownSound` false) the
    // word's sound found in another file, which is only shown.
    std::unique_ptr<CQuibSound> sound;
    bool ownSound = false;
    bool changed = false;
    std::optional<WaveBlock> source; // as read from the file
    int sourceChannels = 0;
    std::vector<std::uint8_t> encoded; // what is stored

    WordSoundEntry();
    ~WordSoundEntry();
};

class CQuibW_SoundPage : public CWordMediaPage
{
public:
    explicit CQuibW_SoundPage(CQuibW_Frame& frame);
    ~CQuibW_SoundPage() override;

    // The kind of the chosen key (0: none), for the list's "without sound" filter.
    int ChosenKind() const { return m_key & 0xFF; }
    int ChosenKey() const { return m_key; }
    void ChooseKey(int key);
    // Asks for a WAVE file and encodes it for the chosen kind (the Import button).
    void ImportSound();
    // The compression list's choice (a format code).
    void ChooseCompression(std::uint16_t format);
    // The speaker id edit's text changed.
    void OnSpeakerIdEdited(const QString& text);
    // Plays the entry's sound, or beeps when there is nothing to play (the Play button).
    void PlaySound();
    // Stores every changed entry; false when one could not be stored.
    bool StoreSounds();

    const WordSoundEntry* Entry(int key) const;
    QComboBox* KindList() const { return m_kinds; }
    QComboBox* CompressionList() const { return m_compressions; }
    QLineEdit* SpeakerIdEdit() const { return m_speaker; }
    QPushButton* ImportButton() const { return m_import; }
    QPushButton* PlayButton() const { return m_play; }
    QLabel* DurationText() const { return m_duration; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    bool OnApply() override;
    void FreeEntries() override;
    QString StoredItemText(int key) const override;

private:
    QWidget* buildTexts();
    void fillKinds();
    WordSoundEntry* currentEntry();
    WordSoundEntry* lookUpEntry(CQuibWord& word);
    void encode(WordSoundEntry& entry);
    bool storeEntry(CQuibWord& word, WordSoundEntry& entry);
    void showTexts(const WordSoundEntry* entry, CQuibWord* word);
    void updateControls(const WordSoundEntry* entry, const CQuibWord* word);
    void fillCompressions(const WordSoundEntry* entry);

    std::map<int, std::unique_ptr<WordSoundEntry>> m_entries; // by key
    int m_key = 0;

    QComboBox* m_kinds = nullptr;
    QComboBox* m_compressions = nullptr;
    QLineEdit* m_speaker = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_delete = nullptr;
    QLineEdit* m_fileText = nullptr;
    QLabel* m_idText = nullptr;
    QLabel* m_duration = nullptr;
    QLabel* m_bitRate = nullptr;
    QLabel* m_size = nullptr;
};
