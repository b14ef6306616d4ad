// Wide pens: the body of a segment, a parallelogram painted as horizontal spans.
#include "engine/raster/canvas.h"

#include "engine/raster/canvas_raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellograph {

namespace {

// One edge of a convex polygon walked down one row at a time; x is the
// ceiling of the exact crossing with the row.
struct EdgeWalker {
    std::int64_t x = 0;
    std::int64_t rem = 0; // x * height - exact numerator, in [0, height)
    std::int64_t height = 1;
    std::int64_t stepQ = 0;
    std::int64_t stepR = 0;

    void start(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by, std::int64_t y) {
        height = by - ay;
        const std::int64_t run = bx - ax;
        // Edges of short strokes are mostly steep: skip the division there.
        if (run >= 0 && run < height) {
            stepQ = 0;
        } else if (run < 0 && -run <= height) {
            stepQ = -1;
        } else {
            stepQ = raster::FloorDiv64(run, height);
        }
        stepR = run - stepQ * height;
        if (y == ay) {
            x = ax;
            rem = 0;
            return;
        }
        const raster::Int128 n = raster::Int128{run} * (y - ay);
        const raster::Int128 q = raster::CeilDiv(n, height);
        x = ax + static_cast<std::int64_t>(q);
        rem = static_cast<std::int64_t>(q * height - n);
    }
    void step() {
        x += stepQ;
        if (stepR > rem) {
            ++x;
            rem += height - stepR;
        } else {
            rem -= stepR;
        }
    }
};

// One side of the polygon: the chain of edges from the top vertex downwards.
struct Chain {
    const std::int64_t* xs;
    const std::int64_t* ys;
    int vertex; // upper end of the current edge
    int dir;
    std::int64_t endY = 0; // the current edge stops before this row
    EdgeWalker edge;

    void seek(std::int64_t y) {
        int next = (vertex + dir) & 3;
        while (ys[next] <= y) {
            vertex = next;
            next = (vertex + dir) & 3;
        }
        endY = ys[next];
        edge.start(xs[vertex], ys[vertex], xs[next], ys[next], y);
    }
};

} // namespace

void TCanvas::body(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    const std::int64_t w = penWidth_;
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    if (dy == 0 || dx == 0) {
        // Axis-aligned bodies are exactly w pixels thick, the extra pixel of an
        // even width on the top or left side, like the caps.
        const bool horizontal = dy == 0;
        const std::int64_t r0 = horizontal ? y0 - w / 2 : std::min(y0, y1);
        const std::int64_t r1 = horizontal ? r0 + w : std::max(y0, y1);
        const std::int64_t c0 = horizontal ? std::min(x0, x1) : x0 - w / 2;
        const std::int64_t c1 = horizontal ? std::max(x0, x1) : c0 + w;
        for (std::int64_t y = std::max<std::int64_t>(r0, 0);
             y < std::min<std::int64_t>(r1, height_); ++y) {
            raster::PaintSpan(row(y), width_, c0, c1, penPixel_);
        }
        return;
    }
    // Half-thickness offsets, each axis rounded half up on both sides of the
    // centre line; dx and dy are exact in double.
    // Below 2^26 the sum of squares is exact and sqrt rounds it correctly,
    // which is what hypot gives, only faster.
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const double len = (adx | ady) < (std::int64_t{1} << 26)
                           ? std::sqrt(static_cast<double>(adx * adx + ady * ady))
                           : std::hypot(static_cast<double>(dx), static_cast<double>(dy));
    const double wx = static_cast<double>(w * ady) / len;
    const double wy = static_cast<double>(w * adx) / len;
    // Half up; the values are never negative, so truncation is the floor.
    auto rnd = [](double v) { return static_cast<std::int64_t>(v + 0.5); };
    std::int64_t nx = rnd(wx / 2), ny = rnd(wy / 2);
    std::int64_t hx = rnd((wx + 1) / 2), hy = rnd((wy + 1) / 2);
    if (dx < 0) {
        ny = -ny;
        hy = -hy;
    }
    if (dy < 0) {
        std::swap(nx, hx);
        std::swap(ny, hy);
        nx = -nx;
        hx = -hx;
    }
    const std::int64_t xs[4] = {x0 - nx, x0 + hx, x1 + hx, x1 - nx};
    const std::int64_t ys[4] = {y0 + ny, y0 - hy, y1 - hy, y1 + ny};
    // Sign of (corner 1 - corner 0) x (corner 2 - corner 1) with y down.
    const std::int64_t turn = (hx + nx) * dy + (hy + ny) * dx;
    if (turn != 0) {
        quad(xs, ys, turn > 0);
    }
}

void TCanvas::quad(const std::int64_t (&xs)[4], const std::int64_t (&ys)[4], bool clockwise) {
    // Top-left rule: rows from the top vertex's row up to (not including) the
    // bottom vertex's; in a row, x from ceil(left crossing) to before
    // ceil(right crossing).
    const auto [minX, maxX] = std::minmax({xs[0], xs[1], xs[2], xs[3]});
    if (maxX <= 0 || minX >= width_) {
        return;
    }
    int topVertex = 0;
    for (int i = 1; i < 4; ++i) {
        if (ys[i] < ys[topVertex]) {
            topVertex = i;
        }
    }
    const std::int64_t bottom = std::max({ys[0], ys[1], ys[2], ys[3]});
    const std::int64_t yBegin = std::max<std::int64_t>(ys[topVertex], 0);
    const std::int64_t yEnd = std::min<std::int64_t>(bottom, height_);
    if (yBegin >= yEnd) {
        return;
    }
    // Going round the corners in their order turns right on screen when
    // clockwise, so that chain is the right-hand side.
    Chain right{xs, ys, topVertex, clockwise ? 1 : 3, 0, {}};
    Chain left{xs, ys, topVertex, clockwise ? 3 : 1, 0, {}};
    right.seek(yBegin);
    left.seek(yBegin);
    for (std::int64_t y = yBegin; y < yEnd; ++y) {
        if (y == right.endY) {
            right.seek(y);
        }
        if (y == left.endY) {
            left.seek(y);
        }
        raster::PaintSpan(row(y), width_, left.edge.x, right.edge.x, penPixel_);
        right.edge.step();
        left.edge.step();
    }
}

} // namespace vellograph
