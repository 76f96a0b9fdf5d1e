// Renders every page of the page wizard and of the icon wizard to PNG files in both languages, for a
// person to look at. Runs only when LUMIVO_RENDER_DIR names the folder to write to:
//   LUMIVO_RENDER_DIR=build/render ./test_authoring --gtest_filter='RenderWizards*'

#include "authoring/PageWizard.h"
#include "system/SystemSettings.h"
#include "tests/authoring/EditorRendering.h"
#include "tests/authoring/WizardTestFiles.h"

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::IDCANCEL;
using lumivo::ui::ScopedAnswerer;

namespace
{

class RenderWizardsTest : public IconWizardTestBase
{
protected:
    void SetUp() override
    {
        IconWizardTestBase::SetUp();
        m_folder = renderFolder();
        if (m_folder.isEmpty())
            GTEST_SKIP() << "LUMIVO_RENDER_DIR is not set";
    }

    void save(QWidget& widget, const QString& name) { saveRendering(widget, m_folder, name); }

    // Shows each page in turn by Next and saves the wizard with it, then cancels.
    void renderEachPage(CWizardDialog& wizard, const QString& prefix)
    {
        for (int step = 0; step < wizard.GetPageCount(); ++step) {
            save(wizard, QStringLiteral("%1-%2").arg(prefix).arg(step + 1));
            if (!wizard.Button(kWizardNextId)->isEnabled())
                break;
            wizard.Button(kWizardNextId)->click();
        }
        wizard.Button(kWizardCancelId)->click();
    }

    QString m_folder;
};

} // namespace

TEST_F(RenderWizardsTest, EveryPageOfBothWizardsInBothLanguages)
{
    addWord(500, QStringLiteral("Blæksprutte"));
    CQuibIcon& icon = addIcon(CRect(100, 100, 164, 164), 500);
    icon.LinkId = 4711;
    for (const auto& [language, languageSuffix] : {std::pair{2, "da"}, std::pair{9, "en"}}) {
        theLanguageNo = std::uint16_t(language);
        // A lambda may not capture a structured binding before C++20's last amendments (clang 15).
        const char* const suffix = languageSuffix;
        ScopedAnswerer answerer;
        answerer.reply([&](QDialog& dialog) {
            renderEachPage(dynamic_cast<CWizardDialog&>(dialog),
                           QStringLiteral("icon-wizard-%1").arg(suffix));
            return IDCANCEL;
        });
        RunIconWizard(nullptr, &icon, kIconActionEdit, &theMainPane, 0, 0);
        answerer.reply([&](QDialog& dialog) {
            renderEachPage(dynamic_cast<CWizardDialog&>(dialog),
                           QStringLiteral("page-wizard-%1").arg(suffix));
            return IDCANCEL;
        });
        RunPageWizard(nullptr, &page(), &theMainPane);
    }
}
