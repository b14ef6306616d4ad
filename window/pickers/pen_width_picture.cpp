// The pen width picker's picture.
#include "window/pickers/pen_width_picture.h"

#include "engine/playback/render.h"

namespace vellograph {

std::int32_t PenWidthFromPickerX(std::int32_t x, std::int32_t pictureWidth) {
    const std::int64_t w = (static_cast<std::int64_t>(x) - pictureWidth / 4) / 2;
    return w < 1 ? DefaultPenWidth : static_cast<std::int32_t>(w > INT32_MAX ? INT32_MAX : w);
}

void DrawPenWidthPreview(TCanvas& canvas, std::int32_t width, std::int32_t height) {
    ClearSurface(canvas, ClearColor);
    canvas.setPenWidth(PenWidth);
    canvas.setPenColor(PenColor);
    canvas.moveTo(width / 4, height / 2);
    canvas.lineTo(width, height / 2);
    canvas.setPenWidth(1);
    canvas.setPenColor(0);
    canvas.moveTo(0, 0);
    canvas.lineTo(width - 1, 0);
    canvas.lineTo(width - 1, height - 1);
    canvas.lineTo(0, height - 1);
    canvas.lineTo(0, 0);
}

} // namespace vellograph
