#pragma once
// The icon wizard's pages for what to do, the icon's word, its look and its link (its picture and sound
// pages are in IconWizardMedia.h). Each page reads the icon the wizard works on when it is first shown
// and writes into it only at Finish, and only what the author changed on it (its can-finish flag).

#include "authoring/WizardActionPage.h"

#include <QString>

#include <cstdint>
#include <memory>

class CIconWizard;
class CQuibWord;
class CWordComboBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What the icon wizard does at Finish.
constexpr int kIconActionNone = 0;
constexpr int kIconActionAdd = 1;
constexpr int kIconActionEdit = 2;
constexpr int kIconActionDelete = 3;

// An icon's look: bits 20 to 23 of its flag word. 0 is an icon made before the look existed.
constexpr std::uint32_t kIconLookMask = 0xF00000;
constexpr std::uint32_t kIconLookWordPicture = 0x100000;
constexpr std::uint32_t kIconLookOwnPicture = 0x200000;
constexpr std::uint32_t kIconLookTextOnly = 0x300000;
constexpr std::uint32_t kIconLookTransparent = 0x400000;

// The look of an icon whose flag word names none, from what the icon holds: none when it shows no
// picture, its own or its word's picture when it has one, else its text, or its word's picture when
// it has no text either.
std::uint32_t DerivedIconLook(std::uint32_t flags, std::int32_t pictureId, std::int32_t wordId,
                              const QString& label);
// An icon's label as the word page shows it (soft hyphens as middle dots, line breaks as not signs),
// and back (middle dots as soft hyphens).
QString LabelForEditing(const QString& label);
QString LabelFromEditing(const QString& text);

class CIconWizardActionPage : public CWizardActionPage
{
public:
    explicit CIconWizardActionPage(CIconWizard& wizard);

protected:
    void DoDataExchange(bool save) override;
    int CurrentAction() const override;
    void OnActionChosen(int action) override;

private:
    CIconWizard& m_wizard;
};

class CIconWizardWordPage : public CWizardPage
{
public:
    explicit CIconWizardWordPage(CIconWizard& wizard);
    ~CIconWizardWordPage() override;

    void OnSetActive() override;
    // Makes the new word when the text names none (linked to the icon at once).
    bool OnWizardFinish() override;
    void OnApply() override;

    // The word the page names now: chosen, or made at Finish (0: none yet).
    std::int32_t WordId() const { return m_wordId; }
    // Whether Finish gives the icon this page's word: the author changed it, and a new word it names
    // could be made.
    bool AppliesWord() const { return IsCreated() && CanFinish() && !m_wordFailed; }
    const QString& Label() const { return m_label; }
    CWordComboBox* Combo() const { return m_combo; }
    QLabel* Info() const { return m_info; }
    // The word the page made at Finish, and hands over to the word index at the end.
    std::unique_ptr<CQuibWord> TakeNewWord();

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    void onWordChanged();
    void makeNewWord();
    void dropLabelEqualToWord();

    CIconWizard& m_wizard;
    std::int32_t m_wordId = 0;
    QString m_label;
    bool m_initialised = false;
    bool m_wordFailed = false; // no id for the new word: the icon keeps its word
    std::unique_ptr<CQuibWord> m_newWord;
    CWordComboBox* m_combo = nullptr;
    QLabel* m_info = nullptr;
};

class CIconWizardLookPage : public CWizardPage
{
public:
    explicit CIconWizardLookPage(CIconWizard& wizard) : m_wizard(wizard) {}
    void OnApply() override;

    // "Advanced...": the icon's text a size smaller, or larger when it has a size; kept until Finish.
    void ToggleTextSize();
    // The look chosen (kIconLook...), 0 before the page is shown.
    std::uint32_t Look() const { return m_modeValue & kIconLookMask; }
    const QString& Options() const { return m_options; }
    // The radio button of a look (kIconLookWordPicture to kIconLookTransparent).
    QRadioButton* Choice(std::uint32_t look) const;
    QPushButton* AdvancedButton() const { return m_advanced; }

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    void onChoice();

    CIconWizard& m_wizard;
    std::uint32_t m_modeValue = 0;
    QString m_options;
    bool m_optionsChanged = false;
    bool m_initialised = false;
    QRadioButton* m_choices[4] = {};
    QPushButton* m_advanced = nullptr;
};

class CIconWizardLinkPage : public CWizardPage
{
public:
    // How many page names the list offers while the author types.
    static constexpr int kListedPages = 7;

    explicit CIconWizardLinkPage(CIconWizard& wizard) : m_wizard(wizard) {}
    void OnSetActive() override;
    void OnApply() override;

    std::int32_t LinkId() const { return m_linkId; }
    QComboBox* Combo() const { return m_combo; }
    // What typing and choosing from the list do; public so that a test drives them as the author would.
    void OnEditChanged(const QString& text);
    void OnEntryChosen(int index);

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    QString textOfLink() const;
    void refillList(const QString& text);
    void linkChanged(std::int32_t id);

    CIconWizard& m_wizard;
    std::int32_t m_linkId = 0;
    bool m_initialised = false;
    QComboBox* m_combo = nullptr;
};
