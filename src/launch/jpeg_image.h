// JPEG pictures through libjpeg (the IJG interface): decoding the splash picture stored in the
// program, and encoding one (used to make that picture).
#pragma once

#include <QByteArray>
#include <QImage>

namespace launch {

// Decodes a JPEG held in memory; a null image when the data is no JPEG.
QImage DecodeJpeg(const QByteArray& data);
// Encodes an image as a baseline JPEG of the given quality (0 to 100).
QByteArray EncodeJpeg(const QImage& image, int quality = 90);

}  // namespace launch
