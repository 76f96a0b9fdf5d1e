#pragma once
// The two imports of translated names from text files: words (command 5069) and pages (command
// 5070). Each is the import dialog base with a text explaining the file format; the chosen files go to
// ImportTextFiles, which reports here through the sink.

#include "admin/ImportDlg.h"
#include "admin/TranslatedNamesImport.h"

class CImportTextDlg : public CImportDlg, public ImportTextSink
{
public:
    void SetProgress(int position) override;
    void SetStatus(const QString& text) override;
    void AppendLog(const QString& line) override;

protected:
    // `explanationId` is the system string telling what a file must hold.
    CImportTextDlg(ImportItem item, TranslatedItems items, int titleId, int overwriteId, int explanationId,
                   QWidget* parent);

    QString filterFormat() const override { return QStringLiteral("%s (*.*)|*.*|TEXT (*.txt)|*.txt||"); }
    QString defaultExtension() const override { return QStringLiteral("txt"); }
    void importPaths(const QStringList& paths) override;

private:
    TranslatedItems m_items;
};

class CImportWordTextDlg : public CImportTextDlg
{
public:
    explicit CImportWordTextDlg(QWidget* parent = nullptr);
};

class CImportBgTextDlg : public CImportTextDlg
{
public:
    explicit CImportBgTextDlg(QWidget* parent = nullptr);
};
