#include "admin/ImportTextDlg.h"

#include "admin/DialogParts.h"
#include "admin/ImportStrings.h"
#include "system/SystemStrings.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace import_strings;

namespace
{

constexpr int kProgressEnd = 1000;

} // namespace

CImportTextDlg::CImportTextDlg(ImportItem item, TranslatedItems items, int titleId, int overwriteId,
                               int explanationId, QWidget* parent)
    : CImportDlg(item, titleId, overwriteId, parent), m_items(items)
{
    auto* explanation = lumivo::admin::labelOf(explanationId);
    explanation->setObjectName(QStringLiteral("formatText"));
    explanation->setWordWrap(true);
    ownRows()->addRow(explanation);
    m_importFiles->setText(LoadSystemString(kImportFile));
    finishInit();
    m_importFiles->setFocus();
}

void CImportTextDlg::importPaths(const QStringList& paths)
{
    m_progress->setRange(0, kProgressEnd);
    // The status keeps the count of the last line, so the person sees how many names were stored.
    ImportTextFiles(paths, m_items, *this, m_overwrite);
    UpdateControls();
}

void CImportTextDlg::SetProgress(int position)
{
    m_progress->setValue(position);
}

void CImportTextDlg::SetStatus(const QString& text)
{
    setStatus(text);
    // Lets the window repaint the progress and status while the files are read, without letting the
    // person start anything else.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CImportTextDlg::AppendLog(const QString& line)
{
    appendLog(line);
    UpdateControls();
}

CImportWordTextDlg::CImportWordTextDlg(QWidget* parent)
    : CImportTextDlg(ImportItem::Word, TranslatedItems::Words, kWordTextTitle, kOverwriteWords,
                     kWordTextFormat, parent)
{
}

CImportBgTextDlg::CImportBgTextDlg(QWidget* parent)
    : CImportTextDlg(ImportItem::Page, TranslatedItems::Pages, kPageTextTitle, kOverwritePages,
                     kPageTextFormat, parent)
{
}
