#pragma once
// The page wizard: an author makes a new page, or renames, gives a background picture to, deletes or
// restores the page a pane shows, without the page editor. Pages: what to do (only with a given page),
// the page's name, its picture. Everything goes into the output file when one is open, else into the
// current user's file, in the translation language or else the user's primary language; nothing is
// stored before Finish.
//
// The picture is stored as the page's wizard picture (kind 0x2f), fitted to one of the standard page
// sizes: the largest that the picture covers and the current screen takes, scaled to cover it and cut
// at its middle.

#include "authoring/ImageOperations.h"
#include "authoring/WizardActionPage.h"

#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>

class CPageWizard;
class CPane;
class CQuibBg;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What the wizard does at Finish.
constexpr int kPageActionNone = 0;
constexpr int kPageActionNew = 1;
constexpr int kPageActionEdit = 2;
constexpr int kPageActionDelete = 3;
constexpr int kPageActionRestore = 4;

constexpr int kPageWizardActionPageId = 30736;
constexpr int kPageWizardNamePageId = 30737;
constexpr int kPageWizardPicturePageId = 30738;

// The kind of the picture the wizard gives a page.
constexpr std::int16_t kPageWizardPictureKind = 0x2f;

// The picture fitted to a standard page size for a screen whose page is `page`: taken as it is when it
// is within 2 pixels of the page on both sides; else scaled to cover the largest standard size that is
// smaller than the picture on the deciding side (the height for a picture wider than the page, the
// width otherwise) and not larger than the page, and cut at the middle to exactly that size. None when
// no standard size is smaller than the picture, or a step fails.
std::optional<RgbImage> FitToStandardPageSize(const RgbImage& image, QSize page);

class CPageWizardActionPage : public CWizardActionPage
{
public:
    explicit CPageWizardActionPage(CPageWizard& wizard);

protected:
    void DoDataExchange(bool save) override;
    int CurrentAction() const override;
    // Delete and Restore are never ticked at the start: they finish the wizard at once.
    bool TickedAtStart(int action) const override { return action <= kPageActionDelete; }
    void OnActionChosen(int action) override;

private:
    void enableChoices();

    CPageWizard& m_wizard;
};

class CPageWizardNamePage : public CWizardPage
{
public:
    explicit CPageWizardNamePage(CPageWizard& wizard) : m_wizard(wizard) {}
    void OnSetActive() override;
    void OnApply() override;

    QLineEdit* NameEdit() const { return m_edit; }
    QLabel* Message() const { return m_message; }
    bool IsValid() const { return m_valid; }

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    void validate();

    CPageWizard& m_wizard;
    QString m_name;
    bool m_valid = false;
    bool m_initialised = false;
    QLineEdit* m_edit = nullptr;
    QLabel* m_message = nullptr;
};

class CPageWizardPicturePage : public CWizardPage
{
public:
    explicit CPageWizardPicturePage(CPageWizard& wizard) : m_wizard(wizard) {}
    void OnDestroyPage() override;
    void OnApply() override;

    // The buttons' actions.
    void ChoosePicture();
    void DeletePicture();

    const std::optional<RgbImage>& Image() const { return m_image; }
    bool IsDeleted() const { return m_deleted; }
    QPushButton* ChooseButton() const { return m_choose; }
    QPushButton* DeleteButton() const { return m_delete; }
    QLabel* SizeHint() const { return m_sizeHint; }

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    bool fileHoldsPicture() const;

    CPageWizard& m_wizard;
    std::optional<RgbImage> m_image;
    bool m_deleted = false;
    bool m_initialised = false;
    QPushButton* m_choose = nullptr;
    QPushButton* m_fromPage = nullptr;
    QPushButton* m_delete = nullptr;
    QLabel* m_sizeHint = nullptr;
};

class CPageWizard : public CWizardDialog
{
public:
    // With a page, the wizard starts on what to do with it (editing it); without, it makes a new page.
    CPageWizard(QWidget* parent, CQuibBg* page);
    ~CPageWizard() override;

    bool OnInitDialog() override;
    // Gives a page without an id its id and record first; with no id to be had it stays open.
    void OnFinish() override;

    CQuibBg* WorkingPage() const { return m_working; }
    CQuibBg* NewPage() const { return m_newPage.get(); }
    CQuibBg* GivenPage() const { return m_given; }
    int File() const { return m_file; }
    std::uint16_t Language() const { return m_language; }
    int Action() const { return m_action; }
    std::int32_t PageId() const { return m_pageId; }

    CPageWizardActionPage& ActionPage() { return m_actionPage; }
    CPageWizardNamePage& NamePage() { return m_namePage; }
    CPageWizardPicturePage& PicturePage() { return m_picturePage; }

    // Carries out the action after Finish; the new page goes to the page index when it was stored. A
    // page that could not be written (a full disk) stays shown and changed, and the wizard notes it for
    // the author (TellFailure).
    void CarryOut(CPane* pane);

private:
    friend class CPageWizardActionPage;
    friend class CPageWizardNamePage;
    friend class CPageWizardPicturePage;

    void carryOutNew(CPane* pane);
    void carryOutEdit(CPane* pane);
    void noteUnwrittenPage(int written);
    void carryOutRemoval(CPane* pane, bool restore);

    CQuibBg* m_working = nullptr;
    std::unique_ptr<CQuibBg> m_newPage;
    CQuibBg* m_given = nullptr;
    int m_file = 0;
    std::uint16_t m_language = 0;
    int m_action = -1;
    std::int32_t m_pageId = 0;
    CPageWizardActionPage m_actionPage{*this};
    CPageWizardNamePage m_namePage{*this};
    CPageWizardPicturePage m_picturePage{*this};
};

// Runs the page wizard on the page (none: a new page), for the pane that shows it; a null parent is the
// main window. True when it ended with Finish.
bool RunPageWizard(QWidget* parent, CQuibBg* page, CPane* pane);
