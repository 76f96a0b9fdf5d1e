#pragma once
// Two pages of the word editor's sheet:
// - "Basic properties": the word's written text, its class and inflexion (together its form, see
//   authoring/WordForms.h), its base word (the head of its family list), its description and its
//   deleted flag. The page writes every edit into the word at once (Cancel and the save question's No
//   read it back from its record) and tells the sheet. A word that may not be edited, or that is
//   deleted, shows read only; a deleted word of the editor's file can still be undeleted.
// - "Info": where the current word is stored (id, language, file, last stored), read only.

#include "platform/ui/PropertySheet.h"

#include <cstdint>

class CQuibWord;
class CQuibW_Frame;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CQuibW_BasicPage : public lumivo::ui::PropertyPage
{
public:
    explicit CQuibW_BasicPage(CQuibW_Frame& frame);

    QLineEdit* NameEdit() const { return m_name; }
    QComboBox* ClassList() const { return m_classes; }
    QComboBox* InflexionList() const { return m_inflexions; }
    QComboBox* FamilyBox() const { return m_family; }
    QLineEdit* DescriptionEdit() const { return m_description; }
    QLabel* FormsText() const { return m_forms; }
    QCheckBox* DeletedBox() const { return m_deleted; }

    // What the person's actions do; public so that a test can drive them as a person would.
    void OnClassChosen(int index);
    void OnInflexionChosen(int index);
    void OnFamilyTyped(const QString& text);
    void OnDeletedClicked(bool ticked);

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;

private:
    void fillInflexions(std::int16_t form);
    void showWord(CQuibWord& word);
    void showNoWord();
    void updateFamily(CQuibWord* word);
    void setModified();

    CQuibW_Frame& m_frame;
    QLineEdit* m_name = nullptr;
    QComboBox* m_classes = nullptr;
    QComboBox* m_inflexions = nullptr;
    QComboBox* m_family = nullptr; // typed names complete against the base forms of the class
    QLineEdit* m_description = nullptr;
    QLabel* m_forms = nullptr;
    QCheckBox* m_deleted = nullptr;
};

// The names of the words of the word index whose family list begins with `baseId`, each once, joined
// by ", ".
QString FormsOfBaseWord(std::int32_t baseId);

class CQuibW_InfoPage : public lumivo::ui::PropertyPage
{
public:
    explicit CQuibW_InfoPage(CQuibW_Frame& frame);

    QLineEdit* IdText() const { return m_id; }
    QLineEdit* LanguageText() const { return m_language; }
    QLineEdit* FileText() const { return m_file; }
    QLineEdit* UpdatedText() const { return m_updated; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;

private:
    CQuibW_Frame& m_frame;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_language = nullptr;
    QLineEdit* m_file = nullptr;
    QLineEdit* m_updated = nullptr;
};
