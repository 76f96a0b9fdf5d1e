#include "authoring/WordSoundPage.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "core/Lookups.h"
#include "core/Sound.h"
#include "core/StoredMedia.h"
#include "core/Word.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/FormRows.h"
#include "platform/ui/Ui.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

constexpr int kFirstKindText = 1250; // 1250 + kind names a kind of voice
constexpr int kKinds = 7;            // 0 to 6
constexpr int kImportText = 4613;
constexpr int kDeleteText = 9315;
constexpr int kAllFilesText = 1003;

int kindOfKey(int key)
{
    return key & 0xFF;
}

int languageOfKey(int key)
{
    return (key >> 8) & 0xFF;
}

std::int32_t soundTypeOf(int key)
{
    return MakeSoundType(std::int16_t(kindOfKey(key)), std::int16_t(languageOfKey(key)));
}

// The bytes behind a stored sound's header.
std::int64_t soundBytesOf(CQuibSound& sound)
{
    const std::int64_t size = sound.GetSize();
    return size > std::int64_t(sound.HeaderLength) ? size - sound.HeaderLength : 0;
}

// Why a chosen wave file gave no sound: larger than a record may hold, cut short, or unreadable.
void tellUnreadWave(int read, const QString& path)
{
    if (read == readWaveTooLarge)
        TellMediaFileTooLarge(path);
    else
        MessageBoxById(read == readWaveShortData ? kStrDamagedSoundFile : kStrCannotReadMediaFile,
                       lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION, path);
}

} // namespace

WordSoundEntry::WordSoundEntry() = default;
WordSoundEntry::~WordSoundEntry() = default;

CQuibW_SoundPage::CQuibW_SoundPage(CQuibW_Frame& frame)
    : CWordMediaPage(frame, LoadSystemString(kStrSoundPageTab))
{
}

CQuibW_SoundPage::~CQuibW_SoundPage() = default;

// ---- Controls -----------------------------------------------------------------------------------------

void CQuibW_SoundPage::OnInitDialog(QWidget& page)
{
    auto* column = new QVBoxLayout(&page);
    auto* choices = new QFormLayout;
    m_kinds = addNamedRow(*choices, LoadSystemString(kStrSoundKindLabel), new QComboBox, "wordSoundKindList");
    m_compressions = addNamedRow(*choices, LoadSystemString(kStrCompressionLabel), new QComboBox,
                                 "wordSoundCompressionList");
    m_speaker =
        addNamedRow(*choices, LoadSystemString(kStrSpeakerIdLabel), new QLineEdit, "wordSpeakerIdEdit");
    column->addLayout(choices);
    column->addWidget(buildTexts());

    auto* buttons = new QHBoxLayout;
    m_import = new QPushButton(LoadSystemString(kImportText));
    m_import->setObjectName(QStringLiteral("wordSoundImportButton"));
    m_play = new QPushButton(LoadSystemString(kStrPlayButton));
    m_play->setObjectName(QStringLiteral("wordSoundPlayButton"));
    // Recording and deleting have no behaviour on this page; their buttons stay inert.
    m_record = new QPushButton(LoadSystemString(kStrRecordButton));
    m_delete = new QPushButton(LoadSystemString(kDeleteText));
    for (QPushButton* button : {m_import, m_play, m_record, m_delete})
        buttons->addWidget(button);
    m_record->setEnabled(false);
    m_delete->setEnabled(false);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);

    QObject::connect(m_kinds, &QComboBox::activated,
                     [this](int index) { ChooseKey(m_kinds->itemData(index).toInt()); });
    QObject::connect(m_compressions, &QComboBox::activated, [this](int index) {
        ChooseCompression(std::uint16_t(m_compressions->itemData(index).toInt()));
    });
    QObject::connect(m_speaker, &QLineEdit::textEdited,
                     [this](const QString& text) { OnSpeakerIdEdited(text); });
    QObject::connect(m_import, &QPushButton::clicked, [this] { ImportSound(); });
    QObject::connect(m_play, &QPushButton::clicked, [this] { PlaySound(); });
}

QWidget* CQuibW_SoundPage::buildTexts()
{
    auto* texts = new QWidget;
    auto* form = new QFormLayout(texts);
    form->setContentsMargins(0, 0, 0, 0);
    m_fileText = new QLineEdit;
    m_fileText->setObjectName(QStringLiteral("wordSoundFile"));
    m_fileText->setReadOnly(true);
    m_fileText->setFrame(false);
    form->addRow(LoadSystemString(kStrFileLabel), m_fileText);
    const auto add = [form](int labelId, const char* name) {
        return addNamedRow(*form, LoadSystemString(labelId), new QLabel, name);
    };
    m_idText = add(kStrIdLabel, "wordSoundId");
    m_duration = add(kStrDurationLabel, "wordSoundDuration");
    m_bitRate = add(kStrBitRateLabel, "wordSoundBitRate");
    m_size = add(kStrSizeLabel, "wordSoundSize");
    return texts;
}

void CQuibW_SoundPage::fillKinds()
{
    if (!KindListStale())
        return;
    const int language = WordLanguage();
    std::vector<MediaKindItem> items;
    for (int kind = 0; kind < kKinds; ++kind)
        items.push_back({LoadSystemString(kFirstKindText + kind), kind | ((language & 0xFF) << 8)});
    // The list starts on kind 0 ("None"), which offers nothing to import.
    FillKindList(*m_kinds, items, m_key);
    m_key = m_kinds->currentData().toInt();
}

// ---- Entries ------------------------------------------------------------------------------------------

void CQuibW_SoundPage::FreeEntries()
{
    m_entries.clear();
}

WordSoundEntry* CQuibW_SoundPage::currentEntry()
{
    const auto found = m_entries.find(m_key);
    return found == m_entries.end() ? nullptr : found->second.get();
}

const WordSoundEntry* CQuibW_SoundPage::Entry(int key) const
{
    const auto found = m_entries.find(key);
    return found == m_entries.end() ? nullptr : found->second.get();
}

WordSoundEntry* CQuibW_SoundPage::lookUpEntry(CQuibWord& word)
{
    const std::int32_t type = soundTypeOf(m_key);
    std::unique_ptr<CQuibSound> sound;
    bool own = false;
    if (ResourceExists(word.GetID(), type, m_frame.SheetFile())) {
        sound = std::make_unique<CQuibSound>();
        // A stored sound that cannot be attached leaves the kind without an entry.
        if (AttachResource(sound.get(), word.GetID(), type, m_frame.SheetFile()) != RES_OK ||
            !sound->ReadHeader())
            return nullptr;
        own = true;
    } else {
        sound = FindSoundById(word.GetID(), kindOfKey(m_key));
        if (!sound || !sound->ReadHeader())
            return nullptr;
    }
    auto entry = std::make_unique<WordSoundEntry>();
    entry->key = m_key;
    entry->format = sound->SoundFormat;
    entry->durationMs = std::uint32_t(std::max(sound->SoundDuration, 0));
    entry->bitRate = std::uint32_t(std::max(sound->SoundBitRate, 0));
    entry->speakerId = sound->SoundAuthor;
    entry->storedSize = soundBytesOf(*sound);
    entry->sound = std::move(sound);
    entry->ownSound = own;
    WordSoundEntry* held = entry.get();
    m_entries[m_key] = std::move(entry);
    return held;
}

// ---- Moving data into the controls ---------------------------------------------------------------------

bool CQuibW_SoundPage::DoDataExchange(bool save)
{
    if (save)
        return true; // the page's members change as the person acts
    CQuibWord* word = TakeCurrentWord();
    fillKinds();
    ShowChosenKind(*m_kinds, m_key);
    WordSoundEntry* entry = currentEntry();
    if (word && !entry && m_key != 0)
        entry = lookUpEntry(*word);
    showTexts(entry, word);
    updateControls(entry, word);
    return true;
}

void CQuibW_SoundPage::showTexts(const WordSoundEntry* entry, CQuibWord* word)
{
    m_fileText->clear();
    for (QLabel* text : {m_idText, m_duration, m_bitRate, m_size})
        text->clear();
    if (!entry)
        return;
    if (!entry->fileName.isEmpty()) {
        const QString size =
            entry->fileSize > 0 ? QStringLiteral(" %1 Kb").arg(entry->fileSize / 1024) : QString();
        m_fileText->setText(LoadSystemString(kStrImportedSound).arg(entry->fileName, size));
    } else if (entry->sound) {
        m_fileText->setText(GetResFilePath(entry->sound->GetFile()));
    }
    m_fileText->setCursorPosition(0);
    if (word)
        m_idText->setText(QString::number(word->GetID()));
    m_duration->setText(QStringLiteral(" %1 ms ").arg(entry->durationMs));
    m_bitRate->setText(QStringLiteral(" %1 kbps ").arg(entry->bitRate / 1024));
    if (entry->encoded.empty() || entry->fileSize == 0) {
        m_size->setText(QStringLiteral(" %1 Bytes ").arg(entry->storedSize));
    } else {
        const std::int64_t saving = 100 - entry->storedSize * 100 / entry->fileSize;
        m_size->setText(QStringLiteral(" %1 Bytes  ( %2 % )").arg(entry->storedSize).arg(saving));
    }
    if (!m_speaker->hasFocus() || m_speaker->text().isEmpty())
        m_speaker->setText(QString::number(entry->speakerId));
}

void CQuibW_SoundPage::updateControls(const WordSoundEntry* entry, const CQuibWord* word)
{
    const bool editable = word && m_frame.IsEditable() && kindOfKey(m_key) != 0;
    m_kinds->setEnabled(word != nullptr);
    m_import->setEnabled(editable);
    fillCompressions(entry);
    m_compressions->setEnabled(editable && entry && !entry->fileName.isEmpty());
    const bool playable = word && entry && (entry->sound || entry->source);
    m_play->setEnabled(playable);
    m_speaker->setEnabled(playable);
    if (!entry)
        m_speaker->clear();
}

void CQuibW_SoundPage::fillCompressions(const WordSoundEntry* entry)
{
    const QSignalBlocker quiet(m_compressions);
    m_compressions->clear();
    for (const SoundChoice& choice : SoundChoicesFor(entry ? entry->sourceChannels : 1))
        m_compressions->addItem(choice.text, int(choice.format));
    const int shown = entry ? entry->format & kSoundChoiceMask : kSoundChoiceDefault;
    m_compressions->setCurrentIndex(m_compressions->findData(shown));
}

// ---- The person's actions -----------------------------------------------------------------------------

void CQuibW_SoundPage::ChooseKey(int key)
{
    m_key = key;
    UpdateData(false);
}

void CQuibW_SoundPage::ImportSound()
{
    if (kindOfKey(m_key) == 0 || !m_frame.CurrentWord())
        return;
    const QString filter =
        QStringLiteral("WAVE (*.wav)|*.wav|%1 (*.*)|*.*").arg(LoadSystemString(kAllFilesText));
    const auto path = lumivo::ui::chooseOpenFile(LoadSystemString(kImportText), {},
                                                 lumivo::ui::windowsFilterToQt(filter), GetWidget());
    if (!path)
        return;
    WaveBlock block;
    const int read = ReadWaveFile(*path, block);
    if (read < 0 || block.isNull()) {
        // The person learns why the import came to nothing; the page keeps the sound it had (stored or
        // imported before), rather than showing the refused file as imported.
        tellUnreadWave(read, *path);
        return;
    }
    auto entry = std::make_unique<WordSoundEntry>();
    entry->key = m_key;
    entry->fileName = *path;
    const lumivo::files::FileInfo info = lumivo::files::fileSystem().info(*path);
    entry->fileSize = info.exists ? std::int64_t(info.size) : 0;
    entry->sourceChannels = block.channels();
    entry->source = std::move(block);
    encode(*entry);
    SetSheetModified();
    m_entries[m_key] = std::move(entry);
    UpdateData(false);
}

void CQuibW_SoundPage::encode(WordSoundEntry& entry)
{
    entry.encoded.clear();
    if (!entry.source)
        return;
    EncodedSound encoded = EncodeSound(*entry.source, entry.format);
    entry.format = encoded.format;
    entry.durationMs = encoded.durationMs;
    entry.bitRate = encoded.bitRate;
    entry.storedSize = std::int64_t(encoded.bytes.size());
    entry.encoded = std::move(encoded.bytes);
    // Only an entry that holds something to store counts as changed.
    entry.changed = !entry.encoded.empty();
}

void CQuibW_SoundPage::ChooseCompression(std::uint16_t format)
{
    WordSoundEntry* entry = currentEntry();
    if (!entry || (format & kSoundChoiceMask) == (entry->format & kSoundChoiceMask))
        return;
    entry->format = format;
    encode(*entry);
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_SoundPage::OnSpeakerIdEdited(const QString& text)
{
    WordSoundEntry* entry = currentEntry();
    const std::optional<int> speaker = SpeakerIdOf(text);
    if (!entry || !speaker)
        return;
    if (QString::number(*speaker) != text) {
        const QSignalBlocker quiet(m_speaker);
        m_speaker->setText(QString::number(*speaker));
    }
    if (*speaker == entry->speakerId)
        return;
    entry->speakerId = *speaker;
    // A sound of another file is only shown: its speaker is not stored here.
    if (!entry->encoded.empty() || entry->ownSound)
        entry->changed = true;
    SetSheetModified();
}

void CQuibW_SoundPage::PlaySound()
{
    WordSoundEntry* entry = currentEntry();
    bool played = false;
    if (entry && !entry->encoded.empty()) {
        played = PlaySoundBytes(entry->encoded, entry->format);
    } else if (entry && entry->source) {
        PlaySoundData(*entry->source);
        played = true;
    } else if (entry && entry->sound) {
        played = entry->sound->Play();
    }
    if (!played)
        PlayNothingToPlayTone();
}

// ---- Storing ------------------------------------------------------------------------------------------

bool CQuibW_SoundPage::OnApply()
{
    const bool stored = StoreSounds();
    PropertyPage::OnApply();
    return stored;
}

bool CQuibW_SoundPage::StoreSounds()
{
    return StoreChangedEntries(
        m_entries, [this](CQuibWord& word, int, WordSoundEntry& entry) { return storeEntry(word, entry); });
}

QString CQuibW_SoundPage::StoredItemText(int key) const
{
    return LoadSystemString(kStrSoundItem).arg(LoadSystemString(kFirstKindText + kindOfKey(key)));
}

bool CQuibW_SoundPage::storeEntry(CQuibWord& word, WordSoundEntry& entry)
{
    std::vector<std::uint8_t> bytes = entry.encoded;
    std::uint16_t format = entry.format;
    if (bytes.empty() && entry.ownSound && entry.sound) {
        // Only the speaker changed: the stored sound keeps its own bytes.
        entry.sound->LoadData();
        if (entry.sound->Data)
            bytes = *entry.sound->Data;
        format = entry.sound->SoundFormat;
        entry.sound->FreeData();
    }
    // Never an empty sound in place of a stored one.
    if (bytes.empty())
        return false;
    auto made = std::make_unique<CQuibSound>();
    if (made->Create() != RES_OK)
        return false;
    made->SetData(bytes, format, std::uint16_t(entry.speakerId), std::int32_t(entry.durationMs),
                  std::int32_t(entry.bitRate));
    if (ReplaceStoredRecord(*made, {word.GetID(), m_frame.SheetFile(), soundTypeOf(entry.key)}) != RES_OK)
        return false;
    entry.sound = std::move(made);
    entry.ownSound = true;
    entry.changed = false;
    return true;
}
