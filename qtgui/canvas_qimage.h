// The canvas seen as a QImage, without a copy: the one place where the
// engine's pixels meet Qt's image type, for the window and the command line.
#pragma once

#include "engine/raster/canvas.h"

#include <QImage>

namespace vellograph {

// The canvas words are laid out as QImage::Format_RGB32 (0xFFRRGGBB in
// native byte order), so the image wraps them as they are. It stays valid
// while the canvas lives and keeps its size; a canvas without pixels gives a
// null image.
inline QImage CanvasQImage(TCanvas& canvas) {
    if (canvas.width() <= 0 || canvas.height() <= 0) {
        return {};
    }
    return QImage(reinterpret_cast<uchar*>(canvas.bits()), canvas.width(), canvas.height(),
                  static_cast<qsizetype>(canvas.bytesPerLine()), QImage::Format_RGB32);
}

// Read-only: painting on the image copies it first and leaves the canvas as it is.
inline QImage CanvasQImage(const TCanvas& canvas) {
    if (canvas.width() <= 0 || canvas.height() <= 0) {
        return {};
    }
    return QImage(reinterpret_cast<const uchar*>(canvas.bits()), canvas.width(), canvas.height(),
                  static_cast<qsizetype>(canvas.bytesPerLine()), QImage::Format_RGB32);
}

} // namespace vellograph
