#pragma once
// What the word editor's Image, Sound and Animation pages share: each keeps, per kind of picture, sound
// or clip, an entry of what the author looked at or brought in for the current word; the entries live
// until the word changes, the sheet reverts or the page goes, and only changed ones are stored when the
// word is saved, each replacing the stored item of the same word, kind and language in the sheet's file.
//
// Also here: the kind list with the languages it offers, and the two colour lists (chroma key and
// background) of the Image and Animation pages.

#include "platform/ui/PropertySheet.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class CColorCombo;
class CQuibWord;
class CQuibW_Frame;
class QComboBox;

// The languages a media page offers kinds for: the word's, and in translation mode language 1 too when
// the word's is another.
std::vector<int> MediaLanguagesOf(int wordLanguage, bool translating);
// What follows a kind's name in translation mode: " (language)", " (Default)" for language 1 without a
// record of its own; nothing when another language has no record (its kinds are not offered).
std::optional<QString> KindLanguageSuffix(int language);

// Tells the person that the sound or clip file is larger than a record may hold, so it was not read.
void TellMediaFileTooLarge(const QString& path);

// One item of a kind list.
struct MediaKindItem {
    QString text;
    int key = 0;
};
// Fills the list with the items, keeping the key `selected` selected when it is among them (else the
// first item).
void FillKindList(QComboBox& list, const std::vector<MediaKindItem>& items, int selected);
// Shows the key chosen in the list (nothing shown for a key it does not hold).
void ShowChosenKind(QComboBox& list, int key);

// Fills a colour list with the palette, the extra colours (251, 253, 254, 255) and no colour selected.
void FillMediaColorList(CColorCombo& list);
// The packed colour the person chose in the list; none when nothing is chosen or the user-definable
// colour's dialog was cancelled.
std::optional<std::uint32_t> ChosenMediaColor(CColorCombo& list);
// Selects the packed colour in the list, or nothing for "no colour".
void ShowMediaColor(CColorCombo& list, std::optional<std::uint32_t> color);
// Puts the colour chosen in the list into the entry's transparent or background colour and marks the
// entry changed; false (nothing changed) without an entry or a chosen colour.
template <class Entry> bool TakeChosenMediaColor(Entry* entry, CColorCombo& list, bool transparent)
{
    const std::optional<std::uint32_t> color = entry ? ChosenMediaColor(list) : std::nullopt;
    if (!color)
        return false;
    (transparent ? entry->transparentColor : entry->backgroundColor) = *color;
    entry->changed = true;
    return true;
}

class CWordMediaPage : public lumivo::ui::PropertyPage
{
public:
    CWordMediaPage(CQuibW_Frame& frame, const QString& caption);
    ~CWordMediaPage() override;

    // The sheet's revert and a change of the sheet's word: every entry goes, the page takes the word
    // from the frame and, when it is the shown page, fills its controls again.
    void ResetEntries();
    // The sheet shows another word or the same one anew: fills the controls when it is the shown page.
    void ShowWord();

protected:
    // Frees every entry (temporary files included).
    virtual void FreeEntries() = 0;
    // Before a transfer into the controls: a word other than the one shown drops the entries. Gives the
    // frame's current word.
    CQuibWord* TakeCurrentWord();
    // The word the page's entries belong to.
    CQuibWord* ShownWord() const { return m_word; }
    bool IsShownPage() const;
    // An edit: the page and the sheet count as changed.
    void SetSheetModified();
    // The language byte of the shown word's type (0 without a word).
    int WordLanguage() const;
    // Whether the kind list must be filled (again) for the shown word: at first, and when the word's
    // language differs from the one the list was filled for. With no word the list stays as it is, so
    // the chosen kind is still chosen when the next word comes.
    bool KindListStale();
    // Stores each changed entry of `entries` (a map of key to entry pointer) by `store(word, key, entry)`
    // for the frame's current word when it is the word shown; true when every one was stored, or when
    // there was no such word and so nothing to store. An entry that could not be stored stays changed,
    // and the person is told which ones they are (by StoredItemText) and in which file.
    template <class Entries, class Store> bool StoreChangedEntries(Entries& entries, Store store)
    {
        CQuibWord* word = wordToStore();
        if (!word)
            return true;
        QStringList notStored;
        for (auto& [key, entry] : entries)
            if (entry->changed && !store(*word, key, *entry))
                notStored.push_back(StoredItemText(key));
        if (!notStored.isEmpty())
            tellNotStored(*word, notStored);
        return notStored.isEmpty();
    }
    // What the entry of that key is, as a message names it ("the sound Voice 1").
    virtual QString StoredItemText(int key) const = 0;

    CQuibW_Frame& m_frame;

private:
    // The frame's current word when the page shows it; none otherwise.
    CQuibWord* wordToStore() const;
    void tellNotStored(const CQuibWord& word, const QStringList& items) const;

    CQuibWord* m_word = nullptr;
    int m_kindsLanguage = -1; // the language the kind list was filled for
};
