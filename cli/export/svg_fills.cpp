// Fill regions: the raster replay stops before each fill and floods a copy.
#include "cli/export/svg_fills.h"

#include "cli/export/export_replay.h"
#include "cli/export/svg_writer.h"
#include "engine/playback/played_records.h"
#include "engine/playback/render.h"

#include <algorithm>
#include <tuple>

namespace vellograph::cli {

std::vector<PixelBlock> BlocksOfColor(const TCanvas& canvas, TColor color) {
    const std::uint32_t want = TCanvas::toPixel(color) & 0xFFFFFFu;
    const int w = canvas.width();
    std::vector<PixelBlock> done;
    // Blocks still growing downward, in column order.
    std::vector<PixelBlock> open, next;
    for (int y = 0; y <= canvas.height(); ++y) {
        next.clear();
        const std::uint32_t* row =
            y < canvas.height() ? canvas.bits() + std::size_t(y) * w : nullptr;
        std::size_t k = 0; // into open
        for (int x = 0; row && x < w;) {
            if ((row[x] & 0xFFFFFFu) != want) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < w && (row[x] & 0xFFFFFFu) == want) {
                ++x;
            }
            for (; k < open.size() && open[k].x < start; ++k) {
                done.push_back(open[k]);
            }
            if (k < open.size() && open[k].x == start && open[k].width == x - start) {
                next.push_back(open[k++]);
                ++next.back().height;
            } else {
                next.push_back({start, y, x - start, 1});
            }
        }
        done.insert(done.end(), open.begin() + static_cast<std::ptrdiff_t>(k), open.end());
        open.swap(next);
    }
    std::sort(done.begin(), done.end(), [](const PixelBlock& a, const PixelBlock& b) {
        return std::tie(a.y, a.x) < std::tie(b.y, b.x);
    });
    return done;
}

std::vector<PixelBlock> FillRegion(const TCanvas& canvas) {
    const std::uint32_t border = TCanvas::toPixel(ClearBorderColor);
    const std::size_t n = std::size_t(canvas.width()) * std::size_t(canvas.height());
    const std::uint32_t* const from = canvas.bits();
    const std::uint32_t* const first =
        std::find_if(from, from + n, [&](std::uint32_t p) { return (p | 0xFF000000u) == border; });
    if (first == from + n && canvas.width() > 1 && canvas.height() > 1) {
        return {{0, 0, canvas.width(), canvas.height()}}; // nothing holds it back: all
    }
    // Only the border colour matters to the flood, so the copy is white
    // elsewhere and whatever the flood paints is the region.
    constexpr TColor Marker = 0x000002;
    TCanvas copy(canvas.width(), canvas.height());
    for (std::size_t i = static_cast<std::size_t>(first - from); i < n; ++i) {
        if ((from[i] | 0xFF000000u) == border) {
            copy.bits()[i] = border;
        }
    }
    ClearSurface(copy, Marker);
    return BlocksOfColor(copy, Marker);
}

std::vector<std::vector<PixelBlock>> TraceFillRegions(TAVecImage& drawing, const TViewParams& view,
                                                      int width, int height) {
    struct Fills : PlayedRecordVisitor {
        std::vector<std::int32_t> at;
        void OnFill(std::int32_t i, TColor) { at.push_back(i); }
    } fills;
    const std::int32_t played = ForEachPlayed(drawing, 0, drawing.LastIndex, fills);
    auto isFill = [&](std::int32_t i) {
        return std::binary_search(fills.at.begin(), fills.at.end(), i);
    };
    std::vector<std::vector<PixelBlock>> regions;
    if (fills.at.empty()) {
        return regions; // no need for the raster at all
    }
    if (isFill(0)) {
        regions.push_back(FillRegion(TCanvas(width, height))); // a fresh, white surface
    }
    TCanvas canvas;
    // Each stretch ends just before the next fill, so the snapshot sees the
    // surface that fill floods.
    ReplayStretches(
        canvas, width, height, drawing, view,
        [&](std::int32_t start) {
            const auto next = std::upper_bound(fills.at.begin(), fills.at.end(), start);
            return next == fills.at.end() ? played : *next;
        },
        [&](const TCanvas& now, std::int32_t end) {
            if (isFill(end)) {
                regions.push_back(FillRegion(now));
            }
        });
    return regions;
}

VectorPicture TraceDrawingOnSurface(TAVecImage& drawing, const TViewParams& view, int width,
                                    int height, double recordsPerSecond) {
    VectorPicture picture = TraceDrawing(drawing, view, recordsPerSecond);
    std::vector<std::vector<PixelBlock>> regions = TraceFillRegions(drawing, view, width, height);
    std::size_t k = 0;
    for (VectorElement& e : picture.elements) {
        if (e.kind == VectorElement::Fill && k < regions.size()) {
            e.region = std::move(regions[k++]);
        }
    }
    return picture;
}

} // namespace vellograph::cli
