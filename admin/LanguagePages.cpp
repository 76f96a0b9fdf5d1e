#include "admin/LanguagePages.h"

#include "admin/UserSettingsSheet.h"
#include "core/User.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace
{

constexpr int kPrimaryLabel = 9355;
constexpr int kSecondaryLabel = 9356;
constexpr int kNoLanguageText = 1004;
constexpr int kOtherLanguageText = 1009;
constexpr int kLanguageNames = 10000; // + the number, for the languages 1 to 13
constexpr int kLastNamedLanguage = 13;
// A change of language rebuilds the system settings, the languages, the panes and the indexes.
constexpr std::uint32_t kLanguageChanged = 0xF;

QString languageText(std::uint16_t number, const CQuibSystem& record)
{
    QString text;
    if (number <= kLastNamedLanguage && GetSystemString(kLanguageNames + number, text) && !text.isEmpty())
        return text;
    return record.m_name;
}

} // namespace

CQuibUS_LanguagePage::CQuibUS_LanguagePage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

void CQuibUS_LanguagePage::LoadFromUser()
{
    if (const CQuibUser* user = User()) {
        m_languages[0] = user->PrimaryLanguage;
        m_languages[1] = user->SecondLanguage;
    }
}

void CQuibUS_LanguagePage::OnInitDialog(QWidget& page)
{
    LoadFromUser();
    auto* form = new QFormLayout(&page);
    const int labels[] = {kPrimaryLabel, kSecondaryLabel};
    const char* names[] = {"primaryLanguage", "secondaryLanguage"};
    for (int which = 0; which < 2; ++which) {
        m_combos[which] = new QComboBox(&page);
        m_combos[which]->setObjectName(QLatin1String(names[which]));
        m_combos[which]->setMinimumContentsLength(20);
        form->addRow(SheetText(labels[which]), m_combos[which]);
        ReportChoices(*m_combos[which], 0);
    }
}

// Every language of the system list; a language without a record shows as "Other Language" (never
// for no language, which has its own item).
void CQuibUS_LanguagePage::FillLists()
{
    for (int which = 0; which < 2; ++which) {
        QComboBox& combo = *m_combos[which];
        combo.clear();
        for (const auto& [number, record] : theSystemMap) {
            if (number > 0 && record)
                combo.addItem(languageText(number, *record), int(number));
        }
        const int working = m_languages[which];
        if (SelectItemByValue(combo, working) < 0 && working != 0)
            combo.addItem(SheetText(kOtherLanguageText), working);
        combo.addItem(SheetText(kNoLanguageText), 0);
        SelectItemByValue(combo, working);
    }
}

bool CQuibUS_LanguagePage::DoDataExchange(bool save)
{
    if (!save) {
        FillLists();
        return true;
    }
    for (int which = 0; which < 2; ++which)
        m_languages[which] = static_cast<std::uint16_t>(SelectedValue(*m_combos[which], kNoSelection));
    return true;
}

void CQuibUS_LanguagePage::OnOK()
{
    CQuibUser* user = User();
    if (!user)
        return;
    if (m_languages[0] != user->PrimaryLanguage)
        Report(kLanguageChanged);
    if (m_languages[1] != user->SecondLanguage)
        Report(kLanguageChanged);
    user->PrimaryLanguage = m_languages[0];
    user->SecondLanguage = m_languages[1];
}

CQuibUS_LayoutPage::CQuibUS_LayoutPage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

void CQuibUS_LayoutPage::OnInitDialog(QWidget& page)
{
    new QVBoxLayout(&page);
}
