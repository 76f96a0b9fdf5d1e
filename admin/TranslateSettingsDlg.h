#pragma once
// "Settings" of the translation (command 5059, and after an output file came): the language the
// output file translates into, the language it is based on, the import preference and the output
// file's data version. OK stores the translation language's record in the output file (id 1000 + n)
// and the translation values in the settings; "New" beside the language adds a language 14 to 255
// through "New lanugage".

#include "core/UserLevel.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What went wrong storing the translation language.
enum class TranslateSettingsError { None, BadVersion, StoreFailed };
int messageIdOf(TranslateSettingsError error);

class CNewLanguageDlg : public QDialog
{
public:
    explicit CNewLanguageDlg(QWidget* parent = nullptr);

    std::uint16_t Number() const { return m_numberValue; }
    QString Name() const { return m_nameValue; }
    // Accepts numbers 14 to 255 only; 1 to 13 and numbers out of range are said and keep it open.
    void accept() override;

private:
    QLineEdit* m_number = nullptr;
    QLineEdit* m_name = nullptr;
    std::uint16_t m_numberValue = 0;
    QString m_nameValue;
};

class CTranslateSettingsDlg : public QDialog
{
public:
    explicit CTranslateSettingsDlg(QWidget* parent = nullptr);
    ~CTranslateSettingsDlg() override;

    // Stores the choice; stays open when a field is out of range, the version is one the program
    // could not open again, or the record cannot be stored.
    void accept() override;

private:
    void buildControls();
    void fillLanguageLists();
    void showFields();
    void fillLevelList();
    void chooseLanguage();
    void followTypedLanguage();
    void chooseLevel();
    void newLanguage();
    void newLevel();
    void selectBasedOn();
    std::optional<int> rangeCheckedField(QLineEdit* field);
    bool readFields();
    TranslateSettingsError storeLanguageRecord(QString& detail);

    std::uint16_t m_language = 0;
    std::uint16_t m_basedOn = 0;
    std::uint16_t m_level = 0;
    int m_storedLevel = 0;
    bool m_importFlag = false;
    std::array<int, 3> m_version{}; // major, minor, build
    bool m_initialised = false;
    CQuibUserLevelMap m_levels;

    QLineEdit* m_languageNumber = nullptr;
    QComboBox* m_languageList = nullptr;
    QComboBox* m_basedOnList = nullptr;
    QCheckBox* m_import = nullptr;
    QLineEdit* m_levelNumber = nullptr;
    QComboBox* m_levelList = nullptr;
    QPushButton* m_newLevel = nullptr;
    QLabel* m_outputPath = nullptr;
    std::array<QLineEdit*, 3> m_versionFields{};
};

// Runs the dialog modally; the caller runs the reload with the steps it left pending.
int RunTranslateSettingsDialog();
