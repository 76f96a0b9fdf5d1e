#pragma once
// The clean world every test starts from: a private temporary HOME, XDG folders and TMPDIR, the
// program's globals reset, and the layers the test program links wired to each other as main() wires
// them. Tests derive from LumivoTest instead of ::testing::Test.

#include <gtest/gtest.h>

#include <QString>

namespace lumivo::test
{

class LumivoTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh folder for this test, removed afterwards.
    const QString& tempDir() const { return m_tempDir; }
    QString tempPath(const QString& name) const { return m_tempDir + QLatin1Char('/') + name; }

private:
    QString m_tempDir;
};

// Puts every global of the program back as a fresh start has it, so that no state leaks from one test
// into the next: each folder's own reset, in one list (doc/design.md, "Globals and resets").
void resetGlobals();

} // namespace lumivo::test
