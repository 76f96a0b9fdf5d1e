#include "platform/ui/Ui.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <cstdio>

namespace lumivo::ui
{

Q_LOGGING_CATEGORY(lcUi, "lumivo.ui")

namespace
{

ScopedAnswerer*& answererSlot()
{
    static ScopedAnswerer* current = nullptr;
    return current;
}

ScopedNobodyToAnswer*& nobodySlot()
{
    static ScopedNobodyToAnswer* current = nullptr;
    return current;
}

// Widgets need a QApplication, the thread that owns it, and a platform that can show a window.
bool canShowWindows()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

const char* kindName(QuestionKind kind)
{
    switch (kind) {
    case QuestionKind::MessageBox:
        return "message box";
    case QuestionKind::Folder:
        return "folder chooser";
    case QuestionKind::OpenFile:
        return "open-file chooser";
    case QuestionKind::SaveFile:
        return "save-file chooser";
    case QuestionKind::Font:
        return "font chooser";
    case QuestionKind::Color:
        return "colour chooser";
    case QuestionKind::Dialog:
        return "dialog";
    case QuestionKind::Menu:
        return "menu";
    }
    return "question";
}

void logUnanswered(const Question& question)
{
    qCInfo(lcUi) << "No one to ask; the" << kindName(question.kind)
                 << "gets its cancel answer:" << question.caption << question.text;
}

// Where a question goes: to the answerer in charge, nowhere (nobody is there to answer, or no window
// can be shown: the cancel answer), or to a person.
struct Routed {
    bool handled = false; // true: `reply` is all there is to it, no window is shown
    std::optional<Reply> reply;
};

Routed route(const Question& question)
{
    if (ScopedAnswerer* answerer = currentAnswerer())
        return {true, answerer->answer(question)};
    if (const ScopedNobodyToAnswer* nobody = nobodySlot()) {
        nobody->note(question);
        return {true, std::nullopt};
    }
    if (!canShowWindows()) {
        logUnanswered(question);
        return {true, std::nullopt};
    }
    return {false, std::nullopt};
}

template <typename T> std::optional<T> replyAs(const std::optional<Reply>& reply, const Question& question)
{
    if (!reply)
        return std::nullopt;
    if (const T* value = std::get_if<T>(&*reply))
        return *value;
    const int* number = std::get_if<int>(&*reply);
    if (!number || *number != IDCANCEL)
        qCWarning(lcUi) << "A reply of the wrong kind for a" << kindName(question.kind)
                        << "; taken as Cancel";
    return std::nullopt;
}

QMessageBox::Icon iconOf(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int id;
};

std::vector<ButtonChoice> buttonsOf(unsigned flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {
            {QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL:
        return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

int showMessageBox(const QString& text, const QString& caption, unsigned flags, QWidget* owner)
{
    QMessageBox box(iconOf(flags), caption, text, QMessageBox::NoButton, owner);
    const std::vector<ButtonChoice> buttons = buttonsOf(flags);
    for (const ButtonChoice& choice : buttons)
        box.addButton(choice.button);
    const std::size_t defaultIndex = (flags & MB_DEFMASK) >> 8;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(buttons[defaultIndex].button);
    box.exec();
    for (const ButtonChoice& choice : buttons) {
        if (box.clickedButton() == box.button(choice.button))
            return choice.id;
    }
    return cancelAnswer(flags);
}

std::optional<QString> nonEmpty(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

int cancelAnswer(unsigned flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

int messageBox(const QString& text, const QString& caption, unsigned flags, QWidget* owner)
{
    const Question question{QuestionKind::MessageBox, text, caption, flags, {}};
    const Routed routed = route(question);
    if (!routed.handled)
        return showMessageBox(text, caption, flags, owner);
    if (auto number = replyAs<int>(routed.reply, question))
        return *number;
    return cancelAnswer(flags);
}

std::optional<QString> chooseFolder(const QString& title, const QString& root, const QString& initial,
                                    QWidget* owner)
{
    const Question question{QuestionKind::Folder, title, initial.isEmpty() ? root : initial, 0, {}};
    const Routed routed = route(question);
    if (routed.handled)
        return replyAs<QString>(routed.reply, question);
    // The dialog cannot be confined to a root; it starts inside it instead.
    const QString start = initial.isEmpty() ? root : initial;
    return nonEmpty(QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly));
}

std::optional<QString> chooseOpenFile(const QString& title, const QString& folder, const QString& filter,
                                      QWidget* owner)
{
    const Question question{QuestionKind::OpenFile, title, folder, 0, filter};
    const Routed routed = route(question);
    if (routed.handled)
        return replyAs<QString>(routed.reply, question);
    return nonEmpty(QFileDialog::getOpenFileName(owner, title, folder, filter));
}

std::optional<QStringList> chooseOpenFiles(const QString& title, const QString& folder, const QString& filter,
                                           QWidget* owner)
{
    const Question question{QuestionKind::OpenFile, title, folder, 0, filter};
    const Routed routed = route(question);
    std::optional<QString> joined;
    if (routed.handled)
        joined = replyAs<QString>(routed.reply, question);
    else
        joined =
            nonEmpty(QFileDialog::getOpenFileNames(owner, title, folder, filter).join(QLatin1Char('\n')));
    if (!joined)
        return std::nullopt;
    return joined->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<QString> chooseOpenOrNewFile(const QString& title, const QString& folder, const QString& filter,
                                           QWidget* owner, const QString& defaultSuffix)
{
    const Question question{QuestionKind::OpenFile, title, folder, 0, filter};
    const Routed routed = route(question);
    if (routed.handled)
        return replyAs<QString>(routed.reply, question);
    QFileDialog dialog(owner, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return nonEmpty(dialog.selectedFiles().constFirst());
}

std::optional<QString> chooseSaveFile(const QString& title, const QString& suggested, const QString& filter,
                                      QWidget* owner, const QString& defaultSuffix)
{
    const Question question{QuestionKind::SaveFile, title, suggested, 0, filter};
    const Routed routed = route(question);
    if (routed.handled) {
        auto path = replyAs<QString>(routed.reply, question);
        if (path && !defaultSuffix.isEmpty() &&
            !path->section(QLatin1Char('/'), -1).contains(QLatin1Char('.')))
            *path += QLatin1Char('.') + defaultSuffix;
        return path;
    }
    QFileDialog dialog(owner, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return nonEmpty(dialog.selectedFiles().constFirst());
}

QString windowsFilterToQt(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            break;
        // Qt reads the patterns from the last parenthesis of the description, so put ours there.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QString spaced = patterns;
        spaced.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << description + QStringLiteral(" (") + spaced + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<QFont> chooseFont(const QFont& initial, const QString& title, QWidget* owner)
{
    const Question question{QuestionKind::Font, title, initial.family(), 0, {}};
    const Routed routed = route(question);
    if (routed.handled)
        return replyAs<QFont>(routed.reply, question);
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, initial, owner, title);
    if (!chosen)
        return std::nullopt;
    return font;
}

std::optional<QColor> chooseColor(const QColor& initial, const QString& title, QWidget* owner)
{
    const Question question{QuestionKind::Color, title, initial.name(), 0, {}};
    const Routed routed = route(question);
    if (routed.handled)
        return replyAs<QColor>(routed.reply, question);
    const QColor color = QColorDialog::getColor(initial, owner, title);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

QColor customColor(int index)
{
    return QColorDialog::customColor(index);
}

void setCustomColor(int index, const QColor& color)
{
    QColorDialog::setCustomColor(index, color);
}

int runModal(QDialog& dialog)
{
    const Question question{QuestionKind::Dialog, dialog.windowTitle(), dialog.objectName(), 0, {}};
    const Routed routed = route(question);
    if (!routed.handled)
        return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    if (!routed.reply)
        return IDCANCEL;
    if (const auto* fillIn = std::get_if<std::function<int(QDialog&)>>(&*routed.reply))
        return (*fillIn)(dialog) == IDOK ? IDOK : IDCANCEL;
    if (auto number = replyAs<int>(routed.reply, question))
        return *number == IDOK ? IDOK : IDCANCEL;
    return IDCANCEL;
}

int execMenu(QMenu& menu, QPoint at)
{
    const Question question{QuestionKind::Menu, menu.title(), {}, 0, {}};
    const Routed routed = route(question);
    if (!routed.handled) {
        const QAction* chosen = menu.exec(at);
        return chosen ? chosen->data().toInt() : 0;
    }
    if (!routed.reply)
        return 0;
    if (const auto* choose = std::get_if<std::function<int(QMenu&)>>(&*routed.reply))
        return (*choose)(menu);
    return replyAs<int>(routed.reply, question).value_or(0);
}

ScopedAnswerer::ScopedAnswerer() : m_previous(answererSlot())
{
    answererSlot() = this;
}

ScopedAnswerer::~ScopedAnswerer()
{
    answererSlot() = m_previous;
}

ScopedAnswerer& ScopedAnswerer::reply(int answer)
{
    m_replies.emplace_back(answer);
    return *this;
}

ScopedAnswerer& ScopedAnswerer::reply(const QString& path)
{
    m_replies.emplace_back(path);
    return *this;
}

ScopedAnswerer& ScopedAnswerer::reply(const QFont& font)
{
    m_replies.emplace_back(font);
    return *this;
}

ScopedAnswerer& ScopedAnswerer::reply(const QColor& color)
{
    m_replies.emplace_back(color);
    return *this;
}

ScopedAnswerer& ScopedAnswerer::reply(std::function<int(QDialog&)> fillIn)
{
    m_replies.emplace_back(std::move(fillIn));
    return *this;
}

ScopedAnswerer& ScopedAnswerer::reply(std::function<int(QMenu&)> choose)
{
    m_replies.emplace_back(std::move(choose));
    return *this;
}

void ScopedAnswerer::clear()
{
    m_questions.clear();
    m_replies.clear();
}

std::optional<Reply> ScopedAnswerer::answer(Question question)
{
    m_questions.push_back(std::move(question));
    if (m_replies.empty())
        return std::nullopt;
    Reply next = std::move(m_replies.front());
    m_replies.pop_front();
    return next;
}

ScopedAnswerer* currentAnswerer()
{
    return answererSlot();
}

ScopedNobodyToAnswer::ScopedNobodyToAnswer(std::function<void(const QString& line)> note)
    : m_note(std::move(note)), m_previous(nobodySlot())
{
    nobodySlot() = this;
}

ScopedNobodyToAnswer::~ScopedNobodyToAnswer()
{
    nobodySlot() = m_previous;
}

void ScopedNobodyToAnswer::note(const Question& question) const
{
    QString line = QStringLiteral("Nobody is there to answer; the %1 gets its cancel answer: %2")
                       .arg(QLatin1String(kindName(question.kind)), question.text);
    if (!question.caption.isEmpty())
        line += QStringLiteral(" (%1)").arg(question.caption);
    if (m_note)
        m_note(line);
    else
        std::fprintf(stderr, "lumivo: %s\n", qPrintable(line));
}

bool nobodyToAnswer()
{
    return nobodySlot() != nullptr;
}

} // namespace lumivo::ui
