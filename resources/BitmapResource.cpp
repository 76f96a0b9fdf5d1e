#include "resources/BitmapResource.h"

namespace lumivo
{

QImage LoadBitmapResource(const QString& name)
{
    if (name.isEmpty())
        return {};
    const QString path = QStringLiteral(":/bitmap/") + name;
    QImage image(path.endsWith(QStringLiteral(".png")) ? path : path + QStringLiteral(".png"));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

QImage LoadBitmapResource(unsigned id)
{
    return LoadBitmapResource(QString::number(id));
}

} // namespace lumivo
