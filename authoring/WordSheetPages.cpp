#include "authoring/WordSheetPages.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/WordEditorFrame.h"
#include "authoring/WordEditorStrings.h"
#include "authoring/WordForms.h"
#include "authoring/WordSheetView.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Word.h"
#include "platform/ui/FormRows.h"
#include "shell/WordNavBar.h"
#include "store/ResourceManager.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <set>

namespace
{

constexpr int kInfoTabText = 5748;
constexpr int kLanguageNamesBase = 10000; // system string 10000 + n names language n
const QString kStoredTimeFormat = QStringLiteral("%d/%m/%y %H:%M:%S");
constexpr std::uint16_t kDeletedFlag = 0x1;
// The base words a typed family name completes against: the class bits and the base form.
constexpr int kFamilyFormMask = 0xFF00;

QLineEdit* addReadOnlyRow(QFormLayout& form, int labelId, const char* name)
{
    auto* value = new QLineEdit;
    value->setObjectName(QString::fromLatin1(name));
    value->setReadOnly(true);
    form.addRow(LoadSystemString(labelId), value);
    return value;
}

void selectData(QComboBox& list, int data)
{
    const QSignalBlocker quiet(&list);
    list.setCurrentIndex(list.findData(data));
}

} // namespace

QString FormsOfBaseWord(std::int32_t baseId)
{
    QStringList names;
    std::set<CQuibWord*> listed;
    theWordIndex.ForEach([&](std::int32_t, CMyRes* object) {
        auto* word = dynamic_cast<CQuibWord*>(object);
        if (word && !word->FamilyList.empty() && word->FamilyList.front() == baseId &&
            listed.insert(word).second)
            names << word->WordName;
    });
    return names.join(QStringLiteral(", "));
}

// ---- Basic properties ---------------------------------------------------------------------------

CQuibW_BasicPage::CQuibW_BasicPage(CQuibW_Frame& frame)
    : PropertyPage(LoadSystemString(kStrBasicPageTab)), m_frame(frame)
{
}

void CQuibW_BasicPage::OnInitDialog(QWidget& page)
{
    auto* form = new QFormLayout(&page);
    m_name = addNamedRow(*form, LoadSystemString(kStrWrittenText), new QLineEdit, "wordNameEdit");
    m_classes = new QComboBox;
    m_classes->setObjectName(QStringLiteral("wordClassList"));
    for (const int wordClass : WordClasses())
        m_classes->addItem(WordClassName(std::int16_t(wordClass)), wordClass);
    form->addRow(LoadSystemString(kStrWordClassLabel), m_classes);
    m_inflexions =
        addNamedRow(*form, LoadSystemString(kStrInflexionLabel), new QComboBox, "wordInflexionList");
    m_family = new QComboBox;
    m_family->setObjectName(QStringLiteral("wordFamilyBox"));
    m_family->setEditable(true);
    m_family->setInsertPolicy(QComboBox::NoInsert);
    m_family->setCompleter(nullptr);
    form->addRow(LoadSystemString(kStrBaseFormLabel), m_family);
    m_description =
        addNamedRow(*form, LoadSystemString(kStrDescriptionLabel), new QLineEdit, "wordDescriptionEdit");
    m_forms = new QLabel;
    m_forms->setObjectName(QStringLiteral("wordFormsText"));
    m_forms->setWordWrap(true);
    form->addRow(LoadSystemString(kStrFormsLabel), m_forms);
    m_deleted = new QCheckBox(LoadSystemString(kStrDeletedBox));
    m_deleted->setObjectName(QStringLiteral("wordDeletedBox"));
    form->addRow(m_deleted);
    selectData(*m_classes, 0);
    fillInflexions(0);

    QObject::connect(m_name, &QLineEdit::textEdited, [this](const QString& text) {
        if (CQuibWord* word = m_frame.CurrentWord())
            word->WordName = text;
        setModified();
    });
    QObject::connect(m_description, &QLineEdit::textEdited, [this](const QString& text) {
        if (CQuibWord* word = m_frame.CurrentWord())
            word->WordDescription = text;
        setModified();
    });
    QObject::connect(m_classes, &QComboBox::activated, [this](int index) { OnClassChosen(index); });
    QObject::connect(m_inflexions, &QComboBox::activated, [this](int index) { OnInflexionChosen(index); });
    QObject::connect(m_family->lineEdit(), &QLineEdit::textEdited,
                     [this](const QString& text) { OnFamilyTyped(text); });
    QObject::connect(m_family, &QComboBox::activated,
                     [this](int index) { OnFamilyTyped(m_family->itemText(index)); });
    QObject::connect(m_deleted, &QCheckBox::clicked, [this](bool ticked) { OnDeletedClicked(ticked); });
}

void CQuibW_BasicPage::setModified()
{
    SetModified(true);
    m_frame.View().Sheet().SetModified(true);
}

void CQuibW_BasicPage::fillInflexions(std::int16_t form)
{
    const QSignalBlocker quiet(m_inflexions);
    m_inflexions->clear();
    m_inflexions->addItem(WordClassName(0), 0);
    for (const int inflexion : InflexionsOfClass(WordClassOf(form)))
        m_inflexions->addItem(FormName(std::int16_t(WordClassOf(form) | inflexion)), inflexion);
    m_inflexions->setCurrentIndex(0);
}

bool CQuibW_BasicPage::DoDataExchange(bool save)
{
    CQuibWord* word = m_frame.CurrentWord();
    if (save) {
        // The edits went into the word as they were made; the controls hold the same.
        if (word && m_frame.IsEditable() && !m_frame.IsDeleted()) {
            word->WordName = m_name->text();
            word->WordDescription = m_description->text();
        }
        return true;
    }
    if (word)
        showWord(*word);
    else
        showNoWord();
    return true;
}

void CQuibW_BasicPage::showNoWord()
{
    m_name->clear();
    m_description->clear();
    selectData(*m_classes, -1);
    fillInflexions(0);
    m_inflexions->setCurrentIndex(-1);
    m_family->clear();
    m_family->clearEditText();
    m_forms->clear();
    m_deleted->setChecked(false);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_name, m_classes, m_inflexions, m_family, m_description, m_deleted})
        control->setEnabled(false);
}

void CQuibW_BasicPage::showWord(CQuibWord& word)
{
    const bool enabled = m_frame.IsEditable() && !m_frame.IsDeleted();
    m_name->setText(word.WordName);
    selectData(*m_classes, WordClassOf(word.WordForm));
    fillInflexions(word.WordForm);
    selectData(*m_inflexions, InflexionOf(word.WordForm));
    m_description->setText(word.WordDescription);
    updateFamily(&word);
    m_deleted->setChecked(word.WordFlags & kDeletedFlag);
    m_deleted->setEnabled(m_frame.IsEditable());
    for (QWidget* control : std::initializer_list<QWidget*>{m_name, m_classes, m_description})
        control->setEnabled(enabled);
    m_inflexions->setEnabled(enabled && WordClassOf(word.WordForm) != 0);
    if (!enabled)
        m_family->setEnabled(false);
}

void CQuibW_BasicPage::updateFamily(CQuibWord* word)
{
    const int inflexion = word ? InflexionOf(word->WordForm) : 0;
    const bool baseOrNone = !word || word->WordForm == 0 || inflexion == 0 || inflexion == kBaseForm;
    const QSignalBlocker quiet(m_family);
    m_family->clear();
    m_family->clearEditText();
    if (baseOrNone) {
        m_family->setEnabled(false);
        m_forms->setText(word && inflexion == kBaseForm ? FormsOfBaseWord(word->GetID()) : QString());
        return;
    }
    m_family->setEnabled(m_frame.IsEditable() && !m_frame.IsDeleted());
    m_forms->clear();
    for (const std::int32_t id : word->FamilyList) {
        const std::unique_ptr<CQuibWord> base = FindWordById(id);
        if (!base || base->Load() < 0)
            continue;
        m_family->setEditText(base->WordName);
        m_forms->setText(FormsOfBaseWord(id));
    }
}

void CQuibW_BasicPage::OnClassChosen(int index)
{
    CQuibWord* word = m_frame.CurrentWord();
    if (!word)
        return;
    const int wordClass = index >= 0 ? m_classes->itemData(index).toInt() : 0;
    // A new class clears the inflexion; the low byte belongs to others and stays.
    word->WordForm = std::int16_t((std::uint16_t(word->WordForm) & 0x00FF) | wordClass);
    fillInflexions(word->WordForm);
    m_inflexions->setEnabled(wordClass != 0);
    updateFamily(word);
    setModified();
}

void CQuibW_BasicPage::OnInflexionChosen(int index)
{
    CQuibWord* word = m_frame.CurrentWord();
    if (!word || index < 0)
        return;
    const int inflexion = m_inflexions->itemData(index).toInt();
    word->WordForm = std::int16_t((std::uint16_t(word->WordForm) & ~kInflexionMask) | inflexion);
    updateFamily(word);
    setModified();
}

void CQuibW_BasicPage::OnFamilyTyped(const QString& text)
{
    CQuibWord* word = m_frame.CurrentWord();
    if (!word)
        return;
    QLineEdit* edit = m_family->lineEdit();
    const int caret = edit->cursorPosition();
    const QSignalBlocker quiet(m_family);
    m_family->clear();
    const CQuibWord* match =
        CWordComboBox::FillMatches(m_family, text, CWordComboBox::kListedMatches,
                                   WordClassOf(word->WordForm) | kBaseForm, kFamilyFormMask);
    m_family->setCurrentIndex(-1);
    if (match) {
        // The first match completes what was typed; the completion is selected, so typing replaces it.
        edit->setText(m_family->itemText(0));
        edit->setSelection(caret, int(edit->text().size()) - caret);
    } else {
        edit->clear();
    }
    word->FamilyList.clear();
    if (m_family->count() > 0 && m_family->itemText(0) == edit->text())
        word->FamilyList.push_back(m_family->itemData(0).toInt());
    m_forms->setText(word->FamilyList.empty() ? QString() : FormsOfBaseWord(word->FamilyList.front()));
    setModified();
}

void CQuibW_BasicPage::OnDeletedClicked(bool ticked)
{
    CQuibWord* word = m_frame.CurrentWord();
    if (!word)
        return;
    if (ticked)
        word->WordFlags = std::int16_t(word->WordFlags | kDeletedFlag);
    else
        word->WordFlags = std::int16_t(word->WordFlags & ~kDeletedFlag);
    m_frame.SetDeleted(ticked);
    setModified();
    UpdateData(false);
}

// ---- Info ---------------------------------------------------------------------------------------

CQuibW_InfoPage::CQuibW_InfoPage(CQuibW_Frame& frame)
    : PropertyPage(LoadSystemString(kInfoTabText)), m_frame(frame)
{
}

void CQuibW_InfoPage::OnInitDialog(QWidget& page)
{
    auto* form = new QFormLayout(&page);
    m_id = addReadOnlyRow(*form, kStrWordId, "wordIdText");
    m_language = addReadOnlyRow(*form, kStrLanguageLabel, "wordLanguageText");
    m_file = addReadOnlyRow(*form, kStrFileLabel, "wordFileText");
    m_updated = addReadOnlyRow(*form, kStrLastUpdated, "wordUpdatedText");
}

bool CQuibW_InfoPage::DoDataExchange(bool save)
{
    if (save)
        return true; // nothing goes back to the word
    CQuibWord* word = m_frame.CurrentWord();
    if (!word) {
        m_id->setText(QStringLiteral("0"));
        for (QLineEdit* text : {m_language, m_file, m_updated})
            text->clear();
        return true;
    }
    m_id->setText(QString::number(std::uint32_t(word->GetID())));
    m_language->setText(LoadSystemString(kLanguageNamesBase + GetWordTypeLanguage(word->GetType())));
    m_file->setText(GetResFilePath(word->GetFile()));
    m_file->setCursorPosition(0);
    CTime stamp;
    m_updated->setText(GetResourceTime(word, &stamp) == RES_OK ? stamp.Format(kStoredTimeFormat) : QString());
    return true;
}
