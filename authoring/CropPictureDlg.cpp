#include "authoring/CropPictureDlg.h"

#include "authoring/AuthoringStrings.h"
#include "authoring/PictureFileChooser.h"
#include "core/Picture.h"
#include "core/User.h"
#include "panes/Pane.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "store/Registry.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "system/UtilityNotices.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

constexpr int kTitleText = 9393;
constexpr int kRotateTip = 9394;
constexpr int kGuideText = 9395;
constexpr int kNextTip = 9399;
constexpr int kPreviousTip = 9400;
constexpr int kOpenFileTip = 9401;
constexpr int kOpenFolderTip = 9402;
constexpr int kDeleteTip = 9403;
constexpr int kChooseFolderText = 9404;
constexpr int kStatusText = 9405;
constexpr int kOkText = 1005;
constexpr int kCancelText = 1006;
constexpr int kStatusPathLength = 85;
const QSize kMinimumSize(580, 300);

Qt::CursorShape cursorOfHandle(int handle)
{
    switch (handle) {
    case 1:
    case 5:
        return Qt::SizeVerCursor;
    case 2:
    case 6:
        return Qt::SizeBDiagCursor;
    case 3:
    case 7:
        return Qt::SizeHorCursor;
    case 4:
    case 8:
        return Qt::SizeFDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

// Shows the wait cursor while a picture loads.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

// The picture with its red frame, and the dragging of the frame's edges.
class CCropPictureArea : public QWidget
{
public:
    explicit CCropPictureArea(CCropPictureDlg& dialog) : m_dialog(dialog)
    {
        setObjectName(QStringLiteral("cropPictureArea"));
        setMouseTracking(true);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    // A new picture (or none), or the same picture turned.
    void SetPicture(const std::optional<RgbImage>& picture)
    {
        m_full = picture ? ToDisplayImage(*picture) : QImage();
        m_shownCopy = QImage();
        layOut();
    }

    void layOut()
    {
        const CRect area(0, 0, width(), height());
        m_layout = LayOutCrop(area, m_full.width(), m_full.height(), m_dialog.Margins());
        if (!m_full.isNull() && m_shownCopy.size() != toQRect(m_layout.shown).size())
            m_shownCopy = m_full.scaled(toQRect(m_layout.shown).size(), Qt::IgnoreAspectRatio,
                                        Qt::SmoothTransformation);
        update();
    }

    const CropLayout& Layout() const { return m_layout; }

protected:
    void resizeEvent(QResizeEvent*) override { layOut(); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (m_full.isNull())
            return;
        painter.drawImage(toQRect(m_layout.shown), m_shownCopy);
        CPane::DrawFrameBands(painter, m_layout.frame, kFrameLineWidth, RGB(0, 0, 0));
        CRect inner = m_layout.frame;
        inner.DeflateRect(1, 1);
        CPane::DrawFrameBands(painter, inner, kFrameLineWidth - 2, RGB(255, 0, 0));
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        const int handle = handleAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && handle != kNoHandle) {
            m_grabbed = handle;
            m_dragging = true;
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint point = event->position().toPoint();
        if (m_dragging && !(event->buttons() & Qt::LeftButton)) {
            endDrag();
            return;
        }
        if (!m_dragging) {
            setCursor(cursorOfHandle(handleAt(point)));
            return;
        }
        m_layout.frame = DragFrame(m_layout.frame, m_grabbed, POINT{point.x(), point.y()}, m_layout.shown);
        update();
    }

    void mouseReleaseEvent(QMouseEvent*) override
    {
        if (m_dragging)
            endDrag();
    }

private:
    int handleAt(QPoint point) const
    {
        return m_full.isNull() ? kNoHandle : HandleAt(m_layout.frame, POINT{point.x(), point.y()});
    }

    void endDrag()
    {
        m_dragging = false;
        m_grabbed = kNoHandle;
        m_dialog.SetMargins(MarginsOfFrame(m_layout.frame, m_layout.shown));
    }

    CCropPictureDlg& m_dialog;
    QImage m_full;
    QImage m_shownCopy; // the picture at the size shown, made once per size
    CropLayout m_layout;
    int m_grabbed = kNoHandle;
    bool m_dragging = false;
};

// ---- The dialog ---------------------------------------------------------------------------------------

CCropPictureDlg::CCropPictureDlg(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("cropPictureDialog"));
    setWindowTitle(LoadSystemString(kTitleText));
    setMinimumSize(kMinimumSize);
    buildControls();
    if (theCurrentUser)
        SetDeletedFolder(theCurrentUser->DeletedPicturesFolder);
    updateButtons();
}

CCropPictureDlg::~CCropPictureDlg() = default;

void CCropPictureDlg::buildControls()
{
    auto* column = new QVBoxLayout(this);
    auto* guide = new QLabel(LoadSystemString(kGuideText));
    guide->setWordWrap(true);
    column->addWidget(guide);
    m_area = new CCropPictureArea(*this);
    column->addWidget(m_area, 1);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("cropStatus"));
    column->addWidget(m_status);

    auto* row = new QHBoxLayout;
    m_rotate = addToolButton(QStyle::SP_BrowserReload, kRotateTip, "cropRotate");
    m_previous = addToolButton(QStyle::SP_ArrowBack, kPreviousTip, "cropPrevious");
    m_next = addToolButton(QStyle::SP_ArrowForward, kNextTip, "cropNext");
    m_openFile = addToolButton(QStyle::SP_DialogOpenButton, kOpenFileTip, "cropOpenFile");
    m_openFolder = addToolButton(QStyle::SP_DirOpenIcon, kOpenFolderTip, "cropOpenFolder");
    m_delete = addToolButton(QStyle::SP_TrashIcon, kDeleteTip, "cropDelete");
    for (QToolButton* button : {m_rotate, m_previous, m_next, m_openFile, m_openFolder, m_delete})
        row->addWidget(button);
    row->addStretch(1);
    m_ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), LoadSystemString(kOkText));
    m_ok->setDefault(true);
    auto* cancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), LoadSystemString(kCancelText));
    row->addWidget(m_ok);
    row->addWidget(cancel);
    column->addLayout(row);

    connect(m_rotate, &QToolButton::clicked, this, &CCropPictureDlg::RotatePicture);
    connect(m_previous, &QToolButton::clicked, this, &CCropPictureDlg::PreviousPicture);
    connect(m_next, &QToolButton::clicked, this, &CCropPictureDlg::NextPicture);
    connect(m_openFile, &QToolButton::clicked, this, &CCropPictureDlg::OpenPictureFile);
    connect(m_openFolder, &QToolButton::clicked, this, &CCropPictureDlg::OpenPictureFolder);
    connect(m_delete, &QToolButton::clicked, this, &CCropPictureDlg::DeletePicture);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QToolButton* CCropPictureDlg::addToolButton(int iconStyle, int tipId, const char* name)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(style()->standardIcon(QStyle::StandardPixmap(iconStyle)));
    button->setToolTip(LoadSystemString(tipId));
    button->setAccessibleName(LoadSystemString(tipId));
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void CCropPictureDlg::SetDeletedFolder(const QString& folder)
{
    m_deletedFolder = folder;
    const auto info = lumivo::files::fileSystem().info(folder);
    m_delete->setVisible(!folder.isEmpty() && info.exists && info.isDirectory);
}

void CCropPictureDlg::SetFolders(const QStringList& folders)
{
    m_folders = folders;
    buildFileList();
    if (!loadFirstLoadable(0))
        pictureChanged();
}

void CCropPictureDlg::buildFileList()
{
    m_files.clear();
    m_position = -1;
    for (const QString& folder : m_folders) {
        QStringList found;
        ListFolderTree(found, folder);
        found.sort();
        for (const QString& path : found)
            if (IsCropListedFile(path))
                m_files.append(path);
    }
}

bool CCropPictureDlg::loadFirstLoadable(int from)
{
    for (int position = from; position < m_files.size(); ++position)
        if (LoadPictureAt(position))
            return true;
    return false;
}

void CCropPictureDlg::clearPicture()
{
    m_picture.reset();
    m_currentFile.clear();
    m_margins = {};
}

bool CCropPictureDlg::LoadPictureAt(int position)
{
    if (position < 0 || position >= m_files.size())
        return false;
    const WaitCursor wait;
    clearPicture();
    m_position = position;
    m_currentFile = m_files.at(position);
    if (auto picture = ReadImageFile(m_currentFile); picture && IsWellFormed(*picture))
        m_picture = std::move(picture);
    pictureChanged();
    return m_picture.has_value();
}

void CCropPictureDlg::ShowPicture(RgbImage picture, const QString& path)
{
    m_files.clear();
    m_position = -1;
    clearPicture();
    m_currentFile = path;
    if (IsWellFormed(picture))
        m_picture = std::move(picture);
    pictureChanged();
}

void CCropPictureDlg::pictureChanged()
{
    m_area->SetPicture(m_picture);
    m_status->setText(StatusText());
    updateButtons();
}

QString CCropPictureDlg::StatusText() const
{
    if (!m_picture)
        return {};
    const QString path = AbbreviatePath(m_currentFile, kStatusPathLength);
    if (m_position < 0)
        return path;
    return QString::asprintf(LoadSystemString(kStatusText).toUtf8().constData(), m_position + 1,
                             int(m_files.size()), path.toUtf8().constData());
}

void CCropPictureDlg::updateButtons()
{
    m_previous->setEnabled(m_position > 0);
    m_next->setEnabled(m_position >= 0 && m_position + 1 < m_files.size());
    m_rotate->setEnabled(m_picture.has_value());
    m_delete->setEnabled(m_picture.has_value() && !m_currentFile.isEmpty());
}

void CCropPictureDlg::SetMargins(const CropMargins& margins)
{
    m_margins = margins;
    m_area->layOut();
}

std::optional<RgbImage> CCropPictureDlg::CroppedPicture() const
{
    if (!m_picture)
        return std::nullopt;
    return CropByMargins(*m_picture, m_margins);
}

void CCropPictureDlg::NextPicture()
{
    if (m_position >= 0 && m_position + 1 < m_files.size())
        LoadPictureAt(m_position + 1);
}

void CCropPictureDlg::PreviousPicture()
{
    if (m_position > 0)
        LoadPictureAt(m_position - 1);
}

void CCropPictureDlg::RotatePicture()
{
    if (!m_picture)
        return;
    auto turned = RotateRgbClockwise(*m_picture);
    if (!turned)
        return;
    m_picture = std::move(turned);
    m_margins = RotateMarginsClockwise(m_margins);
    pictureChanged();
}

void CCropPictureDlg::OpenPictureFile()
{
    QString path;
    auto picture = ChoosePictureFile(this, &path);
    if (!picture)
        return;
    ShowPicture(std::move(*picture), path);
}

void CCropPictureDlg::OpenPictureFolder()
{
    QString folder;
    if (!BrowseForFolder(folder, this, LoadSystemString(kChooseFolderText)))
        return;
    SetFolders({folder});
}

bool CCropPictureDlg::moveFile(const QString& from, const QString& to) const
{
    auto& files = lumivo::files::fileSystem();
    if (files.rename(from, to))
        return true;
    // Across disks a rename cannot move the file: it is copied, and the original goes only once the
    // copy is complete.
    std::vector<std::uint8_t> bytes;
    if (!lumivo::files::readWholeFile(from, bytes) ||
        !lumivo::files::writeFileAtomically(to, bytes.data(), bytes.size()))
        return false;
    return files.remove(from) || (files.remove(to), false);
}

void CCropPictureDlg::DeletePicture()
{
    if (m_currentFile.isEmpty() || m_deletedFolder.isEmpty())
        return;
    if (!moveFile(m_currentFile, DeletedPictureTarget(m_deletedFolder, m_currentFile))) {
        // Nothing changes, and the author learns why the picture did not go.
        MessageBoxById(kStrCannotMovePicture, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                       m_currentFile);
        return;
    }
    if (m_position < 0 || m_position >= m_files.size()) {
        m_currentFile.clear(); // moved; it stays on display
        updateButtons();
        return;
    }
    const int removed = m_position;
    m_files.removeAt(removed);
    m_position = -1;
    if (m_files.isEmpty()) {
        // The picture stays on display until another file or folder is opened.
        m_currentFile.clear();
        updateButtons();
        return;
    }
    const int first = std::min(removed, int(m_files.size()) - 1);
    if (loadFirstLoadable(first))
        return;
    for (int position = first - 1; position >= 0; --position)
        if (LoadPictureAt(position))
            return;
}

int RunCropDialog(QWidget* owner, const QString& path, std::optional<RgbImage>& picture)
{
    CCropPictureDlg dialog(owner);
    if (picture)
        dialog.ShowPicture(*picture, path);
    else if (!path.isEmpty())
        dialog.ShowPicture(ReadImageFile(path).value_or(RgbImage{}), path);
    else if (theCurrentUser)
        dialog.SetFolders({theCurrentUser->PictureFolder, theCurrentUser->PictureFolder2});
    if (lumivo::ui::runModal(dialog) != lumivo::ui::IDOK)
        return lumivo::ui::IDCANCEL;
    picture = dialog.CroppedPicture();
    return lumivo::ui::IDOK;
}
