#pragma once
// The word navigation bar of the main frame: a combo box in which a person types or picks a word (the
// names of all loaded words complete what is typed), a button that shows one after the other the pages
// whose icons stand for that word, two buttons that step back and forth through the pages the main pane
// has shown, and a button that steps the selected icon to the next inflexion of its word.
//
// The combo box is used on its own too, wherever a word is picked by name.

#include "platform/types/WinTypes.h"
#include "platform/ui/CommandRoute.h"

#include <QComboBox>
#include <QString>
#include <QToolBar>

#include <cstdint>
#include <functional>
#include <vector>

class CQuibBg;
class CQuibWord;

// The commands of the bar's buttons, also the application's word-navigation commands.
constexpr UINT kGotoWordCommand = 32791;
constexpr UINT kPrevPageCommand = 32792;
constexpr UINT kNextPageCommand = 32793;
constexpr UINT kNextInflexionCommand = 32794;

class CWordComboBox : public QComboBox
{
public:
    // How many names the drop-down list offers while typing.
    static constexpr int kListedMatches = 7;

    explicit CWordComboBox(QWidget* parent = nullptr);

    // Shows the word of `id` (0: none); a non-empty `text` is shown in place of the word's name.
    void SetWord(std::int32_t id, QString text);
    std::int32_t WordId() const { return m_wordId; }
    // Whether the text names a word.
    bool IsWordValid() const { return m_wordValid; }

    // Runs after every change of the word: typing, a choice from the list, the special keys.
    void SetWordChangedHandler(std::function<void()> handler) { m_wordChanged = std::move(handler); }

    // Fills `combo`'s list (when given) with at most `maximum` names of the word index that begin with
    // `text` (without its layout characters); with a `mask`, only words whose form code masked equals
    // `value` masked count. The first accepted word (the index's, not owned), or none for an empty text.
    static CQuibWord* FillMatches(QComboBox* combo, const QString& text, int maximum, int value, int mask);
    // The same fill, with the text itself as the key and no form filter.
    static CQuibWord* FillMatchesForWizard(QComboBox* combo, const QString& text, int maximum);

    // What the edit field's notifications do; public so that a test can drive them as a person would.
    void OnEditUpdate();
    void OnSelectEntry(int index);

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static CQuibWord* FillMatchesByKey(QComboBox* combo, const QString& key, int maximum, int value,
                                       int mask);
    bool OnEditKey(const QKeyEvent& key);
    // Refills the list keeping the edit field's text and selection, which emptying the list clears.
    CQuibWord* RefillKeepingText(const QString& key);
    // After a special key: the word is valid only when a name equals the text.
    void LookUpEditedText();
    void NotifyWordChanged();

    bool m_wordValid = false;
    QString m_shownText;
    QString m_typedText;
    std::int32_t m_wordId = 0;
    std::function<void()> m_wordChanged;
};

class CWordNavBar : public QToolBar
{
public:
    // The most pages the history keeps.
    static constexpr std::size_t kHistoryLength = 11;
    static constexpr int kComboWidth = 150;

    // Makes the buttons and the combo box, and follows the main pane and the selection from now on.
    explicit CWordNavBar(QWidget* parent = nullptr);
    ~CWordNavBar() override;

    CWordComboBox* ComboBox() const { return m_combo; }
    QAction* Button(UINT command) const;
    // The title and the buttons' texts in the language now in force.
    void UpdateTexts();

    void GotoWord();
    void PrevPage();
    void NextPage();
    void NextInflexion();
    // The main pane showed `page`.
    void AddToHistory(CQuibBg* page);
    // The inflexion button follows the selection.
    void UpdateInflexionButton();
    // The combo box's word changed: the pages found for the old word are dropped.
    void OnWordChanged();

    // Runs one of the bar's commands or gives its state; false for any other command.
    bool OnCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);

    const std::vector<std::int32_t>& History() const { return m_history; }
    // The current entry of the history, or -1 for none.
    int HistoryPosition() const { return m_historyPosition; }

private:
    void AddButton(UINT command);
    // Moves through the history one entry in `direction` (-1 back, +1 forward); entries whose page
    // cannot be shown are dropped on the way.
    void StepHistory(int direction);
    bool CanGotoWord();
    bool CanStepHistory(int direction) const;

    CWordComboBox* m_combo;
    std::vector<std::int32_t> m_wordPages;
    int m_nextWordPage = -1; // -1: start at the head
    std::vector<std::int32_t> m_history;
    int m_historyPosition = -1;
    bool m_recordHistory = true;
};

// The ids of the loaded pages with an icon that stands for the word (or for the base word of an
// inflected form), in the page index's order; gives the list's count.
int BuildWordPageList(std::int32_t wordId, std::vector<std::int32_t>& list);
// Whether any loaded page has an icon of that word.
bool IsWordOnAnyPage(std::int32_t wordId);
// Whether exactly one icon is selected, in the browse tool, with its word loaded: the inflexion
// button's rule.
bool CanStepSelectedInflexion();

// The application's word-navigation commands go to the main frame's bar; false without one.
bool OnWordNavCommand(UINT id, int code, lumivo::ui::CommandUpdate* update);
