// The page wizard's name and picture pages, and the fit of its pictures.

#include "authoring/AuthoringStrings.h"
#include "authoring/MediaRecords.h"
#include "authoring/PageWizard.h"
#include "authoring/PictureFileChooser.h"
#include "core/FrameSizes.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "store/PictureFormat.h"
#include "store/ResourceTypes.h"
#include "system/SystemStrings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace
{

constexpr int kNameTitleText = 9208;
constexpr int kNameInstructionText = 9209;
constexpr int kNameTakenText = 9210;
constexpr int kNextOnlyText = 9212;
constexpr int kNextAndFinishText = 9213;
constexpr int kFinishOnlyText = 9214;
constexpr int kNeitherText = 9215;
constexpr int kPictureInstructionText = 9216;
constexpr int kChooseFileText = 9217;
constexpr int kFromPageText = 9218;
constexpr int kPictureTitleText = 9219;
constexpr int kDeletePictureText = 9220;
constexpr int kSizeHintText = 9221;
// How near a picture may be to the page's size to be taken as it is.
constexpr int kSizeTolerance = 2;
constexpr std::uint16_t kPictureCompression = 1;

// Whether any page of the index has the name, whatever the case of its letters.
bool pageNameTaken(const QString& name)
{
    const CSortedStringArray& names = theBgIndex.Names();
    for (int i = 0; i < names.GetSize(); ++i) {
        if (names.GetAt(i).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QSize standardPageSize(int mode)
{
    const CSize size = GetFrameSizePageSize(mode);
    return {size.cx, size.cy};
}

// The picture scaled to cover the size, then cut at its middle to exactly that size. The side that
// decides is the one on which the picture is relatively shorter, so the cut never reaches outside the
// scaled picture.
std::optional<RgbImage> coverAndCut(const RgbImage& image, QSize target)
{
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    const std::int64_t mw = target.width();
    const std::int64_t mh = target.height();
    if (w * mh >= mw * h) {
        const auto scaledWidth = static_cast<int>(w * mh / h);
        const std::optional<RgbImage> scaled = ResizeRgb(image, scaledWidth + 1, int(mh) + 1);
        if (!scaled)
            return std::nullopt;
        const int left = (scaledWidth - int(mw)) / 2;
        return CropRgb(*scaled, left, 0, left + int(mw), int(mh));
    }
    const auto scaledHeight = static_cast<int>(h * mw / w);
    const std::optional<RgbImage> scaled = ResizeRgb(image, int(mw) + 1, scaledHeight + 1);
    if (!scaled)
        return std::nullopt;
    const int top = (scaledHeight - int(mh)) / 2;
    return CropRgb(*scaled, 0, top, int(mw), top + int(mh));
}

} // namespace

std::optional<RgbImage> FitToStandardPageSize(const RgbImage& image, QSize page)
{
    const int w = image.width;
    const int h = image.height;
    if (!IsWellFormed(image) || w <= 0 || h <= 0 || page.width() <= 0 || page.height() <= 0)
        return std::nullopt;
    if (std::abs(w - page.width()) <= kSizeTolerance && std::abs(h - page.height()) <= kSizeTolerance)
        return image;
    const bool wider = std::int64_t(page.width()) * 1000 / page.height() < std::int64_t(w) * 1000 / h;
    for (int mode = kLastFrameSizeMode; mode >= kFirstFrameSizeMode; --mode) {
        const QSize size = standardPageSize(mode);
        const bool fits = wider ? size.height() < h && size.height() <= page.height()
                                : size.width() < w && size.width() <= page.width();
        if (fits)
            return coverAndCut(image, size);
    }
    return std::nullopt;
}

// ---- The page's name --------------------------------------------------------------------------------

void CPageWizardNamePage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kNameTitleText), LoadSystemString(kNameInstructionText));
    m_edit = new QLineEdit;
    m_edit->setObjectName(QStringLiteral("pageNameEdit"));
    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("pageNameMessage"));
    m_message->setWordWrap(true);
    controls->addWidget(m_edit);
    controls->addWidget(m_message);
    controls->addStretch(1);
    CQuibBg* working = m_wizard.WorkingPage();
    m_name = working ? working->Name : QString();
    m_valid = working && working == m_wizard.GivenPage();
    QObject::connect(m_edit, &QLineEdit::textEdited, [this] {
        UpdateData(true);
        UpdateData(false);
    });
    m_initialised = true;
}

void CPageWizardNamePage::OnSetActive()
{
    m_edit->setFocus();
}

void CPageWizardNamePage::DoDataExchange(bool save)
{
    if (save) {
        m_name = m_edit->text();
        return;
    }
    if (m_edit->text() != m_name)
        m_edit->setText(m_name);
    if (m_initialised)
        validate();
}

// A name is valid when it is not empty and no other page has it (in any case of its letters). The page's
// own name, however written, keeps the state it had.
void CPageWizardNamePage::validate()
{
    m_message->clear();
    CQuibBg* working = m_wizard.WorkingPage();
    if (m_name.isEmpty()) {
        m_valid = false;
    } else if (!working || m_name.compare(working->Name, Qt::CaseInsensitive) != 0) {
        SetCanFinish(true);
        m_valid = !pageNameTaken(m_name);
        if (!m_valid)
            m_message->setText(LoadSystemString(kNameTakenText) + QLatin1Char(' '));
    }
    GetOwner()->EnableNext(m_valid);
    GetOwner()->UpdateFinish();
    SetComplete(m_valid);
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
}

void CPageWizardNamePage::OnApply()
{
    CQuibBg* working = m_wizard.WorkingPage();
    if (!working || !IsCreated())
        return;
    working->Name = m_name;
    working->Commit();
}

// ---- The page's picture -----------------------------------------------------------------------------

void CPageWizardPicturePage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kPictureTitleText), LoadSystemString(kPictureInstructionText));
    FooterLabel()->setText(LoadSystemString(kFinishOnlyText));
    m_choose = AddButton(*controls, kChooseFileText, "pagePictureChoose");
    m_fromPage = AddButton(*controls, kFromPageText, "pagePictureFromPage"); // offered, without an action
    m_delete = AddButton(*controls, kDeletePictureText, "pagePictureDelete");
    m_sizeHint = new QLabel;
    m_sizeHint->setObjectName(QStringLiteral("pagePictureSizeHint"));
    m_sizeHint->setWordWrap(true);
    controls->addWidget(m_sizeHint);
    controls->addStretch(1);
    QObject::connect(m_choose, &QPushButton::clicked, [this] { ChoosePicture(); });
    QObject::connect(m_delete, &QPushButton::clicked, [this] { DeletePicture(); });
    m_initialised = true;
}

bool CPageWizardPicturePage::fileHoldsPicture() const
{
    const std::int32_t id = m_wizard.PageId();
    const std::int32_t type = MakePictType(kPageWizardPictureKind, std::int16_t(m_wizard.Language()));
    return id != 0 && m_wizard.File() != 0 && ResourceExists(id, type, m_wizard.File());
}

void CPageWizardPicturePage::DoDataExchange(bool save)
{
    if (save || !m_initialised)
        return;
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
    m_delete->setEnabled(!m_deleted && (m_image || fileHoldsPicture()));
    const CSize size = GetFrameSizePageSize(theFrameSizeMode);
    m_sizeHint->setText(size.cx > 0 && size.cy > 0
                            ? FillPlaceholders(LoadSystemString(kSizeHintText),
                                               {QString::number(size.cx), QString::number(size.cy)})
                            : QString());
}

// A picture that cannot be fitted leaves the choice made before.
void CPageWizardPicturePage::ChoosePicture()
{
    const std::optional<RgbImage> chosen = ChoosePictureFile(GetWidget());
    if (!chosen)
        return;
    const CSize size = GetFrameSizePageSize(theFrameSizeMode);
    std::optional<RgbImage> fitted = FitToStandardPageSize(*chosen, QSize(size.cx, size.cy));
    if (!fitted)
        return;
    m_image = std::move(fitted);
    m_deleted = false;
    SetCanFinish(true);
    UpdateData(false);
}

void CPageWizardPicturePage::DeletePicture()
{
    m_deleted = true;
    SetCanFinish(true);
    UpdateData(false);
}

void CPageWizardPicturePage::OnDestroyPage()
{
    m_image.reset();
}

void CPageWizardPicturePage::OnApply()
{
    const std::int32_t id = m_wizard.PageId();
    if (!m_wizard.WorkingPage() || id == 0 || !IsCreated() || (!m_image && !m_deleted))
        return;
    const RecordPlace place{id, m_wizard.File(),
                            MakePictType(kPageWizardPictureKind, std::int16_t(m_wizard.Language()))};
    // The picture chosen replaces the stored one only once it is encoded.
    const MediaRecordError error =
        m_image ? StorePictureRecord(*m_image, place, kPictureCompression, pictJpeg70) : RemoveRecord(place);
    m_wizard.NoteFailure(messageIdOf(error), GetResFilePath(m_wizard.File()));
    m_image.reset();
}
