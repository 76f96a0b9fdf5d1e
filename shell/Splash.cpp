#include "shell/Splash.h"

#include "panes/IconText.h"
#include "resources/BitmapResource.h"
#include "shell/MainFrame.h"
#include "shell/Version.h"
#include "store/Utility.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimerEvent>
#include <QtWidgets/qdrawutil.h>

#include <memory>

CSplashWnd* theSplashWnd = nullptr;
int theSplashCloseDelay = 0;

namespace
{

constexpr int kSplashStopwatch = 1;
constexpr int kDefaultCloseDelayMs = 3000;
constexpr unsigned kOlderPicture = 159; // the older program name
constexpr unsigned kNewerPicture = 197;
constexpr unsigned kCreditsBackground = 198;
constexpr std::uint32_t kInstallLanguageDanish = 10002;
constexpr int kSysStrAppName = 1001;
constexpr int kCreditsStrings[] = {9086, 9087, 9089, 9088};
constexpr COLORREF kCreditsBackgroundColor = 0xFF0000;
constexpr int kGradientToWhite = 2;
constexpr COLORREF kStatusGrey = 0x808080;
constexpr COLORREF kVersionRed = 0x0000FF;
constexpr int kTextPixelHeight = 12;
constexpr QPoint kStatusOffset{32, -10};
constexpr int kVersionLeftOlder = 200;
constexpr int kVersionLeftNewer = 228;
constexpr int kVersionRise = -28;
constexpr QSize kStatusStrip{200, 25};

// The splash from ShowSplash until it closes. A splash with a parent window is also its child, so a
// parent that goes first takes it along: the destructor then lets go of it here.
std::unique_ptr<CSplashWnd> theSplashOwner;
// The loop of CloseSplash that waits for the splash to go, while one runs.
QPointer<QEventLoop> theClosingLoop;
// True while SetSplashStatus lets events through: start-up is still running, and its timers do not
// close the splash yet.
bool theStatusPumping = false;

bool usesOlderPicture()
{
    std::uint32_t installLanguage = 0;
    GetSystemSettingDWord(QStringLiteral("Install_language"), &installLanguage);
    return installLanguage == 0 || installLanguage == kInstallLanguageDanish;
}

// The program's name as a title line, then the credits texts, each with its lines split at "|".
QString creditsText()
{
    QString text = QStringLiteral("|%1\t|").arg(LoadSystemString(kSysStrAppName));
    for (const int id : kCreditsStrings)
        text += LoadSystemString(id);
    return text;
}

void centreOnScreen(QWidget& window, QWidget* parent)
{
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window.move(screen->availableGeometry().center() - window.rect().center());
}

bool isClosingInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        return true;
    default:
        return false;
    }
}

bool isOwnedBySplash(const QObject* object)
{
    for (; object; object = object->parent()) {
        if (object == theSplashWnd)
            return true;
    }
    return false;
}

} // namespace

bool CSplashMessageFilter::eventFilter(QObject* receiver, QEvent* event)
{
    return FilterSplashMessage(receiver, event);
}

CSplashWnd::CSplashWnd(const QImage& picture, int versionLeft, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_credits(this), m_picture(picture),
      m_versionLeft(versionLeft)
{
    ResetStopwatch(kSplashStopwatch);
    StartStopwatch(kSplashStopwatch);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(m_picture.size());
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
    m_credits.setGeometry(kCreditsRect);
    qApp->installEventFilter(&m_filter);
}

CSplashWnd::~CSplashWnd()
{
    if (theSplashWnd == this) {
        // Destroyed with its parent window, before it was closed.
        Dismiss();
        (void)theSplashOwner.release();
    }
}

void CSplashWnd::Open(const QString& status, int closeDelayMs)
{
    StartCredits();
    StartScrolling();
    m_statusTimer = startTimer(kStatusTimerMs);
    m_status = status;
    show();
    raise();
    repaint();
    if (closeDelayMs != 0)
        StartCloseTimer(closeDelayMs);
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void CSplashWnd::StartCredits()
{
    m_credits.SetText(creditsText(), QLatin1Char('|'));
    // Kept for its place in the settings; the background picture below takes precedence over any
    // gradient.
    m_credits.SetGradientMode(kGradientToWhite);
    m_credits.SetColor(CScrollingTextStatic::kBackgroundColor, kCreditsBackgroundColor);
    m_credits.SetTransparentPictures(true);
    m_credits.SetBackgroundPicture(kCreditsBackground);
    m_credits.Restart();
}

bool CSplashWnd::StartScrolling()
{
    if (m_stepTimer == 0)
        m_stepTimer = startTimer(kStepIntervalMs, Qt::PreciseTimer);
    return m_stepTimer != 0;
}

void CSplashWnd::StopScrolling()
{
    if (m_stepTimer != 0)
        killTimer(m_stepTimer);
    m_stepTimer = 0;
}

void CSplashWnd::StartCloseTimer(int delayMs)
{
    if (m_closeTimer != 0)
        killTimer(m_closeTimer);
    m_closeTimer = delayMs > 0 ? startTimer(delayMs) : 0;
}

void CSplashWnd::SetStatusText(const QString& text)
{
    m_status = text;
}

void CSplashWnd::RepaintStatus()
{
    repaint(QRect(QPoint(0, height() - kStatusStrip.height()), kStatusStrip));
}

bool CSplashWnd::ClosesOnTimer(const QObject* receiver, int timerId) const
{
    return !(receiver == this && timerId == m_stepTimer && m_stepTimer != 0);
}

void CSplashWnd::Dismiss()
{
    StopScrolling();
    StartCloseTimer(0);
    if (m_statusTimer != 0)
        killTimer(m_statusTimer);
    m_statusTimer = 0;
    m_credits.Stop();
    qApp->removeEventFilter(&m_filter);
    hide();
    StopStopwatch(kSplashStopwatch);
    theSplashWnd = nullptr;
    if (theClosingLoop)
        theClosingLoop->quit();
}

void CSplashWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_stepTimer)
        m_credits.Step(CScrollingTextStatic::kScrollTimerId);
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
    qDrawWinPanel(&painter, rect(), QApplication::palette(), false);
    painter.setFont(IconFont(kTextPixelHeight));
    drawBottomText(painter, m_status, kStatusOffset, toQColor(kStatusGrey));
    drawBottomText(painter, GetVersionText(), QPoint(m_versionLeft, kVersionRise), toQColor(kVersionRed));
}

// A text standing on the window's bottom edge moved by `offset`, five pixels above it.
void CSplashWnd::drawBottomText(QPainter& painter, const QString& text, QPoint offset, const QColor& color)
{
    const QFontMetrics metrics(painter.font());
    const int bottom = height() + offset.y();
    const int top = bottom - metrics.height() - 5;
    painter.setPen(color);
    painter.drawText(QRect(offset.x(), top, metrics.horizontalAdvance(text), bottom - top),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text);
}

void ShowSplash(int delay, const QString& text, QWidget* parent)
{
    theSplashCloseDelay = delay == -1 ? kDefaultCloseDelayMs : delay;
    if (theSplashWnd) {
        theSplashWnd->SetStatusText(text);
        theSplashWnd->update();
        theSplashWnd->raise();
        return;
    }
    const bool older = usesOlderPicture();
    const QImage picture = lumivo::LoadBitmapResource(older ? kOlderPicture : kNewerPicture);
    if (picture.isNull())
        return;
    theSplashOwner =
        std::make_unique<CSplashWnd>(picture, older ? kVersionLeftOlder : kVersionLeftNewer, parent);
    theSplashWnd = theSplashOwner.get();
    centreOnScreen(*theSplashWnd, parent);
    theSplashWnd->Open(text, theSplashCloseDelay);
}

void SetSplashStatus(const QString& text)
{
    if (!theSplashWnd)
        return;
    // Start-up runs on this thread: let the window system see the program alive and the credits
    // rise, but keep a person's input queued until the splash can take it.
    theStatusPumping = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    theStatusPumping = false;
    if (!theSplashWnd)
        return;
    theSplashWnd->SetStatusText(text);
    theSplashWnd->RepaintStatus();
}

void CloseSplash(int delay)
{
    if (!theSplashWnd)
        return;
    theSplashWnd->StopScrolling();
    if (delay == 0) {
        theSplashWnd->Dismiss();
        // The main window shows again what the splash covered.
        if (CMainFrame* frame = MainFrame())
            frame->update();
        // Deleted once control is back in an event loop: the event that closed it may still be on
        // its way to it.
        theSplashOwner.release()->deleteLater();
        return;
    }
    if (delay > 0)
        theSplashWnd->StartCloseTimer(delay);
    QEventLoop loop;
    theClosingLoop = &loop;
    if (theSplashWnd)
        loop.exec();
    theClosingLoop = nullptr;
}

bool FilterSplashMessage(QObject* receiver, QEvent* event)
{
    if (!theSplashWnd)
        return false;
    const QEvent::Type type = event->type();
    if (isClosingInput(type)) {
        CloseSplash(0);
        return true;
    }
    if (type == QEvent::Timer) {
        const int timerId = static_cast<QTimerEvent*>(event)->timerId();
        if (theSplashCloseDelay == 0 || theStatusPumping || !theSplashWnd->ClosesOnTimer(receiver, timerId))
            return false;
        // Another object's timer closes the splash and still reaches its object.
        const bool own = isOwnedBySplash(receiver);
        CloseSplash(0);
        return own;
    }
    // While CloseSplash waits, the splash is all a person can act on.
    return theClosingLoop && event->isInputEvent();
}

void ResetSplash()
{
    if (theSplashWnd)
        CloseSplash(0);
    theSplashCloseDelay = 0;
    theStatusPumping = false;
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
