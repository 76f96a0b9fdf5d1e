#pragma once
// The "Animation" page of the word editor's sheet: the word's clips (AVI files) by animation kind. A
// clip key holds the kind in its low byte and the language in its high byte; the stored clip of a word
// and key has the word's id and the type CQuibAvi::MakeType(kind, language). The clip's author id is
// kept in its Options field, its chroma-key and background colours in Param2 and Param3.
//
// The page plays the current clip in an embedded player, imports a clip file (its bytes are stored),
// attaches one (only a reference to it is stored), deletes the stored clip at once, and takes an author
// id and two colours. The rest is stored in the sheet's file when the word is saved.
//
// A stored clip is played from a temporary copy in the Temp folder. The entry that made the copy owns it
// and deletes it when it goes; any other file (an imported or attached clip, whatever its name) is the
// author's and is never deleted.

#include "authoring/WordMediaPage.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>

class CAviPlayerWnd;
class CColorCombo;
class CQuibAvi;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Author ids of clips lie in 0 to 32767.
constexpr int kMaxClipAuthorId = 32767;

// The reference an attached clip file is stored under: below the users folder "/Users/<name>", below
// the data folder "/Data/<name>" (each with that folder's own last name), anywhere else the full path.
QString ClipReferenceName(const QString& path);

// One clip of the word, for one key.
struct WordClipEntry {
    std::unique_ptr<CQuibAvi> stored; // the stored clip of this word and key in the sheet's file
    bool changed = false;
    QString referenceName;     // the attached file, as the clip's name stores it
    QString sourcePath;        // the file whose bytes are stored at the save
    QString playPath;          // what the player shows: the source, or the temporary copy of the stored clip
    bool ownsPlayFile = false; // the play path is this entry's temporary copy
    std::int64_t fileSize = 0;
    int authorId = 0;
    std::uint32_t transparentColor = 0xFBFFFFFF;
    std::uint32_t backgroundColor = 0xFBFFFFFF;

    WordClipEntry();
    ~WordClipEntry();
    // Whether the entry has a clip to play: a source, a reference or stored bytes.
    bool HasClip() const;
};

class CQuibW_AviPage : public CWordMediaPage
{
public:
    explicit CQuibW_AviPage(CQuibW_Frame& frame);
    ~CQuibW_AviPage() override;

    int ChosenKey() const { return m_key; }
    void ChooseKey(int key);
    // The buttons.
    void ImportClip();
    void AttachClip();
    void DeleteClip();
    void PlayOrStop();
    void OnAuthorIdEdited(const QString& text);
    // Stores every changed entry; false when one could not be stored.
    bool StoreClips();

    const WordClipEntry* Entry(int key) const;
    QComboBox* KindList() const { return m_kinds; }
    QPushButton* PlayButton() const { return m_play; }
    QPushButton* ImportButton() const { return m_import; }
    QPushButton* AttachButton() const { return m_attach; }
    QPushButton* DeleteButton() const { return m_delete; }
    QLineEdit* AuthorIdEdit() const { return m_author; }
    CAviPlayerWnd* Player() const;

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnSetActive() override;
    bool OnApply() override;
    QString StoredItemText(int key) const override;
    void OnDestroy() override;
    void FreeEntries() override;

private:
    QWidget* buildTexts();
    QWidget* buildButtons();
    void fillKinds();
    WordClipEntry* currentEntry();
    WordClipEntry& entryForKey();
    WordClipEntry* lookUpEntry(CQuibWord& word);
    void freeEntry(WordClipEntry& entry);
    void showTexts(const WordClipEntry* entry, CQuibWord* word);
    void showInPlayer(const WordClipEntry* entry);
    void updateControls(const WordClipEntry* entry, const CQuibWord* word);
    bool storeEntry(CQuibWord& word, int key, WordClipEntry& entry);
    void onColorChosen(CColorCombo& list, bool transparent);
    QString chooseClipFile();

    std::map<int, std::unique_ptr<WordClipEntry>> m_entries; // by key
    int m_key = 0;
    QString m_shownPath; // the file the player was given

    QComboBox* m_kinds = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_attach = nullptr;
    QLineEdit* m_author = nullptr;
    QLineEdit* m_fileText = nullptr;
    QLabel* m_idText = nullptr;
    QLabel* m_sizeText = nullptr;
    QLineEdit* m_attachedText = nullptr;
    QPointer<CAviPlayerWnd> m_player;
    CColorCombo* m_transparent = nullptr;
    CColorCombo* m_background = nullptr;
};
