// Round pen caps: the midpoint-ellipse span tables and painting a cap.
#include "engine/raster/canvas.h"

#include "engine/raster/canvas_raster.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vellograph {

namespace raster {

void BuildCapRows(int width, std::int32_t* rows) {
    // A midpoint circle walk in doubled coordinates about the centre of the
    // w x w box: the centre lies on a pixel for odd w and half a pixel up and
    // left of one for even w. A midpoint exactly on the circle counts as
    // outside in both regions of the walk.
    const std::int64_t r = width - 1; // doubled radius to the outermost pixel centres
    const std::int64_t r2 = r * r;
    const std::int64_t centre = width % 2 ? 0 : -1;
    const std::int64_t top = -(width / 2);
    std::int64_t x = width % 2 ? 0 : 1;
    std::int64_t y = r;
    auto record = [&] {
        // Offsets converted back to pixels (floor halving), mirrored top and bottom.
        const auto left = static_cast<std::int32_t>((centre - x) >> 1);
        const auto right = static_cast<std::int32_t>((centre + x) >> 1);
        for (const std::int64_t row : {(centre - y) >> 1, (centre + y) >> 1}) {
            std::int32_t* span = rows + 2 * (row - top);
            span[0] = std::min(span[0], left);
            span[1] = std::max(span[1], right);
        }
    };
    std::fill(rows, rows + 2 * width, 0);
    record();
    while (x < y) {
        if ((x + 2) * (x + 2) + (y - 1) * (y - 1) >= r2) {
            y -= 2;
        }
        x += 2;
        record();
    }
    while (y > 0) {
        if ((x + 1) * (x + 1) + (y - 2) * (y - 2) < r2) {
            x += 2;
        }
        y -= 2;
        if (y >= 0) {
            record();
        }
    }
}

const std::int32_t* SharedCapRows(int width) {
    struct Tables {
        std::vector<std::int32_t> rows;
        std::size_t start[SharedCapMaxWidth + 1] = {};
        Tables() {
            std::size_t total = 0;
            for (int w = 2; w <= SharedCapMaxWidth; ++w) {
                start[w] = total;
                total += 2 * static_cast<std::size_t>(w);
            }
            rows.resize(total);
            for (int w = 2; w <= SharedCapMaxWidth; ++w) {
                BuildCapRows(w, rows.data() + start[w]);
            }
        }
    };
    static const Tables tables;
    return tables.rows.data() + tables.start[width];
}

} // namespace raster

void TCanvas::cap(std::int64_t x, std::int64_t y) {
    const int w = penWidth_;
    const std::int32_t* rows = w <= raster::SharedCapMaxWidth ? sharedCap_ : wideCap_.data();
    const std::int64_t top = y - w / 2;
    const std::int64_t first = std::max<std::int64_t>(0, -top);
    const std::int64_t last = std::min<std::int64_t>(w, height_ - top);
    for (std::int64_t r = first; r < last; ++r) {
        raster::PaintSpan(row(top + r), width_, x + rows[2 * r], x + rows[2 * r + 1] + 1,
                          penPixel_);
    }
}

} // namespace vellograph
