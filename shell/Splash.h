#pragma once
// The splash window: during start-up, and for the About command, a borderless window with the
// program's picture, a status line that the start-up steps update, the version text and the credits
// rising through a band. A key press, a mouse-button press or, while a close delay is set, a timer
// closes it.
//
// The credits step on a 40 ms timer of the user-interface thread (a widget cannot be painted from
// another thread), and SetSplashStatus lets the event loop run briefly, user input excluded, so the
// splash repaints and scrolls between the steps of start-up.

#include "shell/ScrollingTextStatic.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QWidget>

class QEvent;

// Sees every event of the application while a splash is open and hands it to FilterSplashMessage.
class CSplashMessageFilter : public QObject
{
public:
    bool eventFilter(QObject* receiver, QEvent* event) override;
};

class CSplashWnd : public QWidget
{
public:
    // The credits band, in window coordinates.
    static constexpr QRect kCreditsRect{QPoint(294, 291), QPoint(520, 396)};
    static constexpr int kStepIntervalMs = 40;
    static constexpr int kStatusTimerMs = 5000;

    // A splash with `picture`, the version text `versionLeft` pixels from the left edge.
    CSplashWnd(const QImage& picture, int versionLeft, QWidget* parent);
    ~CSplashWnd() override;

    // Shows the window with its status text, its credits rising and its timers running.
    void Open(const QString& status, int closeDelayMs);
    // Fills the credits band with the program's name and the credits texts and starts it.
    void StartCredits();
    // Starts stepping the credits every 40 ms; false when no timer could be had (the credits then
    // stand still).
    bool StartScrolling();
    void StopScrolling();
    bool IsScrolling() const { return m_stepTimer != 0; }
    // Starts the close timer: when it runs out, the timer closes the splash as any timer does while a
    // close delay is set.
    void StartCloseTimer(int delayMs);

    void SetStatusText(const QString& text);
    const QString& StatusText() const { return m_status; }
    // Repaints the strip along the bottom-left edge where the status text stands, at once.
    void RepaintStatus();

    // Whether a timer event closes the splash: every timer does but the credits' own steps.
    bool ClosesOnTimer(const QObject* receiver, int timerId) const;
    int StatusTimerId() const { return m_statusTimer; }
    int StepTimerId() const { return m_stepTimer; }
    CScrollingTextStatic& Credits() { return m_credits; }

    // Hides the window for good and lets go of the application's events.
    void Dismiss();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void drawBottomText(QPainter& painter, const QString& text, QPoint offset, const QColor& color);

    CScrollingTextStatic m_credits;
    QImage m_picture;
    int m_versionLeft;
    QString m_status;
    int m_stepTimer = 0;   // stands in for the scrolling thread
    int m_statusTimer = 0; // the 5,000 ms timer
    int m_closeTimer = 0;
    CSplashMessageFilter m_filter;
};

// The open splash, or null. The splash owns itself from ShowSplash until it closes.
extern CSplashWnd* theSplashWnd;
// Milliseconds set by ShowSplash; while not 0, a timer event closes the splash.
extern int theSplashCloseDelay;

// Shows the splash with `text` as status, or, when one is open, only gives it the text and brings it
// to the top. The delay (-1: 3,000 ms) becomes theSplashCloseDelay; when it is not 0 the splash closes
// on its own after it.
void ShowSplash(int delay, const QString& text, QWidget* parent);
// Gives the open splash a new status text and lets it repaint.
void SetSplashStatus(const QString& text);
// 0 closes the splash at once; otherwise waits (a delay above 0 starting the close timer) until a key,
// a mouse button or a timer has closed it.
void CloseSplash(int delay);
// true when the event is taken: key and mouse-button presses close the splash and are swallowed; a
// timer closes it while theSplashCloseDelay is not 0, and is passed on unless it was the splash's own.
bool FilterSplashMessage(QObject* receiver, QEvent* event);

// Closes any splash at once and puts the close delay back to 0.
void ResetSplash();
