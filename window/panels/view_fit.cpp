// Fitting the view to a drawing, and the page frame outline.
#include "window/panels/view_fit.h"

#include "engine/format/drawing_snapshot.h"
#include "engine/format/running.h"
#include "engine/playback/fit.h"
#include "engine/playback/host.h"
#include "engine/playback/render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace vellograph {

namespace {

constexpr std::size_t FitPumpEvery = 4096; // the scan pumps after record 0 and every 4096th

// How many records from index i reach the next pump, which ends the slice:
// records fetched are not to be held across a pump.
std::size_t ToNextPump(std::size_t i) {
    return i == 0 ? 1 : FitPumpEvery - (i - 1) % FitPumpEvery;
}

} // namespace

std::array<TPoint, 5> ViewFrameCorners(const TViewParams& view) {
    const TViewMapper mapper(view);
    return {mapper.map(0, 0), mapper.map(view.ExtentX, 0), mapper.map(view.ExtentX, view.ExtentY),
            mapper.map(0, view.ExtentY), mapper.map(0, 0)};
}

void DrawViewFrame(TCanvas& canvas, const TViewParams& view, TColor color) {
    canvas.setPenColor(color);
    canvas.setPenWidth(1);
    const std::array<TPoint, 5> corners = ViewFrameCorners(view);
    canvas.moveTo(corners[0].x, corners[0].y);
    for (int i = 1; i < 5; ++i) {
        canvas.lineTo(corners[i].x, corners[i].y);
    }
}

std::string FormatScale(double value, const std::string& decimalSeparator) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    }
    if (value == 0.0) {
        return "0";
    }
    // 15 significant digits, then trailing zeros dropped.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string text(buf);
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string mantissa = text.substr(0, e);
    const bool negative = mantissa[0] == '-';
    std::string digits;
    for (char c : mantissa) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += decimalSeparator;
            out += digits.substr(1);
        }
        out += "E" + std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += "0";
        out += decimalSeparator;
        out += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        return out;
    }
    const auto intDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
        out += digits + std::string(intDigits - digits.size(), '0');
    } else {
        out += digits.substr(0, intDigits);
        out += decimalSeparator;
        out += digits.substr(intDigits);
    }
    return out;
}

bool ComputeFitView(TViewParams& view, const TAVecImage& drawing, int surfaceWidth,
                    int surfaceHeight, const std::string& decimalSeparator) {
    const TRunning running(TOperationKind::Fit);
    // Handlers run from the pumps may change the drawing; scan a snapshot.
    TDrawingSnapshot records(drawing);
    TPointBox box;
    bool stopped = false;
    for (std::size_t i = 0; i < records.size() && !stopped;) {
        const std::span<const TDrawCommand> slice = records.Next(ToNextPump(i));
        if (slice.empty()) {
            break; // records cut off behind the snapshot's back: fit what was seen
        }
        for (const TDrawCommand& record : slice) {
            box.add(record);
            if (i++ % FitPumpEvery == 0) {
                CurrentHost().ProcessMessages();
            }
            if (QuitRequested) {
                return false;
            }
            if (StopRequested) {
                StopRequested = false;
                stopped = true;
                break;
            }
        }
    }
    const double scale = box.fitScale(surfaceWidth, surfaceHeight);
    if (scale == 0.0) {
        return !stopped;
    }
    const std::int32_t minX = box.minX, minY = box.minY, maxX = box.maxX, maxY = box.maxY;
    view.OriginX = minX;
    view.OriginY = minY;
    view.ExtentX = maxX;
    view.ExtentY = maxY;
    view.Angle = 0.0;
    view.Scale = scale;
    CurrentHost().ShowMessage("X=" + std::to_string(minX) + " Y=" + std::to_string(minY) +
                              "\nW=" + std::to_string(maxX) + " H=" + std::to_string(maxY) +
                              "\nScale=" + FormatScale(scale, decimalSeparator));
    view.OriginX = TruncToInt32(-minX * scale);
    view.OriginY = TruncToInt32(-minY * scale);
    return !stopped;
}

} // namespace vellograph
