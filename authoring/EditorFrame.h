#pragma once
// What the page editor and the word editor share as windows: a single non-modal window beside the main
// window, split into the editor's tree on the left and its sheet on the right, with a menu bar built at
// run time from system strings and a status bar that shows each menu item's prompt.
//
// The pattern an editor follows:
// - One instance: the editor keeps a global pointer to its frame (theBgEditorFrame), set while the frame
//   lives; opening again only centres, shows and activates it (ShowCentred).
// - Commands by number: menu items carry command ids (lumivo::addCommandItem gives them their system
//   string and prompt); the frame is the only stop of its own command route, so OnCommand runs a chosen
//   item and answers the update pass that ticks and greys the items before a menu shows.
// - Leaving the current object: every change of it first asks the editor's save question (Yes, No,
//   Cancel); Cancel keeps the object and stops what was under way. The tree (CEditorTree) refuses a
//   selection through its veto; closing the window asks QueryClose, and false keeps it open.
// - Options: both editors keep their own option bits in one registry value, "WordEditParams1" (a WORD):
//   read when the frame is made, written when it goes; the editor that closes last leaves its bits.

#include "platform/ui/CommandRoute.h"

#include <QMainWindow>

#include <cstdint>
#include <optional>

class QMenu;
class QSplitter;
class CEditorTree;

// The registry value of the editors' options.
inline constexpr const char* kEditorParamsValue = "WordEditParams1";
// The editors' options as stored, or `missing` when the value is not there.
std::uint16_t ReadEditorParams(std::uint16_t missing);
void WriteEditorParams(std::uint16_t params);

// Whether an editor may open on the current user's file: without a user (system string 9022), or with a
// primary language that is not a specific one (below 2: 9023), the person is told and it may not.
bool CurrentUserMayEdit();
// A file dialog's filter from the system string `filterTextId` in the Windows "text|*.ext||" form.
QString QtFilterOf(int filterTextId);
// The title of an editor opened to translate: "Translate: <current language> -> <translation language> ".
QString EditorTranslationTitle();

// An import file lists names, at most a thousand of them: a file past this size is no such list, and is
// not read into memory.
constexpr std::int64_t kMaxImportTextBytes = 4 * 1024 * 1024;
// The bytes of a name list to import; none when the file cannot be read or is over the size above.
std::optional<QByteArray> ReadImportText(const QString& path);

class CEditorFrame : public QMainWindow, public lumivo::ui::CommandTarget
{
    Q_OBJECT

public:
    // A window of its own over `owner` (the main window; none in tests), deleted when it closes.
    explicit CEditorFrame(QWidget* owner);
    ~CEditorFrame() override;

    // Centres the frame over its owner (or the screen), shows it and brings it to the front.
    void ShowCentred();

protected:
    // Puts the tree on the left (ideal width `treeWidth`, at least `minimumTreeWidth`) and the sheet on
    // the right of the splitter. Whenever the window is shown or resized, the tree grows as far as its
    // names need and the room beside the sheet's preferred width allows; longer names scroll sideways.
    void SetPanes(CEditorTree* tree, QWidget* sheet, int treeWidth, int minimumTreeWidth);
    // A popup of the menu bar titled by system string `textId`.
    QMenu* AddPopup(int textId);
    // An item of system string `textId` running `commandId`, with the command's prompt.
    QAction* AddCommand(QMenu& menu, int textId, int commandId);
    // An item with a text of its own running `commandId`.
    QAction* AddCommandText(QMenu& menu, const QString& text, int commandId);
    // Routes the menus built so far through the frame's command route; call after building.
    void RouteMenus();
    // Runs a command as a chosen menu item does (for the sheet's buttons and for tests).
    bool Execute(int commandId);

    // The import of a name list: asks for the file (the import title, the filter of system string
    // `filterTextId`) and gives its bytes; none when the person cancelled or the file could not be read
    // (said here, with the file's name).
    std::optional<QByteArray> ChooseImportText(int filterTextId);
    // Tells of a file the editor could not read or write, with its name.
    void tellFileError(int messageId, const QString& path);
    // Asks where to save a list of the tree: title of system string `titleId`, the list files' filter,
    // `suggested` as the name (".txt" added when the name has no suffix); none when cancelled.
    std::optional<QString> ChooseListFile(int titleId, const QString& suggested);
    // Writes `text` to `path` whole or not at all, and tells the person when it could not.
    void WriteTextFile(const QString& path, const QByteArray& text);

    // Whether the window may close now; false keeps it open.
    virtual bool QueryClose() = 0;
    // The window has agreed to close and goes once control returns to the event loop: the editor lets
    // go of what it holds now, so that it counts as closed at once.
    virtual void Closed() {}
    void closeEvent(QCloseEvent* event) override;

    const lumivo::ui::CommandRoute& Route() const { return m_route; }

    // One menu command of the frame: answers an update pass with `enabled` (and the tick when `checked`
    // is given), or runs `run` when the command is enabled. Always handled.
    template <class Run>
    static bool AnswerCommand(int code, lumivo::ui::CommandUpdate* update, bool enabled,
                              std::optional<bool> checked, Run run)
    {
        if (code == lumivo::ui::kUpdateCommand) {
            if (update) {
                update->enable(enabled);
                if (checked)
                    update->setCheck(*checked);
            }
            return true;
        }
        if (enabled)
            run();
        return true;
    }

private:
    // Widens the tree towards the width its names need, taking only what the sheet can spare.
    void fitTreeWidth();

    lumivo::ui::CommandRoute m_route;
    QSplitter* m_splitter = nullptr;
    CEditorTree* m_tree = nullptr;
    int m_treeWidth = 0;
};
