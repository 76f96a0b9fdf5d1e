#include "authoring/EditorFrame.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/EditorTree.h"

#include "core/User.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/Menus.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>

#include <algorithm>
#include <functional>

std::uint16_t ReadEditorParams(std::uint16_t missing)
{
    // Read as the 4-byte value it is stored as: a missing value leaves the options as they were.
    int stored = 0;
    if (!GetSystemSettingInt(QString::fromLatin1(kEditorParamsValue), &stored))
        return missing;
    return static_cast<std::uint16_t>(stored & 0xFFFF);
}

void WriteEditorParams(std::uint16_t params)
{
    SetSystemSettingWord(QString::fromLatin1(kEditorParamsValue), params);
}

namespace
{

// A splitter that has the tree fitted each time its own size changed and its panes were resized.
class FittingSplitter : public QSplitter
{
public:
    FittingSplitter(std::function<void()> fit, QWidget* parent)
        : QSplitter(Qt::Horizontal, parent), m_fit(std::move(fit))
    {
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QSplitter::resizeEvent(event);
        m_fit();
    }

private:
    std::function<void()> m_fit;
};

constexpr int kTranslateText = 1007;
constexpr int kNoLanguageText = 1004;
constexpr int kNoUserText = 9022;
constexpr int kNoSpecificLanguageText = 9023;
// Languages 0 ("None") and 1 ("Default") are not specific.
constexpr int kFirstSpecificLanguage = 2;

QString languageNameOf(const CQuibSystem* record)
{
    return record ? record->m_name : LoadSystemString(kNoLanguageText);
}

} // namespace

bool CurrentUserMayEdit()
{
    using namespace lumivo::ui;
    if (!theCurrentUser) {
        MessageBoxById(kNoUserText, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (theCurrentUser->PrimaryLanguage < kFirstSpecificLanguage) {
        MessageBoxById(kNoSpecificLanguageText, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

QString EditorTranslationTitle()
{
    return QStringLiteral("%1: %2 -> %3 ")
        .arg(LoadSystemString(kTranslateText), languageNameOf(GetCurrentLanguageRecord()),
             languageNameOf(theTranslateLanguageRec));
}

CEditorFrame::CEditorFrame(QWidget* owner) : QMainWindow(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_route.setTarget(lumivo::ui::CommandRoute::Frame, this);
    m_splitter = new FittingSplitter([this] { fitTreeWidth(); }, this);
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);
    statusBar()->setSizeGripEnabled(true);
}

CEditorFrame::~CEditorFrame() = default;

void CEditorFrame::SetPanes(CEditorTree* tree, QWidget* sheet, int treeWidth, int minimumTreeWidth)
{
    m_tree = tree;
    m_treeWidth = treeWidth;
    tree->setMinimumWidth(minimumTreeWidth);
    m_splitter->addWidget(tree);
    m_splitter->addWidget(sheet);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({treeWidth, sheet->sizeHint().width()});
}

QMenu* CEditorFrame::AddPopup(int textId)
{
    return menuBar()->addMenu(LoadSystemString(textId));
}

QAction* CEditorFrame::AddCommand(QMenu& menu, int textId, int commandId)
{
    return lumivo::addCommandItem(menu, textId, commandId);
}

QAction* CEditorFrame::AddCommandText(QMenu& menu, const QString& text, int commandId)
{
    QAction* item = menu.addAction(text);
    item->setData(commandId);
    return item;
}

void CEditorFrame::RouteMenus()
{
    lumivo::ui::routeMenuBarCommands(*menuBar(), m_route);
}

bool CEditorFrame::Execute(int commandId)
{
    return m_route.execute(commandId);
}

void CEditorFrame::fitTreeWidth()
{
    if (!m_tree || m_splitter->count() < 2)
        return;
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes[0] + sizes[1];
    const int room = total - m_splitter->widget(1)->sizeHint().width();
    // Only ever wider: a tree the person made wider by the splitter stays so.
    const int wanted = std::min(m_tree->NamesWidth(), room);
    if (wanted > sizes[0])
        m_splitter->setSizes({wanted, total - wanted});
}

void CEditorFrame::ShowCentred()
{
    if (!isVisible()) {
        QSize size = sizeHint();
        // The preferred width counts the tree at its own preferred width; asked for the width its names
        // need, as far as half the screen.
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (m_tree && screen) {
            const int treeWidth = std::min(m_tree->NamesWidth(), screen->availableGeometry().width() / 2);
            size.rwidth() += std::max(0, treeWidth - m_tree->sizeHint().width());
        }
        if (screen)
            size = size.boundedTo(screen->availableGeometry().size());
        resize(size);
    }
    QRect area;
    if (QWidget* owner = parentWidget(); owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (!area.isEmpty()) {
        QRect placed = frameGeometry();
        placed.moveCenter(area.center());
        move(placed.topLeft());
    }
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void CEditorFrame::closeEvent(QCloseEvent* event)
{
    if (!QueryClose()) {
        event->ignore();
        return;
    }
    event->accept();
    Closed();
}

// ---- Text files ---------------------------------------------------------------------------------------

QString QtFilterOf(int filterTextId)
{
    return lumivo::ui::windowsFilterToQt(LoadSystemString(filterTextId));
}

std::optional<QByteArray> CEditorFrame::ChooseImportText(int filterTextId)
{
    constexpr int kImportTitle = 9012;
    const auto path =
        lumivo::ui::chooseOpenFile(LoadSystemString(kImportTitle), {}, QtFilterOf(filterTextId), this);
    if (!path)
        return std::nullopt;
    std::optional<QByteArray> bytes = ReadImportText(*path);
    if (!bytes)
        tellFileError(kStrCannotReadFile, *path);
    return bytes;
}

std::optional<QByteArray> ReadImportText(const QString& path)
{
    const auto file = lumivo::files::fileSystem().open(path, lumivo::files::OpenMode::Read);
    if (!file)
        return std::nullopt;
    const std::int64_t length = file->length();
    if (length < 0 || length > kMaxImportTextBytes)
        return std::nullopt;
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    if (length > 0 && !file->readExactly(bytes.data(), std::size_t(length)))
        return std::nullopt;
    return bytes;
}

void CEditorFrame::tellFileError(int messageId, const QString& path)
{
    MessageBoxById(messageId, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION, path);
}

std::optional<QString> CEditorFrame::ChooseListFile(int titleId, const QString& suggested)
{
    return lumivo::ui::chooseSaveFile(LoadSystemString(titleId), suggested, QtFilterOf(kStrListFileFilter),
                                      this, QStringLiteral("txt"));
}

void CEditorFrame::WriteTextFile(const QString& path, const QByteArray& text)
{
    if (!lumivo::files::writeFileAtomically(path, text.constData(), std::size_t(text.size())))
        tellFileError(kStrCannotWriteFile, path);
}
