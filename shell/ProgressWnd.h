#pragma once
// A small window that shows how far a long piece of work has come, with a line of text above the bar
// and a Cancel button. The work runs on the interface thread and calls PeekAndPump between steps, which
// keeps the window answering and tells whether the person cancelled.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressWnd
{
public:
    // Makes and shows the window at once, owned by `parent` (the main window when none). With
    // `rememberPosition` it opens where the last one with that flag was closed, when that is on screen.
    explicit CProgressWnd(QWidget* parent = nullptr, const QString& title = QStringLiteral("Progress"),
                          bool smooth = false, bool rememberPosition = false);
    ~CProgressWnd();
    CProgressWnd(const CProgressWnd&) = delete;
    CProgressWnd& operator=(const CProgressWnd&) = delete;

    void SetRange(int lower, int upper, int step = 1);
    int SetPos(int position);
    int OffsetPos(int delta);
    int StepIt();
    void SetStep(int step) { m_step = step; }
    void SetText(const QString& text);
    bool Cancelled() const { return m_cancelled; }
    void Hide();
    void Show();
    // Lets every pending event through; false once the person cancelled (the Cancel button, the window
    // closed, or Escape when `cancelOnEscape`).
    bool PeekAndPump(bool cancelOnEscape = true);

    // How far the position is between the bounds, in per cent; 0 for an empty range.
    static int Percentage(std::int64_t lower, std::int64_t upper, std::int64_t position);
    // Where a window of `size` opens: the stored top-left when it lies on the screen, else centred.
    static QPoint PlacedPosition(const QPoint& stored, const QRect& screen, const QSize& size);

    QWidget* Window() const { return m_window; }
    int Position() const { return m_position; }

    // Where the remembered position is kept (values "X" and "Y").
    static const QString kSettingsKey;

private:
    class ProgressWindow;
    void Create(QWidget* parent, bool smooth);
    void ShowAgainIfHidden();
    void UpdateCaption();
    void Cancel();

    int m_lower = 0;
    int m_upper = 100;
    int m_step = 1;
    int m_position = 0;
    int m_shownPercentage = -1;
    QPointer<QWidget> m_window;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QString m_title;
    bool m_cancelled = false;
    bool m_escapePressed = false;
    bool m_rememberPosition = false;
};
