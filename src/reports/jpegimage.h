#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures through libjpeg.  Greyscale pictures decode to
// Format_Grayscale8, colour pictures to Format_RGB888; the resolution of the
// JFIF header becomes the image's dots per metre.
namespace jpeg {

// Null image, and a message in `error`, when the data is not a readable JPEG.
QImage decode(const QByteArray &data, QString *error = nullptr);

// Encodes a greyscale or colour image at `dpi` (written into the JFIF header).
QByteArray encode(const QImage &image, int quality, int dpi);

} // namespace jpeg
