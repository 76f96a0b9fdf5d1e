#include "shell/WordNavBar.h"

#include "core/Icon.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/PageEvents.h"
#include "core/Word.h"
#include "panes/Pane.h"
#include "panes/Panes.h"
#include "shell/Commands.h"
#include "shell/MainFrame.h"
#include "system/SystemStrings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace
{

constexpr int kWordNotFoundText = 9459;
constexpr int kBarTitleText = 9460;

// The middle dot and the not sign mark where a word may break and where its lines end.
constexpr QChar kMiddleDot(0x00B7);
constexpr QChar kNotSign(0x00AC);
// The name as shown: without the '#' suffix and without layout characters.
constexpr int kShownNameFlags = kWordTextCutSuffix | kWordTextDropLayoutChars;
// Form codes: an inflected form names its base word as the one member of its family.
constexpr int kFormKindMask = 0xF00;
constexpr int kBaseFormKind = 0x100;

CQuibWord* indexedWord(const CSortedStringArray& names, int entry)
{
    return dynamic_cast<CQuibWord*>(static_cast<CMyRes*>(names.GetItemData(entry)));
}

std::unique_ptr<CQuibWord> loadWord(std::int32_t id)
{
    std::unique_ptr<CQuibWord> word = FindWordById(id);
    if (word && word->Load() < 0)
        word.reset();
    return word;
}

bool pageShowsWord(CQuibBg& page, std::int32_t wordId, std::int32_t secondId)
{
    return std::ranges::any_of(page.Icons, [&](const std::unique_ptr<CQuibIcon>& icon) {
        return icon->WordId == wordId || (secondId != 0 && icon->WordId == secondId);
    });
}

// The base word of an inflected form, which shows the same thing; 0 for none.
std::int32_t baseWordOf(std::int32_t wordId)
{
    const std::unique_ptr<CQuibWord> word = loadWord(wordId);
    if (!word || (word->WordForm & kFormKindMask) == kBaseFormKind || word->FamilyList.size() != 1)
        return 0;
    return word->FamilyList.front();
}

// Shows the page in the main pane; true when the pane shows it afterwards.
bool showInMainPane(std::int32_t id)
{
    theMainPane.LoadPage(id);
    CQuibBg* shown = theMainPane.GetPage();
    return shown != nullptr && shown->GetID() == id;
}

CWordNavBar* mainFrameBar()
{
    CMainFrame* frame = MainFrame();
    return frame ? dynamic_cast<CWordNavBar*>(frame->WordNavBar()) : nullptr;
}

} // namespace

// --- The combo box ---------------------------------------------------------------------------------

CWordComboBox::CWordComboBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("wordCombo"));
    setEditable(true);
    // The completion is the box's own, against the word index; Enter adds nothing to the list.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(kListedMatches);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { OnEditUpdate(); });
    connect(this, &QComboBox::activated, this, [this](int index) { OnSelectEntry(index); });
}

void CWordComboBox::SetWord(std::int32_t id, QString text)
{
    m_wordId = id;
    m_shownText.clear();
    m_typedText.clear();
    m_wordValid = false;
    if (id != 0) {
        if (const std::unique_ptr<CQuibWord> word = loadWord(id)) {
            m_shownText = word->WordName;
            m_typedText = word->WordName;
            m_wordValid = true;
        } else {
            m_shownText =
                LoadSystemString(kWordNotFoundText).replace(QLatin1String("%d"), QString::number(id));
        }
    }
    if (!text.isEmpty())
        m_shownText = text;
    lineEdit()->setText(m_shownText);
}

CQuibWord* CWordComboBox::FillMatches(QComboBox* combo, const QString& text, int maximum, int value, int mask)
{
    CQuibWord* first =
        FillMatchesByKey(combo, WordDisplayText(text, kWordTextDropLayoutChars), maximum, value, mask);
    return text.isEmpty() ? nullptr : first;
}

CQuibWord* CWordComboBox::FillMatchesForWizard(QComboBox* combo, const QString& text, int maximum)
{
    CQuibWord* first = FillMatchesByKey(combo, text, maximum, 0, 0);
    return text.isEmpty() ? nullptr : first;
}

CQuibWord* CWordComboBox::FillMatchesByKey(QComboBox* combo, const QString& key, int maximum, int value,
                                           int mask)
{
    const CSortedStringArray& names = theWordIndex.Names();
    const Qt::CaseSensitivity sensitivity = names.IsCaseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    CQuibWord* first = nullptr;
    for (int entry = names.FindPrefix(key); entry >= 0 && maximum > 0;
         entry = names.FindPrefix(key, entry + 1)) {
        if (!names.GetAt(entry).startsWith(key, sensitivity))
            continue;
        CQuibWord* word = indexedWord(names, entry);
        if (mask != 0 && (!word || (word->WordForm & mask) != (value & mask)))
            continue;
        --maximum;
        if (!first)
            first = word;
        if (combo)
            combo->addItem(names.GetAt(entry), word ? word->GetID() : 0);
    }
    return first;
}

CQuibWord* CWordComboBox::RefillKeepingText(const QString& key)
{
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = edit->selectionLength();
    const int cursor = edit->cursorPosition();
    const QSignalBlocker blocker(this);
    clear();
    CQuibWord* first = FillMatches(this, key, kListedMatches, 0, 0);
    setCurrentIndex(-1);
    edit->setText(text);
    if (selectionLength > 0)
        edit->setSelection(selectionStart, selectionLength);
    else
        edit->setCursorPosition(cursor);
    return first;
}

void CWordComboBox::OnEditUpdate()
{
    QLineEdit* edit = lineEdit();
    const QString typed = edit->text();
    m_typedText = typed;
    CQuibWord* match = RefillKeepingText(typed);
    const QString name = match ? match->GetDisplayText(kShownNameFlags) : QString();
    if (match && !typed.isEmpty() && name.startsWith(typed, Qt::CaseInsensitive)) {
        // The rest of the name is selected, so the next letter typed replaces it.
        m_shownText = name;
        edit->setText(name);
        edit->setSelection(static_cast<int>(typed.size()), static_cast<int>(name.size() - typed.size()));
        m_wordId = match->GetID();
        m_wordValid = true;
    } else {
        m_shownText = typed;
        m_wordId = 0;
        m_wordValid = false;
    }
    NotifyWordChanged();
}

void CWordComboBox::showPopup()
{
    RefillKeepingText(lineEdit()->text());
    QComboBox::showPopup();
}

void CWordComboBox::OnSelectEntry(int index)
{
    const std::int32_t id = itemData(index).toInt();
    const std::unique_ptr<CQuibWord> word = id != 0 ? loadWord(id) : nullptr;
    m_shownText = word ? word->GetDisplayText(kShownNameFlags) : QString();
    m_wordId = word ? id : 0;
    m_wordValid = word != nullptr;
    lineEdit()->setText(m_shownText);
    NotifyWordChanged();
}

bool CWordComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress &&
        OnEditKey(static_cast<const QKeyEvent&>(*event)))
        return true;
    return QComboBox::eventFilter(watched, event);
}

// The keys the edit field does not do as the box wants. Deleting is done here, so that it never
// completes the word again; the two layout characters have no key of their own.
bool CWordComboBox::OnEditKey(const QKeyEvent& key)
{
    QLineEdit* edit = lineEdit();
    const bool control = key.modifiers().testFlag(Qt::ControlModifier);
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    QString text = edit->text();
    int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    int length = edit->hasSelectedText() ? edit->selectionLength() : 0;
    QString inserted;
    if (key.key() == Qt::Key_Delete) {
        length = length > 0 ? length : (start < text.size() ? 1 : 0);
    } else if (key.key() == Qt::Key_Backspace) {
        if (length == 0 && start > 0) {
            --start;
            length = 1;
        }
    } else if (control && key.key() == Qt::Key_Minus) {
        inserted = kMiddleDot;
    } else if (control && enter) {
        inserted = kNotSign;
    } else {
        return enter; // a plain Enter is swallowed
    }
    text.replace(start, length, inserted);
    edit->setText(text);
    edit->setCursorPosition(start + static_cast<int>(inserted.size()));
    LookUpEditedText();
    return true;
}

void CWordComboBox::LookUpEditedText()
{
    const QString text = lineEdit()->text();
    const QString key = WordDisplayText(text, kShownNameFlags);
    CQuibWord* match = view()->isVisible() ? RefillKeepingText(key) : FillMatches(nullptr, key, 1, 0, 0);
    m_typedText = text;
    m_shownText = text;
    m_wordValid = match && match->GetDisplayText(kShownNameFlags).compare(text, Qt::CaseInsensitive) == 0;
    m_wordId = m_wordValid ? match->GetID() : 0;
    NotifyWordChanged();
}

void CWordComboBox::NotifyWordChanged()
{
    if (m_wordChanged)
        m_wordChanged();
}

// --- The bar ---------------------------------------------------------------------------------------

CWordNavBar::CWordNavBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("wordNavBar"));
    setIconSize(QSize(24, 24));
    m_combo = new CWordComboBox(this);
    m_combo->setFixedWidth(kComboWidth);
    m_combo->SetWordChangedHandler([this] { OnWordChanged(); });
    addWidget(m_combo);
    for (const UINT command : {kGotoWordCommand, kPrevPageCommand, kNextPageCommand, kNextInflexionCommand})
        AddButton(command);
    UpdateTexts();
    lumivo::ui::routeToolBarCommands(*this, theCommandRoute);
    // The inflexion button follows the selection while the bar lives.
    connect(&thePageEvents, &CPageEvents::selectionChanged, this, &CWordNavBar::UpdateInflexionButton);
    UpdateInflexionButton();
}

CWordNavBar::~CWordNavBar() {}

void CWordNavBar::UpdateTexts()
{
    setWindowTitle(LoadSystemString(kBarTitleText));
    for (QAction* button : actions()) {
        const int command = button->data().toInt();
        if (command == 0)
            continue;
        const QString text = LoadSystemString(command);
        button->setText(text);
        button->setToolTip(text);
        button->setStatusTip(text);
    }
}

void CWordNavBar::AddButton(UINT command)
{
    QAction* button = addAction(QString());
    button->setData(static_cast<int>(command));
    if (QIcon icon(QStringLiteral(":/bitmap/196/%1.png").arg(command)); !icon.availableSizes().isEmpty())
        button->setIcon(icon);
}

QAction* CWordNavBar::Button(UINT command) const
{
    for (QAction* action : actions()) {
        if (action->data().toInt() == static_cast<int>(command))
            return action;
    }
    return nullptr;
}

void CWordNavBar::GotoWord()
{
    if (m_wordPages.empty()) {
        m_nextWordPage = -1;
        BuildWordPageList(m_combo->WordId(), m_wordPages);
    }
    if (m_wordPages.empty())
        return;
    if (m_nextWordPage < 0)
        m_nextWordPage = 0;
    const std::int32_t page = m_wordPages[static_cast<std::size_t>(m_nextWordPage)];
    // After the last page the next press starts at the head again.
    m_nextWordPage = m_nextWordPage + 1 < static_cast<int>(m_wordPages.size()) ? m_nextWordPage + 1 : -1;
    theMainPane.LoadPage(page);
}

void CWordNavBar::OnWordChanged()
{
    m_wordPages.clear();
    m_nextWordPage = -1;
}

void CWordNavBar::AddToHistory(CQuibBg* page)
{
    // While the history buttons show a page, the entries ahead of it must stay, so that the other
    // button can step back to them.
    if (!m_recordHistory || !page)
        return;
    if (m_historyPosition >= 0)
        m_history.resize(static_cast<std::size_t>(m_historyPosition) + 1);
    const std::int32_t id = page->GetID();
    if (!m_history.empty() && m_history.back() == id) {
        m_historyPosition = static_cast<int>(m_history.size()) - 1;
        return;
    }
    if (m_history.size() >= kHistoryLength)
        m_history.erase(m_history.begin(), m_history.end() - (kHistoryLength - 1));
    m_history.push_back(id);
    m_historyPosition = static_cast<int>(m_history.size()) - 1;
}

void CWordNavBar::PrevPage()
{
    StepHistory(-1);
}

void CWordNavBar::NextPage()
{
    StepHistory(+1);
}

void CWordNavBar::StepHistory(int direction)
{
    if (m_history.size() < 2 || m_historyPosition < 0)
        return;
    m_recordHistory = false;
    for (;;) {
        const int target = m_historyPosition + direction;
        if (target < 0 || target >= static_cast<int>(m_history.size()))
            break; // stepped past the head or tail: the current entry stays
        if (showInMainPane(m_history[static_cast<std::size_t>(target)])) {
            m_historyPosition = target;
            break;
        }
        m_history.erase(m_history.begin() + target);
        if (target < m_historyPosition)
            --m_historyPosition;
    }
    m_recordHistory = true;
}

void CWordNavBar::NextInflexion()
{
    if (theSelectedIcons.size() == 1)
        StepInflexion(*theSelectedIcons.front());
}

bool CanStepSelectedInflexion()
{
    return theSelectedIcons.size() == 1 && theEditTool == kEditToolBrowse && theSelectedIcons.front()->Word;
}

void CWordNavBar::UpdateInflexionButton()
{
    if (QAction* button = Button(kNextInflexionCommand))
        button->setEnabled(CanStepSelectedInflexion());
}

bool CWordNavBar::CanGotoWord()
{
    if (m_combo->IsWordValid() && m_wordPages.empty()) {
        m_nextWordPage = -1;
        BuildWordPageList(m_combo->WordId(), m_wordPages);
    }
    return !m_wordPages.empty();
}

bool CWordNavBar::CanStepHistory(int direction) const
{
    if (m_history.size() < 2 || m_historyPosition < 0)
        return false;
    const int end = direction < 0 ? 0 : static_cast<int>(m_history.size()) - 1;
    return m_historyPosition != end;
}

bool CWordNavBar::OnCommand(UINT id, int code, lumivo::ui::CommandUpdate* update)
{
    const bool execute = code == lumivo::ui::kExecuteCommand;
    switch (id) {
    case kGotoWordCommand:
        execute ? GotoWord() : update->enable(CanGotoWord());
        return true;
    case kPrevPageCommand:
        execute ? PrevPage() : update->enable(CanStepHistory(-1));
        return true;
    case kNextPageCommand:
        execute ? NextPage() : update->enable(CanStepHistory(+1));
        return true;
    case kNextInflexionCommand:
        execute ? NextInflexion() : update->enable(CanStepSelectedInflexion());
        return true;
    default:
        return false;
    }
}

bool OnWordNavCommand(UINT id, int code, lumivo::ui::CommandUpdate* update)
{
    CWordNavBar* bar = mainFrameBar();
    return bar && bar->OnCommand(id, code, update);
}

// --- Pages of a word -------------------------------------------------------------------------------

int BuildWordPageList(std::int32_t wordId, std::vector<std::int32_t>& list)
{
    // Icons without a word carry id 0: no word is on no page.
    if (wordId == 0)
        return static_cast<int>(list.size());
    const std::int32_t secondId = baseWordOf(wordId);
    theBgIndex.ForEach([&](std::int32_t id, CMyRes* object) {
        auto* page = dynamic_cast<CQuibBg*>(object);
        if (page && pageShowsWord(*page, wordId, secondId) && std::ranges::find(list, id) == list.end())
            list.push_back(id);
    });
    return static_cast<int>(list.size());
}

bool IsWordOnAnyPage(std::int32_t wordId)
{
    if (wordId == 0)
        return false;
    bool found = false;
    theBgIndex.ForEach([&](std::int32_t, CMyRes* object) {
        auto* page = dynamic_cast<CQuibBg*>(object);
        found = found || (page && pageShowsWord(*page, wordId, 0));
    });
    return found;
}
