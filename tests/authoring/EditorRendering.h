#pragma once
// The fixture of the tests that render an editor to PNG files for a person to look at: they run only
// when LUMIVO_RENDER_DIR names the folder to write to.

#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

namespace lumivo::test
{

// The folder that LUMIVO_RENDER_DIR names, made if missing; empty when the variable is not set.
inline QString renderFolder()
{
    const QString folder = qEnvironmentVariable("LUMIVO_RENDER_DIR");
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

// Shows `widget` at its preferred size and writes it to <folder>/<name>.png. With `asShown`, a window
// the program has shown already keeps the size the program gave it.
inline void saveRendering(QWidget& widget, const QString& folder, const QString& name, bool asShown = false)
{
    if (!asShown || !widget.isVisible())
        widget.resize(widget.sizeHint().expandedTo(widget.minimumSize()));
    widget.show();
    // Controls made after their window shows appear once the events are handled.
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

class EditorRenderingTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_folder = renderFolder();
        if (m_folder.isEmpty())
            GTEST_SKIP() << "LUMIVO_RENDER_DIR is not set";
    }

    void save(QWidget& widget, const QString& name) { saveRendering(widget, m_folder, name); }
    void saveAsShown(QWidget& widget, const QString& name) { saveRendering(widget, m_folder, name, true); }

    QString m_folder;
};

} // namespace lumivo::test
