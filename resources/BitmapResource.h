#pragma once
// The program's own pictures, compiled in under ":/bitmap/" and named by their resource ids.

#include <QImage>
#include <QString>

namespace lumivo
{

// The picture of resource `name` (an id such as "159", with or without ".png"); a null image when the
// program has no such picture.
QImage LoadBitmapResource(const QString& name);
QImage LoadBitmapResource(unsigned id);

} // namespace lumivo
