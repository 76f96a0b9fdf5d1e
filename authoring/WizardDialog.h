#pragma once
// The program's wizards: a modal dialog with one area for pages and a row of buttons (Back, Next, Finish,
// Cancel). CWizardDialog keeps the pages in order and moves between them; CWizardPage is the base of
// every page. A page builds its controls the first time it is shown and keeps them (hidden when another
// page shows) until the wizard ends, so what the author typed stays while they move back and forth.
//
// The rules a derived wizard relies on:
// - Finish is enabled exactly when every page is complete and at least one page says it can finish
//   (UpdateFinish); Back and Next follow the neighbours of the page shown and never completeness.
// - At Finish the active page may refuse (OnKillActive), then every created page may refuse
//   (OnWizardFinish), and only then does every page apply its values (OnApply), also pages never shown:
//   a page writes into the edited object only what the author changed on it.
// - Cancel (the button, Escape, the close box) asks every created page (OnQueryCancel); one refusal
//   keeps the wizard open.
// - DoModal gives kWizardFinishId only when the wizard ended through Finish; the caller applies the
//   edited object only then.
//
// This is our own dialog, not Qt's QWizard: the pages decide the way through (skipping themselves,
// jumping to a page by id), which QWizard's model does not allow.

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <vector>

class CWizardDialog;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The ids of the wizard's buttons; a page's own id (its template id) names it in the moves by id.
constexpr int kWizardBackId = 12323;
constexpr int kWizardNextId = 12324;
constexpr int kWizardFinishId = 12325;
constexpr int kWizardCancelId = 2;

// The text with its "%d" and "%s" filled in order by the values (what a system string of the wizards
// asks for); the text's own other characters stay as they are, whatever they are.
QString FillPlaceholders(const QString& text, const QStringList& values);

// The area the pages of the program's two wizards show in.
constexpr int kWizardPlaceholderId = 1010;

// What OnWizardNext and OnWizardBack give besides a page id.
constexpr int kWizardToNeighbour = 0;
constexpr int kWizardStay = -1;

class CWizardPage
{
public:
    CWizardPage();
    virtual ~CWizardPage();
    CWizardPage(const CWizardPage&) = delete;
    CWizardPage& operator=(const CWizardPage&) = delete;

    // Once, right after the page's controls are built; false keeps it from being shown.
    virtual bool OnCreatePage() { return true; }
    // Before the page's controls go (at the wizard's end): free what the page holds for them.
    virtual void OnDestroyPage() {}
    // Before the page stops being shown, and for the shown page at Finish; false keeps it shown.
    virtual bool OnKillActive() { return true; }
    // Each time the page has been shown (put the keyboard focus here).
    virtual void OnSetActive() {}
    // At Cancel, for every created page; false keeps the wizard open.
    virtual bool OnQueryCancel() { return true; }
    // At Back and Next: kWizardToNeighbour, kWizardStay, or the id of the page to show.
    virtual int OnWizardBack() { return kWizardToNeighbour; }
    virtual int OnWizardNext() { return kWizardToNeighbour; }
    // At Finish, for every created page; false keeps the wizard open.
    virtual bool OnWizardFinish() { return true; }
    // Each changes the flag and lets the wizard work its Finish button out again.
    virtual void SetComplete(bool complete);
    virtual void SetCanFinish(bool canFinish);
    virtual bool IsComplete() const { return m_complete; }
    // At Finish, for every page, after every check passed: write the page's values into the edited
    // object here.
    virtual void OnApply() {}

    bool CanFinish() const { return m_canFinish; }
    bool IsSkipped() const { return m_skipped; }
    bool IsCreated() const { return m_created; }
    bool IsActive() const { return m_active; }
    int TemplateId() const { return m_templateId; }
    CWizardDialog* GetOwner() const { return m_owner; }
    QWidget* GetWidget() const { return m_widget; }

    // Members into the controls (`save` false) or the controls into the members (`save` true).
    void UpdateData(bool save = false);

    // The bold title font every page gives its title.
    static QFont TitleFont();

protected:
    // Builds the page's controls inside `page` (layouts, in the order Tab should visit them). Connect to
    // the signals of the author's own actions (clicked, textEdited, activated), so that filling a
    // control is not taken for an edit.
    virtual void OnInitDialog(QWidget& page) = 0;
    virtual void DoDataExchange(bool /*save*/) {}

    // The layout every page of the program's wizards has: the title in the title font, the description
    // under it, the page's own controls (the returned layout), and the footer at the bottom.
    QVBoxLayout* BuildFrame(QWidget& page, const QString& title, const QString& description);
    // A button of system string `textId`, named `name`, at the left of the page's controls.
    static QPushButton* AddButton(QVBoxLayout& controls, int textId, const char* name);
    QLabel* TitleLabel() const { return m_title; }
    QLabel* DescriptionLabel() const { return m_description; }
    QLabel* FooterLabel() const { return m_footer; }
    // The footer tells the author what the buttons do now: one text for each state of Next and Finish.
    void SetFooterByButtons(int bothText, int nextOnlyText, int finishOnlyText, int neitherText);

private:
    friend class CWizardDialog;
    bool createWindow(QWidget& placeholder);
    void destroyWindow();

    QPointer<QWidget> m_widget;
    QLabel* m_title = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_footer = nullptr;
    CWizardDialog* m_owner = nullptr;
    int m_templateId = 0;
    bool m_canFinish = false;
    bool m_skipped = false;
    bool m_created = false;
    bool m_active = false;
    bool m_complete = true;
};

class CWizardDialog : public QDialog
{
public:
    explicit CWizardDialog(QWidget* parent = nullptr);
    ~CWizardDialog() override;

    // Appends a page (the caller keeps it); the order of the calls is the order of Next.
    void AddPage(CWizardPage* page, int templateId);
    // Names the area the pages show in; a wizard without one shows no page.
    void SetPlaceholder(int controlId);
    int Placeholder() const { return m_placeholderId; }

    // Initialises the wizard (OnInitDialog), runs it through the program's one door for dialogs and
    // lets go of the pages' controls; kWizardFinishId when it ended through Finish, else kWizardCancelId.
    int DoModal();

    // The first page, then the buttons; a derived wizard sets its placeholder first and its texts after.
    virtual bool OnInitDialog();

    // Shows the first page with this id (false: none, or the page could not be shown). Buttons unchanged.
    bool SetActivePageById(int templateId);
    bool ShowFirstPage();
    // Shows the first page after the shown one that is not skipped (the caller knows there is one).
    void GoToNextPage();
    // Skipped pages are passed over by Next and Back; the buttons follow unless the page is the shown one.
    void SkipPage(CWizardPage* page);
    void UnskipPage(CWizardPage* page);
    void EnableFinish(bool enable);
    void EnableBack(bool enable);
    void EnableNext(bool enable);
    bool IsNextEnabled() const { return m_nextEnabled; }
    bool IsFinishEnabled() const { return m_finishEnabled; }
    int GetActiveIndex() const;
    int GetPageIndex(const CWizardPage* page) const;
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CWizardPage* GetPage(int index) const;
    CWizardPage* GetActivePage() const;
    bool SetActivePage(CWizardPage* page);
    bool SetActivePageAt(int index);
    void SetTitle(int stringId);
    void SetTitle(const QString& text);
    void SetFinishText(int stringId);
    void SetFinishText(const QString& text);
    void SetCancelText(int stringId);
    void SetCancelText(const QString& text);
    void SetBackText(int stringId);
    void SetBackText(const QString& text);
    void SetNextText(int stringId);
    void SetNextText(const QString& text);
    // Finish: every page complete, and at least one that can finish.
    void UpdateFinish();

    // The buttons' handlers, public so that a test presses them as the author would.
    virtual void OnFinish();
    virtual void OnBack();
    virtual void OnNext();
    // Lets go of every page's controls (the end of the wizard's window).
    virtual void OnDestroy();

    // The button of that id (kWizardBackId ... kWizardCancelId), or null.
    QPushButton* Button(int id) const;
    bool EndedWithFinish() const { return m_finished; }

    // A page could not store what the author gave it (a message id, 0 for none, and the file as its
    // detail): the first is kept and told once the wizard has ended (TellFailure).
    void NoteFailure(int messageId, const QString& detail = {});
    int NotedFailure() const { return m_failureText; }
    void TellFailure();

protected:
    // The texts both of the program's wizards give their buttons: "Finish", "Next >", "< Back", "Cancel".
    void SetProgramButtonTexts();
    // Cancel: every created page is asked first.
    void reject() override;

private:
    bool showPage(CWizardPage* page);
    bool hideActivePage();
    bool destroyPage(CWizardPage* page);
    CWizardPage* nextPageOf(const CWizardPage* page) const;
    CWizardPage* previousPageOf(const CWizardPage* page) const;
    CWizardPage* pageWithId(int templateId) const;
    void followNeighbours(const CWizardPage* page);
    void updateDefaultButton();

    std::vector<CWizardPage*> m_pages;
    int m_placeholderId = 0;
    bool m_nextEnabled = false;
    bool m_finishEnabled = false;
    bool m_finished = false;
    int m_failureText = 0;
    QString m_failureDetail;
    QWidget* m_placeholder = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
};
