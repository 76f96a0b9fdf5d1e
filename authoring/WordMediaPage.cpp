#include "authoring/WordMediaPage.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "authoring/WordSheetView.h"
#include "core/ColorPalette.h"
#include "core/Word.h"
#include "platform/files/FileSystem.h"
#include "shell/ColorCombo.h"
#include "store/PictureFormat.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QSignalBlocker>

#include <algorithm>

namespace
{

constexpr int kDefaultLanguage = 1;
constexpr int kDefaultText = 10001;
// The extra colours of the lists: no colour (251) and the program's special ones.
constexpr int kNoColorNumber = 251;

} // namespace

void TellMediaFileTooLarge(const QString& path)
{
    const QString text = LoadSystemString(kStrMediaFileTooLarge).arg(lumivo::files::kMaxMediaFileBytes >> 20);
    ShowMessage(QString(text).replace(QLatin1String("[#1]"), path),
                lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION);
}

std::vector<int> MediaLanguagesOf(int wordLanguage, bool translating)
{
    std::vector<int> languages{wordLanguage};
    if (translating && wordLanguage != kDefaultLanguage)
        languages.push_back(kDefaultLanguage);
    return languages;
}

std::optional<QString> KindLanguageSuffix(int language)
{
    if (const CQuibSystem* record = FindSystemRecord(std::uint16_t(language)))
        return QStringLiteral(" (%1)").arg(record->m_name);
    if (language == kDefaultLanguage)
        return QStringLiteral(" (%1)").arg(LoadSystemString(kDefaultText));
    return std::nullopt;
}

void FillKindList(QComboBox& list, const std::vector<MediaKindItem>& items, int selected)
{
    const QSignalBlocker quiet(&list);
    list.clear();
    for (const MediaKindItem& item : items)
        list.addItem(item.text, item.key);
    list.setCurrentIndex(std::max(0, list.findData(selected)));
}

void ShowChosenKind(QComboBox& list, int key)
{
    const QSignalBlocker quiet(&list);
    list.setCurrentIndex(list.findData(key));
}

void FillMediaColorList(CColorCombo& list)
{
    const QSignalBlocker quiet(&list);
    FillColorCombo(list.FillTarget(), pictNoColor, true, true, {kNoColorNumber, 253, 254, 255});
    list.setCurrentIndex(-1);
}

std::optional<std::uint32_t> ChosenMediaColor(CColorCombo& list)
{
    const int index = list.currentIndex();
    if (index < 0)
        return std::nullopt;
    if (index == list.UserDefinableIndex() && !list.PickCustomColor())
        return std::nullopt;
    std::uint32_t packed = 0;
    if (!list.GetItemPacked(index, packed))
        return std::nullopt;
    return packed;
}

void ShowMediaColor(CColorCombo& list, std::optional<std::uint32_t> color)
{
    const QSignalBlocker quiet(&list);
    if (!color || list.SelectColor(*color) < 0)
        list.setCurrentIndex(-1);
}

CWordMediaPage::CWordMediaPage(CQuibW_Frame& frame, const QString& caption)
    : PropertyPage(caption), m_frame(frame)
{
}

CWordMediaPage::~CWordMediaPage() = default;

void CWordMediaPage::ResetEntries()
{
    FreeEntries();
    m_word = m_frame.CurrentWord();
    ShowWord();
}

void CWordMediaPage::ShowWord()
{
    if (IsShownPage())
        UpdateData(false);
}

CQuibWord* CWordMediaPage::TakeCurrentWord()
{
    CQuibWord* word = m_frame.CurrentWord();
    if (word != m_word) {
        FreeEntries();
        m_word = word;
    }
    return word;
}

CQuibWord* CWordMediaPage::wordToStore() const
{
    CQuibWord* word = m_frame.CurrentWord();
    return word && word == m_word ? word : nullptr;
}

void CWordMediaPage::tellNotStored(const CQuibWord& word, const QStringList& items) const
{
    const QString text =
        LoadSystemString(kStrWordMediaNotStored)
            .arg(items.join(QStringLiteral(", ")), word.WordName, GetResFilePath(m_frame.SheetFile()));
    ShowMessage(text, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION);
}

bool CWordMediaPage::IsShownPage() const
{
    return IsCreated() && GetSheet() && GetSheet()->GetActivePage() == this;
}

void CWordMediaPage::SetSheetModified()
{
    SetModified(true);
    m_frame.View().Sheet().SetModified(true);
}

int CWordMediaPage::WordLanguage() const
{
    return m_word ? GetWordTypeLanguage(m_word->GetType()) : 0;
}

bool CWordMediaPage::KindListStale()
{
    const int language = WordLanguage();
    if (language == m_kindsLanguage || (!m_word && m_kindsLanguage >= 0))
        return false;
    m_kindsLanguage = language;
    return true;
}
