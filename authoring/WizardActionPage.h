#pragma once
// The first page of both of the program's wizards when they open on something that exists: what to do
// with it, one radio button an action (numbered from 1 in the order of the buttons). Leaving it with
// Next skips it for good, so Back never leads to it again.

#include "authoring/WizardDialog.h"

#include <vector>

class QRadioButton;

class CWizardActionPage : public CWizardPage
{
public:
    int OnWizardNext() override;
    // The radio button of an action (1 to the number of actions), or null.
    QRadioButton* Choice(int action) const;

protected:
    // The texts are system strings; the buttons' texts follow each other from `firstChoiceText`, and
    // the buttons take the names given (one an action).
    CWizardActionPage(int titleText, int descriptionText, int footerText, int firstChoiceText,
                      std::vector<const char*> names);

    void OnInitDialog(QWidget& page) override;
    bool IsInitialised() const { return m_initialised; }
    // The wizard's action now, ticked when the page is built if `TickedAtStart` agrees.
    virtual int CurrentAction() const = 0;
    virtual bool TickedAtStart(int /*action*/) const { return true; }
    // The author ticked a button (0: none ticked); the page's controls are refreshed after.
    virtual void OnActionChosen(int action) = 0;

private:
    void onChoice();

    int m_titleText;
    int m_descriptionText;
    int m_footerText;
    int m_firstChoiceText;
    std::vector<const char*> m_names;
    std::vector<QRadioButton*> m_choices;
    bool m_initialised = false;
};
