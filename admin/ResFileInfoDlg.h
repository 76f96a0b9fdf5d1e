#pragma once
// Facts about the resource editor's file: its path, its length, and how many records and types of
// record it holds.

#include <QDialog>

class CResFileInfoDlg : public QDialog
{
public:
    explicit CResFileInfoDlg(int file, QWidget* parent = nullptr);

    // Shows the facts of `file` modally; IDOK or IDCANCEL.
    static int Run(int file, QWidget* parent = nullptr);

    // "%d Bytes = %d KBytes", the kilobytes whole.
    static QString SizeText(std::int64_t bytes);
};
