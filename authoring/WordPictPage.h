#pragma once
// The "Image" page of the word editor's sheet: the word's pictures by picture kind. A kind key holds the
// kind in its high byte and the language in its low byte; the stored picture of a word and key has the
// word's id and the type MakePictType(kind, language).
//
// Kinds 1 to 5 (and their black-and-white variants 17 to 21) are squares of 32, 48, 64, 96 and 128
// pixels, to which an imported picture is stretched; kinds 10, 11, 26 and 27 keep the picture's own
// size. The black-and-white kinds (the kind's bit 0x10) turn an imported picture into pure black and
// white, and only they offer "Black and white image".
//
// The page shows the stored picture of the chosen kind, or a preview of the nearest one the word (or
// its base word) has elsewhere; it imports a picture file for the kind, lets the author choose the
// compression (showing the picture as that compression stores it) and the chroma-key and background
// colours, and stores the imported pictures in the sheet's file when the word is saved.

#include "authoring/ImageOperations.h"
#include "authoring/WordMediaPage.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CColorCombo;
class CQuibPict;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The kinds offered, in the list's order.
std::vector<int> WordPictureKinds();
// The side of a square kind (32 to 128), or 0 for a kind that keeps the picture's size.
int SquareSideOfKind(int kind);
bool IsBlackAndWhiteKind(int kind);
// The compression choices offered for a key, in the list's order.
std::vector<int> WordCompressionChoicesFor(int key);
// Every pixel that is pure white stays white, every other pixel becomes black.
void MakeBlackAndWhite(RgbImage& image);

// One picture of the word, for one key.
struct WordPictureEntry {
    std::optional<RgbImage> source; // as read from the file (imported pictures only)
    QString fileName;               // the imported file; empty otherwise
    QString fileType;
    QString fileSizeText;
    RgbImage working; // at the kind's size: what is stored (or what the stored picture holds)
    std::int64_t storedSize = 0;
    int compression = 0; // the compression choice, 0 for none yet
    int storeFormat = 1;
    int key = 0;
    QImage fullPreview;                // the picture as stored
    QImage fittedPreview;              // the same scaled into the picture box, or null when it fits whole
    std::unique_ptr<CQuibPict> stored; // the stored picture of this word and key in the sheet's file
    QString storedFile;                // the file of the picture shown (stored or preview)
    bool changed = false;
    std::uint32_t transparentColor = 0xFBFFFFFF;
    std::uint32_t backgroundColor = 0xFBFFFFFF;
    QString status; // the box's caption: stored, preview or no picture data
    QString hint;

    WordPictureEntry();
    ~WordPictureEntry();
};

class CQuibW_PictPage : public CWordMediaPage
{
public:
    explicit CQuibW_PictPage(CQuibW_Frame& frame);
    ~CQuibW_PictPage() override;

    // The kind of the chosen key (0: none), for the list's "without picture" filter.
    int ChosenKind() const { return m_key >> 8; }
    int ChosenKey() const { return m_key; }
    // Chooses the key (as the kind list does).
    void ChooseKey(int key);
    // Asks for a picture file and fits it to the chosen kind (the Import button).
    void ImportPicture();
    // The compression list's choice.
    void ChooseCompression(int code);
    // Stores every changed entry; false when one could not be stored (the others are).
    bool StorePictures();

    const WordPictureEntry* Entry(int key) const;
    QComboBox* KindList() const { return m_kinds; }
    QComboBox* CompressionList() const { return m_compressions; }
    QPushButton* ImportButton() const { return m_import; }
    CColorCombo* TransparentList() const { return m_transparent; }
    CColorCombo* BackgroundList() const { return m_background; }
    QLabel* Preview() const { return m_preview; }
    QLabel* HintText() const { return m_hint; }
    QGroupBox* PictureBox() const { return m_box; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnSetActive() override;
    bool OnApply() override;
    QString StoredItemText(int key) const override;
    void FreeEntries() override;

private:
    QWidget* buildTexts();
    void fillKinds();
    WordPictureEntry* currentEntry();
    WordPictureEntry* lookUpEntry(CQuibWord& word);
    bool loadStored(CQuibWord& word, WordPictureEntry& entry);
    bool loadPreview(CQuibWord& word, WordPictureEntry& entry);
    void fitPicture(WordPictureEntry& entry);
    void encode(WordPictureEntry& entry);
    void makePreviews(WordPictureEntry& entry, const RgbImage& shown);
    void showTexts(const WordPictureEntry* entry, CQuibWord* word);
    void updateControls(const WordPictureEntry* entry, const CQuibWord* word);
    void fillCompressions(const WordPictureEntry* entry);
    void onColorChosen(CColorCombo& list, bool transparent);
    void showFullSize();

    std::map<int, std::unique_ptr<WordPictureEntry>> m_entries; // by key
    int m_key = 0;

    QComboBox* m_kinds = nullptr;
    QComboBox* m_compressions = nullptr;
    QGroupBox* m_box = nullptr;
    QLabel* m_preview = nullptr;
    QPushButton* m_import = nullptr;
    QLabel* m_idText = nullptr;
    QLabel* m_sizeText = nullptr;
    QLabel* m_hint = nullptr;
    QLineEdit* m_fileText = nullptr;
    QLabel* m_dimensionsText = nullptr;
    QLabel* m_rawSizeText = nullptr;
    CColorCombo* m_transparent = nullptr;
    CColorCombo* m_background = nullptr;
};
