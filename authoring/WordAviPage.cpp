#include "authoring/WordAviPage.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/SoundEncoding.h"
#include "authoring/WordEditor.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "core/Clip.h"
#include "core/StoredMedia.h"
#include "core/Word.h"
#include "panes/AviPlayerWnd.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/FormRows.h"
#include "platform/ui/Ui.h"
#include "shell/ColorCombo.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>
#include <utility>

namespace
{

constexpr int kFirstKindText = 1270; // 1270 + kind names an animation kind
constexpr int kKinds[] = {0, 1, 2, 3, 4, 5, 10, 11};
constexpr int kImportText = 4613;
constexpr int kDeleteText = 9315;
// The player shows the frames at their own size in its middle, and plays at once with "Auto play".
constexpr std::uint32_t kPlayerOptions = CAviPlayerWnd::kCentreFrame;
constexpr COLORREF kPlayerKeyColour = 0xFF00;
const QSize kPlayerSize(240, 180);

int kindOfKey(int key)
{
    return key & 0xFF;
}

int languageOfKey(int key)
{
    return (key >> 8) & 0xFF;
}

std::int32_t clipTypeOf(int key)
{
    return CQuibAvi::MakeType(std::int16_t(kindOfKey(key)), std::int16_t(languageOfKey(key)));
}

// A file name of its own in the Temp folder for a copy of the stored clip of `key`; empty when the
// folder cannot be made.
QString temporaryClipPath(int key)
{
    const QString folder = GetTempDirString(QStringLiteral("/"));
    if (folder.isEmpty())
        return {};
    auto& files = lumivo::files::fileSystem();
    QString path = folder + QStringLiteral("Temp_%1.avi").arg(key);
    for (int n = 1; files.info(path).exists; ++n)
        path = folder + QStringLiteral("Temp_%1_%2.avi").arg(key).arg(n);
    return path;
}

// The folder's last name and the file's, when the file lies below the folder.
std::optional<QString> referenceBelow(const QString& folder, const QString& file)
{
    if (folder.isEmpty())
        return std::nullopt;
    const QString base = QDir::cleanPath(folder);
    if (!QDir::cleanPath(file).startsWith(base + QLatin1Char('/')))
        return std::nullopt;
    return QStringLiteral("/%1/%2").arg(QFileInfo(base).fileName(), QFileInfo(file).fileName());
}

} // namespace

QString ClipReferenceName(const QString& path)
{
    if (const std::optional<QString> users = referenceBelow(GetUsersDirString(), path))
        return *users;
    if (const std::optional<QString> data = referenceBelow(GetDataDirString(), path))
        return *data;
    return path;
}

WordClipEntry::WordClipEntry() = default;
WordClipEntry::~WordClipEntry() = default;

bool WordClipEntry::HasClip() const
{
    return !sourcePath.isEmpty() || !referenceName.isEmpty() || (stored && stored->DataSize > 0);
}

CQuibW_AviPage::CQuibW_AviPage(CQuibW_Frame& frame)
    : CWordMediaPage(frame, LoadSystemString(kStrAnimationPageTab))
{
}

CQuibW_AviPage::~CQuibW_AviPage()
{
    FreeEntries();
}

CAviPlayerWnd* CQuibW_AviPage::Player() const
{
    return m_player.data();
}

// ---- Controls -----------------------------------------------------------------------------------------

void CQuibW_AviPage::OnInitDialog(QWidget& page)
{
    auto* column = new QVBoxLayout(&page);
    auto* choices = new QFormLayout;
    m_kinds =
        addNamedRow(*choices, LoadSystemString(kStrAnimationKindLabel), new QComboBox, "wordClipKindList");
    m_author =
        addNamedRow(*choices, LoadSystemString(kStrAuthorIdLabel), new QLineEdit, "wordClipAuthorEdit");
    m_transparent = addNamedRow(*choices, LoadSystemString(kStrTransparentColorLabel), new CColorCombo,
                                "wordClipTransparentList");
    m_background = addNamedRow(*choices, LoadSystemString(kStrBackgroundColorLabel), new CColorCombo,
                               "wordClipBackgroundList");
    column->addLayout(choices);

    auto* middle = new QHBoxLayout;
    m_player = new CAviPlayerWnd;
    m_player->setObjectName(QStringLiteral("wordClipPlayer"));
    m_player->setFixedSize(kPlayerSize);
    middle->addWidget(m_player);
    middle->addWidget(buildTexts(), 1);
    column->addLayout(middle);
    column->addWidget(buildButtons());
    column->addStretch(1);

    QObject::connect(m_kinds, &QComboBox::activated,
                     [this](int index) { ChooseKey(m_kinds->itemData(index).toInt()); });
    QObject::connect(m_author, &QLineEdit::textEdited,
                     [this](const QString& text) { OnAuthorIdEdited(text); });
    QObject::connect(m_transparent, &QComboBox::activated, [this] { onColorChosen(*m_transparent, true); });
    QObject::connect(m_background, &QComboBox::activated, [this] { onColorChosen(*m_background, false); });
}

QWidget* CQuibW_AviPage::buildTexts()
{
    auto* texts = new QWidget;
    auto* form = new QFormLayout(texts);
    form->setContentsMargins(0, 0, 0, 0);
    m_fileText = new QLineEdit;
    m_fileText->setObjectName(QStringLiteral("wordClipFile"));
    m_fileText->setReadOnly(true);
    m_fileText->setFrame(false);
    form->addRow(LoadSystemString(kStrFileLabel), m_fileText);
    m_idText = addNamedRow(*form, LoadSystemString(kStrIdLabel), new QLabel, "wordClipId");
    m_sizeText = addNamedRow(*form, LoadSystemString(kStrSizeLabel), new QLabel, "wordClipSize");
    m_attachedText = new QLineEdit;
    m_attachedText->setObjectName(QStringLiteral("wordClipAttached"));
    m_attachedText->setReadOnly(true);
    m_attachedText->setFrame(false);
    form->addRow(LoadSystemString(kStrAttachedFileLabel), m_attachedText);
    return texts;
}

QWidget* CQuibW_AviPage::buildButtons()
{
    auto* row = new QWidget;
    auto* buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_play = new QPushButton(LoadSystemString(kStrPlayButton));
    m_play->setObjectName(QStringLiteral("wordClipPlayButton"));
    m_import = new QPushButton(LoadSystemString(kImportText));
    m_import->setObjectName(QStringLiteral("wordClipImportButton"));
    m_attach = new QPushButton(LoadSystemString(kStrAttachButton));
    m_attach->setObjectName(QStringLiteral("wordClipAttachButton"));
    m_delete = new QPushButton(LoadSystemString(kDeleteText));
    m_delete->setObjectName(QStringLiteral("wordClipDeleteButton"));
    for (QPushButton* button : {m_play, m_import, m_attach, m_delete})
        buttons->addWidget(button);
    buttons->addStretch(1);
    QObject::connect(m_play, &QPushButton::clicked, [this] { PlayOrStop(); });
    QObject::connect(m_import, &QPushButton::clicked, [this] { ImportClip(); });
    QObject::connect(m_attach, &QPushButton::clicked, [this] { AttachClip(); });
    QObject::connect(m_delete, &QPushButton::clicked, [this] { DeleteClip(); });
    return row;
}

void CQuibW_AviPage::OnSetActive()
{
    // The palette may have changed since the page was last shown.
    FillMediaColorList(*m_transparent);
    FillMediaColorList(*m_background);
    UpdateData(false);
}

void CQuibW_AviPage::OnDestroy()
{
    FreeEntries();
    m_player = nullptr;
    m_shownPath.clear();
}

void CQuibW_AviPage::fillKinds()
{
    if (!KindListStale())
        return;
    const int language = WordLanguage();
    const bool translating = WordEditorTranslating();
    std::vector<MediaKindItem> items;
    for (const int listed : MediaLanguagesOf(language, translating)) {
        const std::optional<QString> suffix = KindLanguageSuffix(listed);
        if (translating && !suffix)
            continue;
        for (const int kind : kKinds)
            items.push_back({LoadSystemString(kFirstKindText + kind) + (translating ? *suffix : QString()),
                             kind | ((listed & 0xFF) << 8)});
    }
    // Kind 0 of the word's language is chosen at first.
    const int first = (language & 0xFF) << 8;
    FillKindList(*m_kinds, items, m_kinds->findData(m_key) >= 0 ? m_key : first);
    m_key = m_kinds->currentData().toInt();
}

// ---- Entries ------------------------------------------------------------------------------------------

void CQuibW_AviPage::freeEntry(WordClipEntry& entry)
{
    if (!entry.ownsPlayFile || entry.playPath.isEmpty())
        return;
    if (m_player && m_shownPath == entry.playPath) {
        m_player->Close();
        m_shownPath.clear();
    }
    lumivo::files::fileSystem().remove(entry.playPath);
    entry.ownsPlayFile = false;
}

void CQuibW_AviPage::FreeEntries()
{
    for (auto& [key, entry] : m_entries)
        freeEntry(*entry);
    m_entries.clear();
}

WordClipEntry* CQuibW_AviPage::currentEntry()
{
    const auto found = m_entries.find(m_key);
    return found == m_entries.end() ? nullptr : found->second.get();
}

WordClipEntry& CQuibW_AviPage::entryForKey()
{
    std::unique_ptr<WordClipEntry>& entry = m_entries[m_key];
    if (!entry)
        entry = std::make_unique<WordClipEntry>();
    return *entry;
}

const WordClipEntry* CQuibW_AviPage::Entry(int key) const
{
    const auto found = m_entries.find(key);
    return found == m_entries.end() ? nullptr : found->second.get();
}

WordClipEntry* CQuibW_AviPage::lookUpEntry(CQuibWord& word)
{
    const std::int32_t type = clipTypeOf(m_key);
    const int file = m_frame.SheetFile();
    if (!ResourceExists(word.GetID(), type, file))
        return nullptr;
    auto clip = std::make_unique<CQuibAvi>();
    // A stored clip that cannot be attached leaves the kind without an entry.
    if (AttachResource(clip.get(), word.GetID(), type, file) != RES_OK || clip->Load() < 0)
        return nullptr;
    WordClipEntry& entry = entryForKey();
    entry.referenceName = clip->Name;
    entry.authorId = clip->Options;
    entry.transparentColor = clip->Param2;
    entry.backgroundColor = clip->Param3;
    if (clip->DataSize > 0) {
        const QString copy = temporaryClipPath(m_key);
        if (!copy.isEmpty() && clip->ExportFile(copy) > 0) {
            entry.playPath = copy;
            entry.ownsPlayFile = true;
        }
        clip->AviData.reset(); // the copy plays; the bytes are read again when they are needed
    }
    entry.stored = std::move(clip);
    return &entry;
}

// ---- Moving data into the controls ---------------------------------------------------------------------

bool CQuibW_AviPage::DoDataExchange(bool save)
{
    if (save)
        return true; // the page's members change as the person acts
    CQuibWord* word = TakeCurrentWord();
    fillKinds();
    ShowChosenKind(*m_kinds, m_key);
    WordClipEntry* entry = currentEntry();
    if (word && !entry)
        entry = lookUpEntry(*word);
    showTexts(entry, word);
    showInPlayer(entry);
    updateControls(entry, word);
    return true;
}

void CQuibW_AviPage::showTexts(const WordClipEntry* entry, CQuibWord* word)
{
    m_fileText->clear();
    m_idText->clear();
    m_sizeText->clear();
    m_attachedText->clear();
    if (!entry)
        return;
    if (!entry->sourcePath.isEmpty()) {
        const QString size =
            entry->fileSize > 0 ? QStringLiteral(" %1 Kb").arg(entry->fileSize / 1024) : QString();
        m_fileText->setText(LoadSystemString(kStrImportedClip).arg(entry->sourcePath, size));
    } else if (entry->stored) {
        m_fileText->setText(GetResFilePath(entry->stored->GetFile()));
        m_sizeText->setText(QStringLiteral(" %1 Kb").arg(entry->stored->DataSize / 1024));
    }
    m_fileText->setCursorPosition(0);
    if (word)
        m_idText->setText(QString::number(word->GetID()));
    if (!m_author->hasFocus() || m_author->text().isEmpty())
        m_author->setText(QString::number(entry->authorId));
    m_attachedText->setText(entry->referenceName);
}

void CQuibW_AviPage::showInPlayer(const WordClipEntry* entry)
{
    if (!m_player)
        return;
    const QString path = entry ? entry->playPath : QString();
    if (path == m_shownPath)
        return;
    m_shownPath = path;
    if (path.isEmpty()) {
        m_player->Close();
    } else {
        const bool autoPlay = m_frame.Options() & kWordOptionAutoPlay;
        m_player->OpenFile(path, kPlayerOptions | (autoPlay ? CAviPlayerWnd::kPlayAtOnce : 0),
                           kPlayerKeyColour);
    }
    m_player->update();
}

void CQuibW_AviPage::updateControls(const WordClipEntry* entry, const CQuibWord* word)
{
    const bool editable = word && m_frame.IsEditable();
    m_kinds->setEnabled(word != nullptr);
    m_import->setEnabled(editable && kindOfKey(m_key) != 0);
    m_attach->setEnabled(editable && kindOfKey(m_key) != 0);
    m_play->setText(LoadSystemString(m_player && m_player->IsPlaying() ? kStrStopButton : kStrPlayButton));
    const bool hasClip = word && entry && entry->HasClip();
    m_play->setEnabled(hasClip);
    m_delete->setEnabled(hasClip && editable);
    m_author->setEnabled(hasClip && editable);
    if (!entry)
        m_author->clear();
    m_transparent->setEnabled(word && entry);
    m_background->setEnabled(word && entry);
    ShowMediaColor(*m_transparent, entry ? std::optional(entry->transparentColor) : std::nullopt);
    ShowMediaColor(*m_background, entry ? std::optional(entry->backgroundColor) : std::nullopt);
}

// ---- The person's actions -----------------------------------------------------------------------------

void CQuibW_AviPage::ChooseKey(int key)
{
    m_key = key;
    UpdateData(false);
}

QString CQuibW_AviPage::chooseClipFile()
{
    const auto path = lumivo::ui::chooseOpenFile(
        LoadSystemString(kImportText), {},
        lumivo::ui::windowsFilterToQt(QStringLiteral("avi (*.avi)|*.avi||")), GetWidget());
    return path ? *path : QString();
}

void CQuibW_AviPage::ImportClip()
{
    if (!m_frame.CurrentWord() || kindOfKey(m_key) == 0)
        return;
    const QString path = chooseClipFile();
    if (path.isEmpty())
        return;
    // The clip keeps the file's bytes, read when the word is saved: a file that could not give them is
    // told now, and the entry stays as it was, rather than the save failing later without a word.
    const lumivo::files::FileInfo info = lumivo::files::fileSystem().info(path);
    if (info.exists && !info.isDirectory && info.size > lumivo::files::kMaxMediaFileBytes) {
        TellMediaFileTooLarge(path);
        return;
    }
    if (!info.exists || info.isDirectory || !info.readable || info.size == 0) {
        MessageBoxById(kStrCannotReadMediaFile, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION, path);
        return;
    }
    WordClipEntry& entry = entryForKey();
    // A copy of the stored clip shown so far is not needed any more.
    freeEntry(entry);
    entry.sourcePath = path;
    entry.playPath = path;
    entry.changed = true;
    entry.fileSize = std::int64_t(info.size);
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_AviPage::AttachClip()
{
    if (!m_frame.CurrentWord() || kindOfKey(m_key) == 0)
        return;
    const QString path = chooseClipFile();
    const QString reference = path.isEmpty() ? QString() : ClipReferenceName(path);
    if (reference.isEmpty())
        return;
    WordClipEntry& entry = entryForKey();
    entry.referenceName = reference;
    entry.changed = true;
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_AviPage::DeleteClip()
{
    WordClipEntry* entry = currentEntry();
    if (!entry)
        return;
    // The stored clip goes at once, as the button says, and the way every stored clip goes, so that
    // whatever shows or plays it lets go of it.
    if (entry->stored) {
        CQuibAvi& stored = *entry->stored;
        const int file = stored.GetFile();
        if (RemoveStoredRecord({stored.GetID(), file, stored.GetType()}) != RES_OK) {
            MessageBoxById(kStrCannotWriteRecord, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                           GetResFilePath(file));
            return;
        }
    }
    freeEntry(*entry);
    m_entries.erase(m_key);
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_AviPage::PlayOrStop()
{
    if (!m_player)
        return;
    if (m_player->IsPlaying()) {
        m_player->Stop(false);
        m_play->setText(LoadSystemString(kStrPlayButton));
    } else {
        m_player->Play(false);
        m_play->setText(LoadSystemString(kStrStopButton));
    }
}

void CQuibW_AviPage::OnAuthorIdEdited(const QString& text)
{
    WordClipEntry* entry = currentEntry();
    const std::optional<int> author = ClampedFirstNumber(text, kMaxClipAuthorId);
    if (!entry || !author || *author == entry->authorId)
        return;
    entry->authorId = *author;
    entry->changed = true;
    SetSheetModified();
    UpdateData(false);
}

void CQuibW_AviPage::onColorChosen(CColorCombo& list, bool transparent)
{
    if (TakeChosenMediaColor(currentEntry(), list, transparent))
        SetSheetModified();
    UpdateData(false);
}

// ---- Storing ------------------------------------------------------------------------------------------

bool CQuibW_AviPage::OnApply()
{
    const bool stored = StoreClips();
    PropertyPage::OnApply();
    return stored;
}

bool CQuibW_AviPage::StoreClips()
{
    return StoreChangedEntries(m_entries, [this](CQuibWord& word, int key, WordClipEntry& entry) {
        return storeEntry(word, key, entry);
    });
}

QString CQuibW_AviPage::StoredItemText(int key) const
{
    return LoadSystemString(kStrAnimationItem).arg(LoadSystemString(kFirstKindText + kindOfKey(key)));
}

bool CQuibW_AviPage::storeEntry(CQuibWord& word, int key, WordClipEntry& entry)
{
    auto made = std::make_unique<CQuibAvi>();
    if (made->Create() != RES_OK)
        return false;
    made->Name = entry.referenceName;
    made->Options = std::uint16_t(entry.authorId);
    made->Param2 = entry.transparentColor;
    made->Param3 = entry.backgroundColor;
    if (!entry.sourcePath.isEmpty()) {
        if (made->ImportFile(entry.sourcePath) == 0) {
            made->CMyRes::Remove(-1, -1);
            return false;
        }
    } else if (entry.stored && entry.stored->DataSize > 0 &&
               (entry.stored->AviData || entry.stored->LoadData())) {
        // The stored clip's own bytes are kept, straight from memory; should the store fail, the stored
        // clip reads them from its record again.
        made->AviData = std::exchange(entry.stored->AviData, std::nullopt);
        made->DataSize = std::uint32_t(made->AviData->size());
    }
    if (ReplaceStoredRecord(*made, {word.GetID(), m_frame.SheetFile(), clipTypeOf(key)}) != RES_OK)
        return false;
    made->AviData.reset();
    entry.stored = std::move(made);
    entry.sourcePath.clear();
    entry.changed = false;
    return true;
}
