#include "authoring/IconWizardMedia.h"

#include "authoring/CropPictureDlg.h"
#include "authoring/IconWizard.h"
#include "authoring/MediaRecords.h"
#include "authoring/PictureFileChooser.h"
#include "core/Clip.h"
#include "core/Icon.h"
#include "platform/ui/Ui.h"
#include "store/PictureFormat.h"
#include "store/ResourceTypes.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int kNextAndFinishText = 9054;
constexpr int kNextOnlyText = 9056;
constexpr int kFinishOnlyText = 9059;
constexpr int kNeitherText = 9096;
constexpr int kPictureTitleText = 9069;
constexpr int kPictureDescriptionText = 9070;
constexpr int kChoosePictureText = 9071;
constexpr int kFromWordText = 9072;
constexpr int kChooseClipText = 9073;
constexpr int kReplacePictureText = 9074;
constexpr int kSoundTitleText = 9075;
constexpr int kSoundDescriptionText = 9076;
constexpr int kChooseSoundText = 9077;
constexpr int kStartRecordingText = 9078;
constexpr int kStopRecordingText = 9079;
constexpr int kPlaySoundText = 9080;
constexpr int kReplaceSoundText = 9081;
constexpr int kAllFilesText = 1003;
// The edit option that asks for the crop dialog when a picture is chosen.
constexpr std::uint16_t kEditOptionCropOnImport = 0x1000;
constexpr std::int16_t kMediaKind = 10;
constexpr std::int16_t kSoundKind = 5;
constexpr std::uint16_t kPictureCompression = 1;

// A label that ticks its check box when clicked, so a long text can wrap beside the box.
class BoxLabel : public QLabel
{
public:
    BoxLabel(const QString& text, QCheckBox& box) : QLabel(text), m_box(box)
    {
        setWordWrap(true);
        setBuddy(&box);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && m_box.isEnabled())
            m_box.click();
    }

private:
    QCheckBox& m_box;
};

QCheckBox* addReplaceBox(QVBoxLayout& controls, int text, const char* name)
{
    auto* row = new QHBoxLayout;
    auto* box = new QCheckBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(LoadSystemString(text));
    row->addWidget(box, 0, Qt::AlignTop);
    row->addWidget(new BoxLabel(LoadSystemString(text), *box), 1);
    controls.addLayout(row);
    return box;
}

} // namespace

// ---- The picture or clip ----------------------------------------------------------------------------

void CIconWizardPicturePage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kPictureTitleText), LoadSystemString(kPictureDescriptionText));
    m_choose = AddButton(*controls, kChoosePictureText, "iconPictureChoose");
    m_fromWord = AddButton(*controls, kFromWordText, "iconPictureFromWord"); // offered, without an action
    m_chooseClip = AddButton(*controls, kChooseClipText, "iconClipChoose");
    m_replace = addReplaceBox(*controls, kReplacePictureText, "iconPictureReplace");
    controls->addStretch(1);
    QObject::connect(m_choose, &QPushButton::clicked, [this] { ChoosePicture(); });
    QObject::connect(m_chooseClip, &QPushButton::clicked, [this] { ChooseClip(); });
    QObject::connect(m_replace, &QCheckBox::clicked, [this](bool ticked) { OnReplaceClicked(ticked); });
    m_initialised = true;
}

bool CIconWizardPicturePage::ReplacesWordPicture() const
{
    return m_wizard.LookPage().Look() == kIconLookWordPicture && m_wizard.ReplacesWordMedia(m_replaceState);
}

void CIconWizardPicturePage::DoDataExchange(bool save)
{
    if (save || !m_initialised)
        return;
    m_replace->setEnabled(m_wizard.LookPage().Look() == kIconLookWordPicture);
    m_replace->setChecked(ReplacesWordPicture());
    m_choose->setEnabled(true);
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
}

void CIconWizardPicturePage::OnReplaceClicked(bool ticked)
{
    m_replaceState = ticked ? kReplaceWordMedia : kKeepWordMedia;
    UpdateData(false);
}

void CIconWizardPicturePage::ChoosePicture()
{
    std::optional<RgbImage> picture;
    if (theEditOptions & kEditOptionCropOnImport) {
        if (RunCropDialog(GetWidget(), QString(), picture) != lumivo::ui::IDOK)
            picture.reset();
    } else {
        picture = ChoosePictureFile(GetWidget());
    }
    if (!picture)
        return;
    m_image = std::move(picture);
    SetCanFinish(true);
    UpdateData(false);
}

void CIconWizardPicturePage::ChooseClip()
{
    const QString filter = lumivo::ui::windowsFilterToQt(QStringLiteral("avi (*.avi)|*.avi||"));
    if (const auto path =
            lumivo::ui::chooseOpenFile(LoadSystemString(kChooseClipText), {}, filter, GetWidget()))
        m_clipPath = *path;
    SetCanFinish(true);
    UpdateData(false);
}

void CIconWizardPicturePage::OnDestroyPage()
{
    m_image.reset();
}

void CIconWizardPicturePage::OnApply()
{
    if (!m_wizard.WorkingIcon() || !CanFinish())
        return;
    if (m_image)
        storePicture();
    if (!m_clipPath.isEmpty())
        storeClip();
}

// A new icon takes the picture's proportions at the standard height, round the point where it was to
// go; an icon being edited keeps its rectangle and the picture is fitted into it.
CRect CIconWizardPicturePage::pictureRect() const
{
    const std::int64_t width = m_image->width;
    const std::int64_t height = m_image->height;
    if (m_wizard.Action() == kIconActionAdd && m_wizard.NewIcon()) {
        const auto side = static_cast<int>(kIconWizardIconSize * width / height);
        const CPoint centre = m_wizard.NewIcon()->ScreenRect.CenterPoint();
        return {centre.x - side / 2, centre.y - kIconWizardIconSize / 2, centre.x - side / 2 + side,
                centre.y + kIconWizardIconSize / 2};
    }
    const CQuibIcon* icon = m_wizard.ExistingIcon();
    if (m_wizard.Action() != kIconActionEdit || !icon || icon->ScreenRect.IsRectEmpty())
        return {};
    const std::int64_t iconWidth = icon->ScreenRect.Width();
    const std::int64_t iconHeight = icon->ScreenRect.Height();
    if (iconHeight / iconWidth > height / width)
        return {0, 0, int(iconWidth), int(iconWidth * height / width)};
    return {0, 0, int(iconHeight * width / height), int(iconHeight)};
}

void CIconWizardPicturePage::storePicture()
{
    const CRect rect = pictureRect();
    if (m_wizard.Action() == kIconActionAdd && m_wizard.NewIcon())
        m_wizard.NewIcon()->ScreenRect = rect;
    // A picture much larger than the icon is kept at most three times its size; a failed scaling
    // keeps it whole.
    if (kIconWizardScaleLimit * rect.Width() < m_image->width) {
        if (auto scaled = ResizeRgb(*m_image, kIconWizardScaleLimit * rect.Width(),
                                    kIconWizardScaleLimit * rect.Height()))
            m_image = std::move(scaled);
    }
    const std::int32_t id = m_wizard.MediaRecordId(ReplacesWordPicture());
    if (id != 0) {
        const RecordPlace place{id, m_wizard.TargetFile(),
                                MakePictType(kMediaKind, std::int16_t(m_wizard.Language()))};
        const MediaRecordError error = StorePictureRecord(*m_image, place, kPictureCompression, pictJpeg70);
        if (error == MediaRecordError::None)
            m_wizard.WorkingIcon()->PictId = id;
        m_wizard.NoteFailure(messageIdOf(error), GetResFilePath(m_wizard.TargetFile()));
    }
    m_image.reset();
}

void CIconWizardPicturePage::storeClip()
{
    const std::int32_t id = m_wizard.MediaRecordId(ReplacesWordPicture());
    if (id == 0)
        return;
    const RecordPlace place{id, m_wizard.TargetFile(),
                            CQuibAvi::MakeType(kMediaKind, std::int16_t(m_wizard.Language()))};
    const MediaRecordError error = StoreClipRecord(m_clipPath, place);
    if (error == MediaRecordError::None)
        m_wizard.WorkingIcon()->PictId = id;
    m_wizard.NoteFailure(messageIdOf(error), error == MediaRecordError::CannotRead
                                                 ? m_clipPath
                                                 : GetResFilePath(m_wizard.TargetFile()));
}

// ---- The sound --------------------------------------------------------------------------------------

CIconWizardSoundPage::CIconWizardSoundPage(CIconWizard& wizard)
    : m_wizard(wizard), m_recorder([this] { UpdateData(false); })
{
}

void CIconWizardSoundPage::OnInitDialog(QWidget& page)
{
    QVBoxLayout* controls =
        BuildFrame(page, LoadSystemString(kSoundTitleText), LoadSystemString(kSoundDescriptionText));
    m_chooseFile = AddButton(*controls, kChooseSoundText, "iconSoundChoose");
    m_record = AddButton(*controls, kStartRecordingText, "iconSoundRecord");
    m_play = AddButton(*controls, kPlaySoundText, "iconSoundPlay");
    m_replace = addReplaceBox(*controls, kReplaceSoundText, "iconSoundReplace");
    controls->addStretch(1);
    QObject::connect(m_chooseFile, &QPushButton::clicked, [this] { ChooseSoundFile(); });
    QObject::connect(m_record, &QPushButton::clicked, [this] { ToggleRecording(); });
    QObject::connect(m_play, &QPushButton::clicked, [this] { PlaySound(); });
    QObject::connect(m_replace, &QCheckBox::clicked, [this](bool ticked) { OnReplaceClicked(ticked); });
    m_initialised = true;
}

bool CIconWizardSoundPage::ReplacesWordSound() const
{
    return m_wizard.ReplacesWordMedia(m_replaceState);
}

void CIconWizardSoundPage::DoDataExchange(bool save)
{
    if (save || !m_initialised)
        return;
    m_replace->setChecked(ReplacesWordSound());
    m_record->setText(LoadSystemString(m_recorder.IsRecording() ? kStopRecordingText : kStartRecordingText));
    m_play->setEnabled(m_recorder.HasSound());
    SetFooterByButtons(kNextAndFinishText, kNextOnlyText, kFinishOnlyText, kNeitherText);
}

void CIconWizardSoundPage::OnReplaceClicked(bool ticked)
{
    m_replaceState = ticked ? kReplaceWordMedia : kKeepWordMedia;
    UpdateData(false);
}

void CIconWizardSoundPage::ChooseSoundFile()
{
    const QString filter = lumivo::ui::windowsFilterToQt(FillPlaceholders(
        QStringLiteral("WAVE (*.wav)|*.wav|%s (*.*)|*.*||"), {LoadSystemString(kAllFilesText)}));
    if (const auto path =
            lumivo::ui::chooseOpenFile(LoadSystemString(kChooseSoundText), {}, filter, GetWidget())) {
        m_recorder.LoadFile(*path);
        SetCanFinish(true);
    }
    UpdateData(false);
}

void CIconWizardSoundPage::ToggleRecording()
{
    m_recorder.ToggleRecording();
    SetCanFinish(true);
    UpdateData(false);
}

void CIconWizardSoundPage::PlaySound()
{
    m_recorder.Play();
    UpdateData(false);
}

bool CIconWizardSoundPage::OnKillActive()
{
    m_recorder.Stop();
    return true;
}

bool CIconWizardSoundPage::OnWizardFinish()
{
    m_recorder.Stop();
    UpdateData(false);
    return true;
}

void CIconWizardSoundPage::OnApply()
{
    if (!m_wizard.WorkingIcon() || !m_recorder.HasSound())
        return;
    const std::int32_t id = m_wizard.MediaRecordId(ReplacesWordSound());
    if (id == 0)
        return;
    const RecordPlace place{id, m_wizard.TargetFile(),
                            MakeSoundType(kSoundKind, std::int16_t(m_wizard.Language()))};
    const MediaRecordError error = StoreSoundRecord(*m_recorder.Sample(), place);
    if (error == MediaRecordError::None)
        m_wizard.WorkingIcon()->SoundId = id;
    m_wizard.NoteFailure(messageIdOf(error), GetResFilePath(m_wizard.TargetFile()));
}
