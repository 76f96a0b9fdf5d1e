#include "authoring/WizardActionPage.h"

#include "system/SystemStrings.h"

#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

CWizardActionPage::CWizardActionPage(int titleText, int descriptionText, int footerText, int firstChoiceText,
                                     std::vector<const char*> names)
    : m_titleText(titleText), m_descriptionText(descriptionText), m_footerText(footerText),
      m_firstChoiceText(firstChoiceText), m_names(std::move(names))
{
}

void CWizardActionPage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(m_titleText), LoadSystemString(m_descriptionText));
    FooterLabel()->setText(LoadSystemString(m_footerText));
    m_choices.clear();
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        auto* choice = new QRadioButton(LoadSystemString(m_firstChoiceText + int(i)));
        choice->setObjectName(QString::fromLatin1(m_names[i]));
        controls->addWidget(choice);
        QObject::connect(choice, &QRadioButton::clicked, [this] { onChoice(); });
        m_choices.push_back(choice);
    }
    controls->addStretch(1);
    const int action = CurrentAction();
    if (QRadioButton* ticked = Choice(action); ticked && TickedAtStart(action))
        ticked->setChecked(true);
    m_initialised = true;
}

QRadioButton* CWizardActionPage::Choice(int action) const
{
    return action >= 1 && action <= int(m_choices.size()) ? m_choices[std::size_t(action - 1)] : nullptr;
}

void CWizardActionPage::onChoice()
{
    int action = 0;
    for (int each = 1; each <= int(m_choices.size()); ++each) {
        if (Choice(each)->isChecked())
            action = each;
    }
    OnActionChosen(action);
    UpdateData(false);
}

int CWizardActionPage::OnWizardNext()
{
    GetOwner()->SkipPage(this);
    return kWizardToNeighbour;
}
