#pragma once
// The one picture-file chooser of the authoring tools (the page editor's image page, the page wizard,
// the icon wizard's picture page and the crop dialog): an open-file dialog for an existing file of the
// six picture formats the program reads, which reads the chosen file into an RGB picture (see
// authoring/ImageOperations.h), turned upright as the file says.

#include "authoring/ImageOperations.h"

#include <QString>

#include <optional>

class QWidget;

// The dialog's filter, in the "|"-separated form: all files, JPEG, Bitmap, PNG, PCX, TIFF, Photoshop.
QString PictureFileFilter();

// Asks for a picture file and reads it; nothing when the person cancels, or when the file cannot be
// read (the person is told, with the file's name). `path` receives the chosen file either way.
std::optional<RgbImage> ChoosePictureFile(QWidget* owner, QString* path = nullptr);
