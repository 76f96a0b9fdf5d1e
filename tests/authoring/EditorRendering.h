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

class EditorRenderingTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        m_folder = qEnvironmentVariable("LUMIVO_RENDER_DIR");
        if (m_folder.isEmpty())
            GTEST_SKIP() << "LUMIVO_RENDER_DIR is not set";
        QDir().mkpath(m_folder);
    }

    // Shows `widget` at its preferred size and writes it to <folder>/<name>.png.
    void save(QWidget& widget, const QString& name)
    {
        widget.show();
        widget.resize(widget.sizeHint().expandedTo(widget.minimumSize()));
        // Controls made after their window shows appear once the events are handled.
        QCoreApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(m_folder + QLatin1Char('/') + name + QStringLiteral(".png")));
    }

    QString m_folder;
};

} // namespace lumivo::test
