#pragma once
// The one door through which the program asks a person something: message boxes, the folder, file,
// font and colour choosers and modal dialogs. Nothing else in the program opens a window that waits.
//
// Popup menus are questions too: the person picks an item or none.
//
// Tests install a ScopedAnswerer: it records every question and replies from a queue, so no test ever
// blocks and every branch of a question can be taken. Without an answerer, on a platform that cannot
// show a window (the offscreen one of the tests, or no QApplication at all) a question gets its cancel
// answer at once and is logged; so does every question while nobody is there to answer
// (ScopedNobodyToAnswer: the program ends on a logout or a shutdown).
//
// Only QtGui types appear here, so the layers that draw without widgets can ask a person through it.

#include "platform/types/MessageBoxCodes.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QWidget;
class QDialog;
class QMenu;

namespace lumivo::ui
{

// The answer a message box gets when the person closes it without choosing (Escape, the close box),
// which is also what an unanswered question returns: Cancel where there is a Cancel button, No for a
// Yes/No box, Abort for Abort/Retry/Ignore, OK for a box with OK alone.
int cancelAnswer(unsigned flags);

// Shows a message box; returns the button chosen (IDOK, IDYES, ...).
int messageBox(const QString& text, const QString& caption, unsigned flags, QWidget* owner = nullptr);

// A folder; nothing when the person cancels. `root` limits the tree shown (empty: the whole disk),
// `initial` is the folder selected when the chooser opens.
std::optional<QString> chooseFolder(const QString& title, const QString& root = {},
                                    const QString& initial = {}, QWidget* owner = nullptr);

// An existing file to open, or a file name to save to; nothing when the person cancels. `filter` is in
// Qt's form ("Pages (*.tvf);;All files (*)"); `windowsFilterToQt` turns the "|"-separated form into it.
std::optional<QString> chooseOpenFile(const QString& title, const QString& folder = {},
                                      const QString& filter = {}, QWidget* owner = nullptr);
// Several existing files to open, in the order the chooser gives them; nothing when the person
// cancels. A test answers with one text holding the paths separated by line feeds.
std::optional<QStringList> chooseOpenFiles(const QString& title, const QString& folder = {},
                                           const QString& filter = {}, QWidget* owner = nullptr);
// An existing file or the name of a new one, which the caller then makes; no question about replacing.
// A name without an extension gets `defaultSuffix`.
std::optional<QString> chooseOpenOrNewFile(const QString& title, const QString& folder = {},
                                           const QString& filter = {}, QWidget* owner = nullptr,
                                           const QString& defaultSuffix = {});
// A save name without an extension gets `defaultSuffix` ("tvf"); the person is asked before an
// existing file is replaced.
std::optional<QString> chooseSaveFile(const QString& title, const QString& suggested = {},
                                      const QString& filter = {}, QWidget* owner = nullptr,
                                      const QString& defaultSuffix = {});
QString windowsFilterToQt(const QString& filter);

// A font (face, size, weight, italic, underline, strike-out), starting from `initial`.
std::optional<QFont> chooseFont(const QFont& initial, const QString& title = {}, QWidget* owner = nullptr);

// A colour, starting from `initial`.
std::optional<QColor> chooseColor(const QColor& initial, const QString& title = {}, QWidget* owner = nullptr);
// The colour dialog's 16 custom colours, which it keeps for the session.
QColor customColor(int index);
void setCustomColor(int index, const QColor& color);

// Runs a modal dialog; returns IDOK when it was accepted and IDCANCEL otherwise.
int runModal(QDialog& dialog);

// Pops the menu up at `at` (screen coordinates) and waits for a choice; returns the number its item
// carries as data, 0 when the person chooses none.
int execMenu(QMenu& menu, QPoint at);

// What was asked, as a ScopedAnswerer records it.
enum class QuestionKind { MessageBox, Folder, OpenFile, SaveFile, Font, Color, Dialog, Menu };

struct Question {
    QuestionKind kind = QuestionKind::MessageBox;
    QString text;    // the message, or the chooser's, dialog's or menu's title
    QString caption; // the message box's caption; for choosers the start folder or file
    unsigned flags = 0;
    QString filter; // file choosers only
};

// A queued reply. A number answers a message box or a dialog (IDCANCEL cancels a chooser too) and is
// the item chosen from a menu (0: none); a text answers a folder or file chooser; a function fills in a
// dialog and returns IDOK or IDCANCEL, or looks at a menu and returns the item chosen.
using Reply =
    std::variant<int, QString, QFont, QColor, std::function<int(QDialog&)>, std::function<int(QMenu&)>>;

// Installs itself as the one who answers for its lifetime (answerers nest; the newest answers).
// When the queue is empty a question gets its cancel answer.
class ScopedAnswerer
{
public:
    ScopedAnswerer();
    ~ScopedAnswerer();
    ScopedAnswerer(const ScopedAnswerer&) = delete;
    ScopedAnswerer& operator=(const ScopedAnswerer&) = delete;

    ScopedAnswerer& reply(int answer);
    ScopedAnswerer& reply(const QString& path);
    ScopedAnswerer& reply(const char* path) { return reply(QString::fromUtf8(path)); }
    ScopedAnswerer& reply(const QFont& font);
    ScopedAnswerer& reply(const QColor& color);
    ScopedAnswerer& reply(std::function<int(QDialog&)> fillIn);
    ScopedAnswerer& reply(std::function<int(QMenu&)> choose);

    const std::vector<Question>& questions() const { return m_questions; }
    std::size_t pendingReplies() const { return m_replies.size(); }
    void clear();

    // Used by the ui functions: records the question and hands out the next reply, if any.
    std::optional<Reply> answer(Question question);

private:
    std::vector<Question> m_questions;
    std::deque<Reply> m_replies;
    ScopedAnswerer* m_previous = nullptr;
};

// The answerer in charge, or null when questions go to a person.
ScopedAnswerer* currentAnswerer();

// While the program ends with nobody there to answer (a logout, a shutdown, Ctrl+C), no question may
// wait for a person: a question that no answerer takes is not shown but gets its cancel answer at once
// (the safe one: Cancel, No, OK alone; a chooser, a dialog and a menu choose nothing), and a line that
// says what was asked goes to `note` (by default standard error). The state ends with the object.
class ScopedNobodyToAnswer
{
public:
    explicit ScopedNobodyToAnswer(std::function<void(const QString& line)> note = {});
    ~ScopedNobodyToAnswer();
    ScopedNobodyToAnswer(const ScopedNobodyToAnswer&) = delete;
    ScopedNobodyToAnswer& operator=(const ScopedNobodyToAnswer&) = delete;

    // Used by the ui functions: the question's line to the note.
    void note(const Question& question) const;

private:
    std::function<void(const QString& line)> m_note;
    ScopedNobodyToAnswer* m_previous = nullptr;
};

// Whether nobody is there to answer now.
bool nobodyToAnswer();

} // namespace lumivo::ui
