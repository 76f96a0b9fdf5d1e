#pragma once
// The Language page of the user-settings sheet (the user's primary and secondary language, which
// decide where words and pages are looked up for the user) and the Layout page, which has nothing on
// it and is on no sheet the commands show.

#include "admin/UserSettingsPage.h"

#include <cstdint>

class QComboBox;

class CQuibUS_LanguagePage : public CQuibUS_Page
{
public:
    static constexpr std::uint16_t kNoSelection = 10000;

    explicit CQuibUS_LanguagePage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    std::uint16_t GetLanguage(int which) const { return m_languages[which]; }
    QComboBox* LanguageCombo(int which) const { return m_combos[which]; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnOK() override;

private:
    void FillLists();

    std::uint16_t m_languages[2]{kNoSelection, kNoSelection};
    QComboBox* m_combos[2]{};
};

class CQuibUS_LayoutPage : public CQuibUS_Page
{
public:
    explicit CQuibUS_LayoutPage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override {}

protected:
    void OnInitDialog(QWidget& page) override;
};
