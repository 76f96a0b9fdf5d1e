#include "authoring/PictureFileChooser.h"

#include "authoring/AuthoringStrings.h"
#include "core/Picture.h"
#include "platform/ui/Ui.h"
#include "system/SystemStrings.h"

namespace
{

constexpr int kAllFilesText = 1003;

} // namespace

QString PictureFileFilter()
{
    return QStringLiteral("%1 (*.*)|*.*|JPEG (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp|PNG (*.png)|*.png|"
                          "PCX (*.pcx)|*.pcx|TIFF (*.tif)|*.tif|Photoshop (*.psd)|*.psd||")
        .arg(LoadSystemString(kAllFilesText));
}

std::optional<RgbImage> ChoosePictureFile(QWidget* owner, QString* path)
{
    using namespace lumivo::ui;
    const auto chosen =
        chooseOpenFile(LoadSystemString(9401), {}, windowsFilterToQt(PictureFileFilter()), owner);
    if (!chosen)
        return std::nullopt;
    if (path)
        *path = *chosen;
    auto picture = ReadImageFile(*chosen);
    if (!picture || !IsWellFormed(*picture)) {
        MessageBoxById(kStrCannotReadPicture, MB_OK | MB_ICONEXCLAMATION, *chosen);
        return std::nullopt;
    }
    return picture;
}
