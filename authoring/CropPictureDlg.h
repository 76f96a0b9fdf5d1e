#pragma once
// The crop dialog ("Picture crop"): the author browses the pictures of their picture folders (sub-folders
// too), turns a picture a quarter turn, throws one away into the deleted-pictures folder, and cuts the
// picture down by dragging the edges of a red frame. RunCropDialog hands back the picture cut by the
// frame.
//
// The frame is kept as margins in per mille of the picture (see CropMargins), so it stays where it is
// on the picture whatever size the window has; turning the picture turns the margins with it.

#include "authoring/CropFrame.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

#include <optional>

class QLabel;
class QToolButton;
class QPushButton;
class CCropPictureArea;

class CCropPictureDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CCropPictureDlg(QWidget* owner = nullptr);
    ~CCropPictureDlg() override;

    // Browses the files below these folders; the first one that loads is shown.
    void SetFolders(const QStringList& folders);
    // Shows one picture (the chooser's, or one given), outside any list.
    void ShowPicture(RgbImage picture, const QString& path);
    // Loads the file at a position of the list; false when it cannot be read (then no picture shows).
    bool LoadPictureAt(int position);
    void NextPicture();
    void PreviousPicture();
    void RotatePicture();
    void OpenPictureFile();
    void OpenPictureFolder();
    // Moves the current file to the deleted-pictures folder and shows a neighbour of the list. A file
    // that cannot be moved stays where it is, and in the list, and the author is told.
    void DeletePicture();

    const std::optional<RgbImage>& Picture() const { return m_picture; }
    const CropMargins& Margins() const { return m_margins; }
    void SetMargins(const CropMargins& margins);
    // The picture as OK hands it back: cut by the margins (none when no picture is shown).
    std::optional<RgbImage> CroppedPicture() const;

    const QStringList& Files() const { return m_files; }
    int Position() const { return m_position; }
    const QString& CurrentFile() const { return m_currentFile; }
    QString StatusText() const;
    QString DeletedFolder() const { return m_deletedFolder; }
    void SetDeletedFolder(const QString& folder);

private:
    void buildControls();
    QToolButton* addToolButton(int iconStyle, int tipId, const char* name);
    void buildFileList();
    bool loadFirstLoadable(int from);
    void clearPicture();
    void pictureChanged();
    void updateButtons();
    bool moveFile(const QString& from, const QString& to) const;

    std::optional<RgbImage> m_picture;
    QString m_currentFile;
    QStringList m_folders;
    QStringList m_files;
    int m_position = -1; // in m_files; -1 for a file opened on its own or none
    CropMargins m_margins;
    QString m_deletedFolder;

    CCropPictureArea* m_area = nullptr;
    QLabel* m_status = nullptr;
    QToolButton* m_rotate = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_openFile = nullptr;
    QToolButton* m_openFolder = nullptr;
    QToolButton* m_delete = nullptr;
    QPushButton* m_ok = nullptr;
};

// Runs the dialog over the user's picture folders (with `path`, on that file alone; with a picture, on
// that picture). On OK `picture` becomes the dialog's picture cut by the frame (none when none was
// shown); on Cancel it is left as it was. Returns IDOK or IDCANCEL.
int RunCropDialog(QWidget* owner, const QString& path, std::optional<RgbImage>& picture);
