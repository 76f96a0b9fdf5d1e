#pragma once
// Pictures of dialogs for a person to look at: a fill-in that saves what the dialog shows as a PNG.

#include "platform/ui/Ui.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <functional>

namespace lumivo::test
{

// The folder LUMIVO_DIALOG_PICTURES names; empty when pictures are not wanted.
inline QString dialogPictureFolder()
{
    return qEnvironmentVariable("LUMIVO_DIALOG_PICTURES");
}

// A fill-in that lays the dialog out, saves its picture as `<folder>/<name>.png` and cancels.
inline std::function<int(QDialog&)> dialogPicture(const QString& folder, const QString& name)
{
    return [folder, name](QDialog& dialog) {
        dialog.adjustSize();
        dialog.show();
        dialog.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
        dialog.hide();
        return int(lumivo::ui::IDCANCEL);
    };
}

// The pictures of one run: the folder, and the suffix of the language being shown ("-da", "-en").
struct DialogPictures {
    QString folder = dialogPictureFolder();
    QString suffix;

    std::function<int(QDialog&)> operator()(const QString& name) const
    {
        return dialogPicture(folder, name + suffix);
    }
};

} // namespace lumivo::test
