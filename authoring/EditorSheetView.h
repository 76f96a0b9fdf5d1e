#pragma once
// The right side of the page and word editors: the sheet of the current object (its tabs) with the
// buttons Ok, Cancel, Translate and Edit under it, and the changed state: whether the current object
// holds edits that are not saved. Ok and Cancel are enabled only while it does.
//
// The view lays out and keeps the state; the editor says what the buttons do (connect to their clicked
// signals) and when Translate and Edit are shown and enabled (LayoutButtons).
//
// Keys: Enter is the default button (Translate in translation mode, else Ok) and Esc is Cancel while
// they are enabled, as in a dialog.

#include <QWidget>

class QPushButton;
class QVBoxLayout;

class CEditorSheetView : public QWidget
{
    Q_OBJECT

public:
    // `namePrefix` starts the buttons' object names ("bg" gives "bgOkButton"), for tests and scripts.
    explicit CEditorSheetView(const char* namePrefix);
    ~CEditorSheetView() override;

    // Marks the current object as holding unsaved edits (or not); Ok and Cancel follow, then the row is
    // laid out again.
    void SetChanged(bool changed);
    bool IsChanged() const { return m_changed; }
    // Shows and enables Translate and Edit for the editor's mode and current object.
    virtual void LayoutButtons() = 0;

    QPushButton& OkButton() const { return *m_ok; }
    QPushButton& CancelButton() const { return *m_cancel; }
    QPushButton& TranslateButton() const { return *m_translate; }
    QPushButton& EditButton() const { return *m_edit; }

    // The sheet and its buttons whole (at least `minimum`), so that the editor opens without scroll bars.
    QSize sizeHint() const override;

protected:
    // Puts the sheet's tabs and the buttons under them; `sheet` is made by
    // PropertySheet::Create(SheetParent()). The derived view calls it once, in its constructor.
    void PlaceSheet(QWidget* sheet, QSize minimum);
    QWidget* SheetParent() const { return m_content; }
    // Translate the default button (translation mode) or Ok.
    void SetTranslateDefault(bool translating);
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* makeButton(int textId, int flags, const QString& name);

    QWidget* m_content = nullptr;
    QVBoxLayout* m_column = nullptr;
    QSize m_minimum;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_translate = nullptr;
    QPushButton* m_edit = nullptr;
    bool m_changed = false;
};
