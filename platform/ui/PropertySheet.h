#pragma once
// Property sheets: settings laid out on tabbed pages that are edited together and then confirmed (OK)
// or dropped (Cancel) together.
//
// A page builds its controls the first time it is shown, so a page the person never opens costs
// nothing and writes nothing: OK applies only the pages that were created. A page is told when it
// becomes the shown page and asked before it stops being shown, and may refuse (a value it cannot
// take keeps the person on it). The sheet runs as a modal dialog through runModal, so a test answers
// it with a ScopedAnswerer: the fill-in function finds the sheet with PropertySheet::FromDialog,
// shows pages, changes controls and presses the sheet's buttons. A frame may instead hold the tabs as
// one of its child widgets and give them buttons of its own, and a page may stand alone in any widget.
//
// The page objects belong to the code that adds them (usually members of a derived sheet); the widgets
// belong to the sheet's window and go with it.

#include <QPointer>
#include <QString>

#include <vector>

class QDialog;
class QTabWidget;
class QWidget;

namespace lumivo::ui
{

class PropertySheet;

class PropertyPage
{
public:
    explicit PropertyPage(QString caption = {});
    virtual ~PropertyPage();
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;

    // The sheet the page was added to; null for a page shown on its own.
    PropertySheet* GetSheet() const { return m_sheet; }
    // The tab text the sheet starts with.
    const QString& GetCaption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }

    // Builds the page inside `parent` (once; later calls give the same widget): a widget of its own,
    // then OnInitDialog, then the members into the controls (UpdateData(false)). The sheet calls it when
    // the page is first shown; a frame showing the page without a sheet calls it itself.
    QWidget* Create(QWidget* parent);
    // The page's widget; null until created and again once its window has gone.
    QWidget* GetWidget() const;
    bool IsCreated() const { return GetWidget() != nullptr; }
    // Lets go of the page's widget after OnDestroy; Create may run again. The sheet does it for every
    // built page when its dialog ends.
    void DestroyWindow();

    // Moves values between the controls and the page's members through DoDataExchange: `save` reads
    // the controls (false when a value is refused), otherwise the members fill the controls.
    bool UpdateData(bool save = true);

    // Marks the page as changed or unchanged; the sheet's Apply button follows.
    void SetModified(bool modified = true);
    bool IsModified() const { return m_modified; }

protected:
    // Called once, when the page is built: make the controls inside `page` (layouts, in the order Tab
    // should visit them), set their texts and connect them. Connect to the signals of the person's own
    // actions (activated, clicked, textEdited), so that filling a control is not taken for an edit.
    virtual void OnInitDialog(QWidget& page) = 0;
    // Members to controls (`save` false) or controls to members (`save` true); false refuses a value.
    virtual bool DoDataExchange(bool save);
    // Each time the page becomes the shown page; by default the controls are filled again, except the
    // first time (they were filled when the page was built).
    virtual void OnSetActive();
    // Before another page is shown and before OK; false keeps this page shown. By default the controls
    // are read back (UpdateData(true)).
    virtual bool OnKillActive();
    // The page's part of OK and of Cancel. OnApply runs at OK and Apply for a created page: by default
    // OnOK, then the page counts as unchanged; false refuses, the sheet stays open on this page.
    virtual void OnOK();
    virtual void OnCancel();
    virtual bool OnApply();
    // At Cancel, for every created page; false keeps the sheet open.
    virtual bool OnQueryCancel();
    // The page's widget is about to go: let go of what the page holds for its controls.
    virtual void OnDestroy();

private:
    friend class PropertySheet;

    QString m_caption;
    PropertySheet* m_sheet = nullptr;
    QPointer<QWidget> m_widget;
    bool m_modified = false;
    bool m_firstSetActive = true;
};

// The buttons of a modal sheet, for PressButton.
enum class SheetButton { Ok, Cancel, Apply };

class PropertySheet
{
public:
    explicit PropertySheet(QString caption = {});
    virtual ~PropertySheet();
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;

    const QString& GetTitle() const { return m_caption; }
    // The window title (the dialog's, while it runs).
    void SetTitle(const QString& caption);

    // Appends a page (its tab comes last). Pages are added before the sheet's window is made; the page
    // object must outlive the window.
    void AddPage(PropertyPage& page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    PropertyPage* GetPage(int index) const;
    // The page's index, -1 when it is not on this sheet.
    int GetPageIndex(const PropertyPage& page) const;

    // The shown page; before the window is made, the page it will open on (the first by default).
    int GetActiveIndex() const { return m_active; }
    PropertyPage* GetActivePage() const { return GetPage(m_active); }
    // Shows a page, building it on its first showing. False when the shown page refuses to be left or
    // the index names no page.
    bool SetActivePage(int index);
    bool SetActivePage(PropertyPage& page);

    // A tab's text; false when the page is not on the sheet. The text is kept for windows made later.
    bool SetTabText(int index, const QString& text);
    bool SetTabText(const PropertyPage& page, const QString& text);
    QString GetTabText(int index) const;

    // Whether the modal sheet has an Apply button (it has not by default).
    void SetApplyButton(bool shown) { m_applyButton = shown; }

    // Runs the sheet as a modal dialog; IDOK after OK, IDCANCEL otherwise. The window is made anew each
    // time and destroyed before this returns. An answerer's bare IDOK (or a fill-in function returning
    // IDOK without pressing a button) counts as pressing OK, which the shown page may still refuse:
    // the sheet then ends as cancelled. IDCANCEL counts as pressing Cancel.
    int DoModal(QWidget* owner = nullptr);
    // The dialog while DoModal runs, else null.
    QDialog* GetDialog() const;
    // The sheet whose dialog this is; null for any other dialog.
    static PropertySheet* FromDialog(QDialog& dialog);

    // The tabs as a child of `parent`, for a frame with buttons of its own, opened on the active page.
    QWidget* Create(QWidget* parent);
    // The tabs while a window exists, else null.
    QWidget* GetWidget() const;

    // What the buttons do, for frames with buttons of their own and for tests:
    // ApplyPages asks the shown page to be left and then applies every created page in order; false
    // when one refused (the refusing page is shown). CancelPages asks every created page (when
    // `ask`), then cancels every created page; false when one refused.
    bool ApplyPages();
    bool CancelPages(bool ask = true);
    // OK, Cancel or Apply of the modal sheet: true when it did what the button does (OK and Cancel end
    // the dialog, Apply applies and leaves it open).
    bool PressButton(SheetButton button);

protected:
    // Called when the window is made, before any page is shown: by default shows the active page.
    // Override to prepare what the pages need (then call this) and to set tab texts (after it).
    virtual void OnInitDialog();
    // A page was marked as changed or unchanged; by default the Apply button follows.
    virtual void OnPageModified(PropertyPage& page);

private:
    friend class PropertyPage;
    class Dialog;

    QTabWidget* buildTabs(QWidget* parent);
    void build(PropertyPage& page, int index);
    void showPage(int index);
    void onTabChanged(int index);
    void updateApplyButton();
    void silencePages();
    void endDialog(int result);

    QString m_caption;
    std::vector<PropertyPage*> m_pages;
    std::vector<QString> m_tabTexts;
    QPointer<QTabWidget> m_tabs;
    QPointer<QDialog> m_dialog;
    QPointer<QWidget> m_applyWidget;
    int m_active = 0;
    int m_dialogResult = 0; // the result OK or Cancel gave the running dialog, 0 while it runs
    bool m_applyButton = false;
};

} // namespace lumivo::ui
