#include "shell/ProgressWnd.h"

#include "shell/MainFrame.h"
#include "store/Registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <limits>

const QString CProgressWnd::kSettingsKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\halvorix\\Lumivo\\Settings");

namespace
{

constexpr int kMargin = 10;
constexpr QSize kStartSize{390, 130};
constexpr int kNoStoredCoordinate = -1;

QRect screenArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QPoint storedPosition()
{
    int x = kNoStoredCoordinate;
    int y = kNoStoredCoordinate;
    if (theRegistry) {
        theRegistry->ReadInt(CProgressWnd::kSettingsKey, QStringLiteral("X"), x);
        theRegistry->ReadInt(CProgressWnd::kSettingsKey, QStringLiteral("Y"), y);
    }
    return {x, y};
}

void storePosition(const QPoint& topLeft)
{
    if (!theRegistry || (!theRegistry->KeyExists(CProgressWnd::kSettingsKey) &&
                         !theRegistry->CreateKey(CProgressWnd::kSettingsKey)))
        return;
    theRegistry->WriteInt(CProgressWnd::kSettingsKey, QStringLiteral("X"), topLeft.x());
    theRegistry->WriteInt(CProgressWnd::kSettingsKey, QStringLiteral("Y"), topLeft.y());
}

} // namespace

// The window tells its owner about Escape and about being closed, which both count as a wish to stop.
class CProgressWnd::ProgressWindow : public QWidget
{
public:
    ProgressWindow(QWidget* parent, std::function<void()> onEscape, std::function<void()> onClose)
        : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
          m_onEscape(std::move(onEscape)), m_onClose(std::move(onClose))
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setCursor(Qt::BusyCursor);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            m_onEscape();
        else
            QWidget::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore(); // the caller owns the window; a close is a cancel
        m_onClose();
    }

private:
    std::function<void()> m_onEscape;
    std::function<void()> m_onClose;
};

CProgressWnd::CProgressWnd(QWidget* parent, const QString& title, bool smooth, bool rememberPosition)
    : m_title(title), m_rememberPosition(rememberPosition)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        Create(parent ? parent : MainFrame(), smooth);
}

CProgressWnd::~CProgressWnd()
{
    if (!m_window)
        return;
    if (m_rememberPosition)
        storePosition(m_window->pos());
    delete m_window.data();
}

void CProgressWnd::Create(QWidget* parent, bool smooth)
{
    auto* window = new ProgressWindow(
        parent, [this] { m_escapePressed = true; }, [this] { Cancel(); });
    m_window = window;
    window->setWindowTitle(m_title);
    window->setFont(QApplication::font("QMessageBox"));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    m_text = new QLabel(window);
    m_text->setWordWrap(false);
    layout->addWidget(m_text);
    m_bar = new QProgressBar(window);
    m_bar->setTextVisible(!smooth);
    m_bar->setRange(m_lower, m_upper);
    layout->addWidget(m_bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancelButton = new QPushButton(QStringLiteral(" Cancel "), window);
    QObject::connect(m_cancelButton, &QPushButton::clicked, window, [this] { Cancel(); });
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);
    window->resize(kStartSize.expandedTo(window->sizeHint()));
    const QPoint stored =
        m_rememberPosition ? storedPosition() : QPoint(kNoStoredCoordinate, kNoStoredCoordinate);
    window->move(PlacedPosition(stored, screenArea(), window->size()));
    window->show();
}

QPoint CProgressWnd::PlacedPosition(const QPoint& stored, const QRect& screen, const QSize& size)
{
    if (screen.contains(stored))
        return stored;
    return screen.center() - QPoint(size.width() / 2, size.height() / 2);
}

int CProgressWnd::Percentage(std::int64_t lower, std::int64_t upper, std::int64_t position)
{
    if (upper == lower)
        return 0;
    return static_cast<int>((position - lower) * 100 / (upper - lower));
}

void CProgressWnd::SetRange(int lower, int upper, int step)
{
    m_lower = lower;
    m_upper = upper;
    m_step = step;
    if (m_bar)
        m_bar->setRange(lower, upper);
    m_shownPercentage = -1;
}

void CProgressWnd::UpdateCaption()
{
    if (m_lower == m_upper)
        return;
    const int percentage = Percentage(m_lower, m_upper, m_position);
    if (percentage == m_shownPercentage)
        return;
    m_shownPercentage = percentage;
    m_window->setWindowTitle(QStringLiteral("%1 [%2%]").arg(m_title).arg(percentage));
}

int CProgressWnd::SetPos(int position)
{
    if (!m_window)
        return m_position;
    ShowAgainIfHidden();
    m_position = position;
    UpdateCaption();
    m_bar->setValue(position);
    return m_position;
}

int CProgressWnd::OffsetPos(int delta)
{
    const std::int64_t moved = std::int64_t(m_position) + delta;
    return SetPos(static_cast<int>(
        std::clamp<std::int64_t>(moved, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
}

int CProgressWnd::StepIt()
{
    return OffsetPos(m_step);
}

void CProgressWnd::SetText(const QString& text)
{
    if (m_window)
        m_text->setText(text);
}

void CProgressWnd::ShowAgainIfHidden()
{
    if (m_window && m_window->isHidden()) {
        m_window->show();
        m_window->update();
    }
}

void CProgressWnd::Hide()
{
    if (m_window)
        m_window->hide();
}

void CProgressWnd::Show()
{
    ShowAgainIfHidden();
}

bool CProgressWnd::PeekAndPump(bool cancelOnEscape)
{
    if (!m_window)
        return !m_cancelled;
    QCoreApplication::processEvents();
    if (cancelOnEscape && m_escapePressed)
        Cancel();
    m_escapePressed = false;
    return !m_cancelled;
}

void CProgressWnd::Cancel()
{
    m_cancelled = true;
    if (!m_window)
        return;
    m_window->hide();
    if (QWidget* main = MainFrame()) {
        main->raise();
        main->activateWindow();
    }
}
