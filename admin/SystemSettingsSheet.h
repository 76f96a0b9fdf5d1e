#pragma once
// The system settings: one sheet with one page, "General", for what the whole machine shares in the
// settings root: the default folder that holds Data, Users and Temp ("Default_dir"), the system
// language ("LanguageNo") and the system's half of the window elements (the high four bits of the
// screen mode). "Back to factory settings" puts back what the installation left; nothing is stored
// before OK.
//
// The default folder is read once, at start-up, to find the data files and the users: a changed folder
// is stored and takes effect at the next start, which the page says, rather than leaving this session
// with its data from one folder and its users from another.

#include "platform/ui/PropertySheet.h"

#include <QString>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;

class CQuibSS_GeneralPage : public lumivo::ui::PropertyPage
{
public:
    CQuibSS_GeneralPage();

    QString m_folder;
    int m_language = 0;
    std::uint16_t m_screenMode = 0;

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    bool OnApply() override;

private:
    void fillLanguageList();
    void chooseFolder();
    void leaveFolderField();
    void resetToFactoryDefaults();
    void takeBoxes();
    bool differsFromBaseFolder(const QString& folder) const;

    QString m_reportedFolder; // the missing folder leaving the field has just reported
    QLineEdit* m_folderEdit = nullptr;
    QComboBox* m_languages = nullptr;
    std::array<QCheckBox*, 4> m_boxes{};
};

class CQuibSS_PropSheet : public lumivo::ui::PropertySheet
{
public:
    CQuibSS_PropSheet();

    CQuibSS_GeneralPage m_generalPage;

protected:
    void OnInitDialog() override;
};

// Command 5018: the sheet, and after OK the whole reload sequence.
void EditSystemSettings();

// True when `folder` names an existing folder (an empty text names none).
bool IsUsableDefaultFolder(const QString& folder);
