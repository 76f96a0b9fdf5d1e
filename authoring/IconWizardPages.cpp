// The icon wizard's word, look and link pages.

#include "authoring/AuthoringStrings.h"
#include "authoring/IconWizard.h"
#include "authoring/MediaRecords.h"
#include "core/Icon.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Word.h"
#include "shell/WordNavBar.h"
#include "store/ResourceTypes.h"
#include "store/TaggedText.h"
#include "system/ItemIds.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

constexpr int kNextAndFinishText = 9054;
constexpr int kNoWordText = 9055;
constexpr int kNextOnlyText = 9056;
constexpr int kFinishOnlyText = 9059;
constexpr int kNeitherText = 9096;
constexpr int kWordExistsText = 9052;
constexpr int kWordPicturesFollowText = 9053;
constexpr int kWordIsNewText = 9057;
constexpr int kAddMediaLaterText = 9058;
constexpr int kWordTitleText = 9060;
constexpr int kWordDescriptionText = 9061;
constexpr int kLookTitleText = 9062;
constexpr int kLookDescriptionText = 9063;
constexpr int kLookFooterText = 9064;
constexpr int kLinkTitleText = 9082;
constexpr int kLinkDescriptionText = 9083;
constexpr int kLinkHintText = 9084;
constexpr int kPageNotFoundText = 9412;
constexpr std::int16_t kPageKind = 1;
const QString kTextSizeKey = QStringLiteral("textsize");

const QChar kSoftHyphen(0xAD);
const QChar kMiddleDot(0xB7);
const QChar kNotSign(0xAC);

// The looks in the order the page offers them, with their texts.
struct LookChoice {
    std::uint32_t look;
    int text;
    const char* name;
};
constexpr LookChoice kLooks[] = {
    {kIconLookWordPicture, 9065, "iconLookWordPicture"},
    {kIconLookOwnPicture, 9066, "iconLookOwnPicture"},
    {kIconLookTextOnly, 9067, "iconLookTextOnly"},
    {kIconLookTransparent, 9068, "iconLookTransparent"},
};

} // namespace

std::uint32_t DerivedIconLook(std::uint32_t flags, std::int32_t pictureId, std::int32_t wordId,
                              const QString& label)
{
    if (flags & kIconNoPicture)
        return kIconLookTransparent;
    if (pictureId != 0)
        return wordId >= kFirstSystemId ? kIconLookWordPicture : kIconLookOwnPicture;
    return label.isEmpty() ? kIconLookWordPicture : kIconLookTextOnly;
}

QString LabelForEditing(const QString& label)
{
    QString text = label;
    text.replace(kSoftHyphen, kMiddleDot);
    text.replace(QLatin1Char('\n'), kNotSign);
    text.replace(QLatin1Char('\r'), kNotSign);
    return text;
}

QString LabelFromEditing(const QString& text)
{
    QString label = text;
    return label.replace(kMiddleDot, kSoftHyphen);
}

// ---- The word ---------------------------------------------------------------------------------------

CIconWizardWordPage::CIconWizardWordPage(CIconWizard& wizard) : m_wizard(wizard) {}

CIconWizardWordPage::~CIconWizardWordPage() = default;

void CIconWizardWordPage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kWordTitleText), LoadSystemString(kWordDescriptionText));
    m_combo = new CWordComboBox;
    m_combo->setObjectName(QStringLiteral("iconWordCombo"));
    m_info = new QLabel;
    m_info->setObjectName(QStringLiteral("iconWordInfo"));
    m_info->setWordWrap(true);
    controls->addWidget(m_combo);
    controls->addWidget(m_info);
    controls->addStretch(1);
    const CQuibIcon* icon = m_wizard.WorkingIcon();
    m_wordId = icon ? icon->WordId : 0;
    m_label = icon ? LabelForEditing(icon->WordName) : QString();
    m_combo->SetWord(m_wordId, m_label);
    m_combo->SetWordChangedHandler([this] { onWordChanged(); });
    m_initialised = true;
}

void CIconWizardWordPage::onWordChanged()
{
    m_wordId = m_combo->WordId();
    SetCanFinish(true);
    UpdateData(false);
}

void CIconWizardWordPage::DoDataExchange(bool save)
{
    if (save || !m_initialised)
        return;
    const QString text = m_combo->lineEdit()->text();
    QString info;
    bool next = true;
    bool newWord = false;
    if (m_combo->IsWordValid()) {
        info = FillPlaceholders(LoadSystemString(kWordExistsText, SYSSTR_BLANK_AFTER), {text}) +
               QStringLiteral(" (#%1) ").arg(m_wordId) +
               LoadSystemString(kWordPicturesFollowText, SYSSTR_BLANK_AFTER);
    } else if (!text.isEmpty()) {
        info = FillPlaceholders(LoadSystemString(kWordIsNewText, SYSSTR_BLANK_AFTER), {text}) +
               LoadSystemString(kAddMediaLaterText, SYSSTR_BLANK_AFTER);
        newWord = true;
    } else {
        info = LoadSystemString(kNoWordText, SYSSTR_BLANK_AFTER);
        next = false;
    }
    m_info->setText(info);
    m_wizard.SetMakesNewWord(newWord);
    GetOwner()->EnableNext(next);
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
}

void CIconWizardWordPage::OnSetActive()
{
    m_combo->setFocus();
}

bool CIconWizardWordPage::OnWizardFinish()
{
    m_label = LabelFromEditing(m_combo->lineEdit()->text());
    // A word is made only for a name the author typed; text the page merely shows (a word that cannot
    // be found, say) makes none.
    if (m_wizard.MakesNewWord() && CanFinish()) {
        if (!m_newWord)
            makeNewWord();
        return true;
    }
    m_newWord.reset();
    dropLabelEqualToWord();
    return true;
}

// The new word is linked to the icon as it is made: the page's word becomes it, whatever else the
// author did.
void CIconWizardWordPage::makeNewWord()
{
    const int file = m_wizard.TargetFile();
    const std::optional<std::int32_t> id = file != 0 ? NewUnusedSystemId() : std::nullopt;
    if (!id) {
        m_wordFailed = true;
        m_wizard.NoteFailure(kStrNoFreeItemId);
        return;
    }
    auto word = std::make_unique<CQuibWord>();
    if (word->SaveAs(*id, file, MakeWordType(std::int16_t(m_wizard.Language()))) != RES_OK) {
        m_wordFailed = true;
        m_wizard.NoteFailure(kStrCannotWriteRecord, GetResFilePath(file));
        return;
    }
    word->WordName = WordDisplayText(m_label, kWordTextDropLayoutChars);
    CQuibWord::SaveChanges(word.get(), false);
    m_wordFailed = false;
    m_wordId = *id;
    if (m_label == word->WordName)
        m_label.clear();
    m_newWord = std::move(word);
    SetCanFinish(true);
}

// A label that only repeats the name of the word the icon stands for is no label: the icon shows the
// word's name, also in another language.
void CIconWizardWordPage::dropLabelEqualToWord()
{
    if (m_wordId == 0)
        return;
    const std::unique_ptr<CQuibWord> word = FindWordById(m_wordId);
    if (!word || word->Load() < 0)
        return;
    if (WordDisplayText(m_label, kWordTextCutSuffix) == WordDisplayText(word->WordName, kWordTextCutSuffix))
        m_label.clear();
}

void CIconWizardWordPage::OnApply()
{
    CQuibIcon* icon = m_wizard.WorkingIcon();
    if (!icon || !AppliesWord())
        return;
    if (icon->WordId != m_wordId) {
        icon->WordId = m_wordId;
        icon->ShownWordId = m_wordId;
    }
    icon->WordName = m_label;
}

std::unique_ptr<CQuibWord> CIconWizardWordPage::TakeNewWord()
{
    return std::move(m_newWord);
}

// ---- The look ---------------------------------------------------------------------------------------

void CIconWizardLookPage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kLookTitleText), LoadSystemString(kLookDescriptionText));
    FooterLabel()->setText(LoadSystemString(kLookFooterText));
    for (int i = 0; i < 4; ++i) {
        m_choices[i] = new QRadioButton(LoadSystemString(kLooks[i].text));
        m_choices[i]->setObjectName(QString::fromLatin1(kLooks[i].name));
        controls->addWidget(m_choices[i]);
        QObject::connect(m_choices[i], &QRadioButton::clicked, [this] { onChoice(); });
    }
    m_advanced = AddButton(*controls, kStrAdvancedButton, "iconLookAdvanced");
    controls->addStretch(1);
    QObject::connect(m_advanced, &QPushButton::clicked, [this] { ToggleTextSize(); });
    if (const CQuibIcon* icon = m_wizard.WorkingIcon()) {
        m_modeValue = icon->Flags;
        m_options = icon->Options;
    }
    m_initialised = true;
}

QRadioButton* CIconWizardLookPage::Choice(std::uint32_t look) const
{
    for (int i = 0; i < 4; ++i) {
        if (kLooks[i].look == look)
            return m_choices[i];
    }
    return nullptr;
}

void CIconWizardLookPage::DoDataExchange(bool save)
{
    if (save || !m_initialised)
        return;
    const CQuibIcon* icon = m_wizard.WorkingIcon();
    if (!(m_modeValue & kIconLookMask) && icon)
        m_modeValue |= DerivedIconLook(m_modeValue, icon->PictId, icon->WordId, icon->WordName);
    if (QRadioButton* chosen = Choice(Look()))
        chosen->setChecked(true);
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
}

void CIconWizardLookPage::onChoice()
{
    std::uint32_t look = 0;
    for (int i = 0; i < 4; ++i) {
        if (m_choices[i]->isChecked())
            look = kLooks[i].look;
    }
    m_modeValue = (m_modeValue & ~kIconLookMask) | look;
    SetCanFinish(true);
    UpdateData(false);
}

// Held until Finish, so that Cancel leaves the icon as it was.
void CIconWizardLookPage::ToggleTextSize()
{
    CTaggedText attributes;
    attributes.Attach(&m_options);
    QString size;
    attributes.SetValue(kTextSizeKey, attributes.GetValue(kTextSizeKey, size) ? QStringLiteral("120%")
                                                                              : QStringLiteral("80%"));
    m_optionsChanged = true;
    SetCanFinish(true);
}

void CIconWizardLookPage::OnApply()
{
    CQuibIcon* icon = m_wizard.WorkingIcon();
    if (!icon || !CanFinish())
        return;
    icon->Flags = (icon->Flags & ~kIconLookMask) | Look();
    if (m_optionsChanged)
        icon->Options = m_options;
}

// ---- The link ---------------------------------------------------------------------------------------

void CIconWizardLinkPage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kLinkTitleText), LoadSystemString(kLinkDescriptionText));
    m_combo = new QComboBox;
    m_combo->setObjectName(QStringLiteral("iconLinkCombo"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    m_combo->setMaxVisibleItems(kListedPages);
    auto* hint = new QLabel(LoadSystemString(kLinkHintText) + QLatin1Char('\t'));
    hint->setObjectName(QStringLiteral("iconLinkHint"));
    hint->setWordWrap(true);
    controls->addWidget(m_combo);
    controls->addWidget(hint);
    controls->addStretch(1);
    if (const CQuibIcon* icon = m_wizard.WorkingIcon())
        m_linkId = icon->LinkId;
    m_combo->lineEdit()->setText(textOfLink());
    QObject::connect(m_combo->lineEdit(), &QLineEdit::textEdited,
                     [this](const QString& text) { OnEditChanged(text); });
    QObject::connect(m_combo, &QComboBox::activated, [this](int index) { OnEntryChosen(index); });
    m_initialised = true;
}

// The linked page's name; a page that no longer exists is named by its id.
QString CIconWizardLinkPage::textOfLink() const
{
    if (m_linkId == 0)
        return {};
    const std::unique_ptr<CQuibBg> page = FindBackgroundById(m_linkId, kPageKind);
    if (page && page->Load() >= 0)
        return page->Name;
    return FillPlaceholders(LoadSystemString(kPageNotFoundText), {QString::number(m_linkId)});
}

void CIconWizardLinkPage::DoDataExchange(bool save)
{
    if (save || !m_initialised)
        return;
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
}

void CIconWizardLinkPage::OnSetActive()
{
    m_combo->setFocus();
}

// The list offers the pages whose names begin with the text; the text and its selection stay as typed.
void CIconWizardLinkPage::refillList(const QString& text)
{
    QLineEdit* edit = m_combo->lineEdit();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = edit->selectionLength();
    const int cursor = edit->cursorPosition();
    const QSignalBlocker quiet(m_combo);
    m_combo->clear();
    const CSortedStringArray& names = theBgIndex.Names();
    for (int i = 0; i < names.GetSize() && m_combo->count() < kListedPages; ++i) {
        if (!names.GetAt(i).startsWith(text, Qt::CaseInsensitive))
            continue;
        const auto* page = static_cast<CQuibBg*>(names.GetItemData(i));
        m_combo->addItem(names.GetAt(i), page ? const_cast<CQuibBg*>(page)->GetID() : 0);
    }
    m_combo->setCurrentIndex(-1);
    edit->setText(text);
    if (selectionLength > 0)
        edit->setSelection(selectionStart, selectionLength);
    else
        edit->setCursorPosition(cursor);
}

// A text that is a page's whole name links to that page; any other text links to none.
void CIconWizardLinkPage::OnEditChanged(const QString& text)
{
    if (text.isEmpty()) {
        const QSignalBlocker quiet(m_combo);
        m_combo->clear();
        linkChanged(0);
        return;
    }
    refillList(text);
    const int exact = m_combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    linkChanged(exact >= 0 ? m_combo->itemData(exact).toInt() : 0);
}

void CIconWizardLinkPage::OnEntryChosen(int index)
{
    linkChanged(index >= 0 ? m_combo->itemData(index).toInt() : 0);
}

void CIconWizardLinkPage::linkChanged(std::int32_t id)
{
    m_linkId = id;
    const CQuibIcon* icon = m_wizard.WorkingIcon();
    if (icon && id != icon->LinkId)
        SetCanFinish(true);
    UpdateData(false);
}

void CIconWizardLinkPage::OnApply()
{
    CQuibIcon* icon = m_wizard.WorkingIcon();
    if (icon && CanFinish())
        icon->LinkId = m_linkId;
}
