#pragma once

#include <QByteArray>
#include <QImage>

// Decodes JPEG data (greyscale or colour, baseline or progressive) with
// libjpeg into an RGB32 image; raises Error for data that is no usable JPEG.
QImage decodeJpeg(const QByteArray &data);
