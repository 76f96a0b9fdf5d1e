#pragma once
// "Transfer background with assets": a page, its pictures, the words of its icons and their pictures,
// listed and copied into the output file, so that the output file holds a complete set to edit or
// translate. A copy, not a move: the data file keeps its records. The page shown and the loaded words
// are filed under their copies, so that later edits go to the output file.

#include <QDialog>

#include <memory>
#include <vector>

class CMyRes;
class CQuibBg;
class QPushButton;
class QTreeWidget;

enum class TransferError { None, NoOutputFile, StoreFailed };
// The system string that says what went wrong; 0 for None.
int messageIdOf(TransferError error);

struct TransferResult {
    TransferError error = TransferError::None;
    QString detail; // the names that could not be copied
    int copied = 0;
};

class CTransferBgDlg : public QDialog
{
public:
    explicit CTransferBgDlg(CQuibBg& page, QWidget* parent = nullptr);
    ~CTransferBgDlg() override;

    // Copies every listed item that the output file does not hold yet.
    TransferResult TransferAll();

    int RowCount() const;

private:
    struct Row;
    void fillList();
    void addRow(CMyRes& object, int label, const QString& name, std::unique_ptr<CMyRes> owned = {});
    void addPictures(std::int32_t id, std::initializer_list<int> kinds, int label, const QString& name);
    void addWordsOfIcons();
    void transferAll();

    CQuibBg& m_page;
    std::vector<Row> m_rows;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_transfer = nullptr;
};

// The page editor's "Transfer background..." (5622): the dialog for `page`; nothing without one.
void TransferBackgroundAssets(CQuibBg* page);
