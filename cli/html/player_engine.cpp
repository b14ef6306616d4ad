// The engine's side of the HTML player, compiled to WebAssembly: the drawing,
// the canvas and the engine's own renderer, stepped by the page.
#include "engine/format/drawing.h"
#include "engine/playback/fit.h"
#include "engine/playback/host.h"
#include "engine/playback/render.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace vellograph;

namespace {

// The page paces playback itself, between animation frames, so the engine's
// waits must not block: the clock runs on by whatever a wait asks for.
class PageHost : public Host {
public:
    void ProcessMessages() override {}
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override { ticks_ += maxWaitMs; }
    std::uint32_t TickCount() override { return ticks_; }
    void ShowMessage(const std::string&) override {}

private:
    std::uint32_t ticks_ = 0;
};

PageHost pageHost;

// The rotation must map points exactly as the command's machine does, yet its
// C library's cos and sin and this one's differ in the last bit for some 3%
// of angles (3 of the 63 the rotation panel offers). The page passes the
// values worked out there for the angle of its view; the fit's angle 0 is
// exact everywhere, and any other angle is asked of the browser.
double pinnedAngle = 0.0, pinnedCos = 1.0, pinnedSin = 0.0;

} // namespace

extern "C" {
__attribute__((import_module("env"), import_name("page_cos"))) double page_cos(double x);
__attribute__((import_module("env"), import_name("page_sin"))) double page_sin(double x);

double cos(double x) {
    return x == pinnedAngle ? pinnedCos : (x == 0.0 ? 1.0 : page_cos(x));
}
double sin(double x) {
    return x == pinnedAngle ? pinnedSin : (x == 0.0 ? x : page_sin(x));
}
// The compiler may turn a cos and a sin of one angle into this.
void sincos(double x, double* s, double* c) {
    *s = sin(x);
    *c = cos(x);
}

// The native cos and sin of the view's angle.
void vg_angle(double angle, double cosine, double sine) {
    pinnedAngle = angle;
    pinnedCos = cosine;
    pinnedSin = sine;
}
}

namespace {

// What a playback leaves behind besides the pixels: the pen globals (the
// canvas keeps its pen colour, width and position itself).
struct Checkpoint {
    std::int32_t played = 0; // records 0..played-1 are on the canvas
    TCanvas canvas;
    TColor penColor = 0, fillColor = 0;
    std::int32_t penWidth = 0;
};

TAVecImage drawing;
std::int32_t playable = 0; // records before the first end marker
TViewParams view = DefaultView;
Checkpoint now;
// Copies of the state taken every `stride` records on the way, so that a
// step back or a scrub replays at most that many records.
std::vector<Checkpoint> saved;
std::int32_t stride = 1;
std::vector<std::uint8_t> frame; // RGBA, as putImageData takes it

// Plays records now.played..end-1 in one playback, as render plays them.
void PlayTo(std::int32_t end) {
    if (end <= now.played) {
        return;
    }
    PenColor = now.penColor;
    FillColor = now.fillColor;
    PenWidth = now.penWidth;
    RenderDrawing(now.canvas, drawing, view.OriginX, view.OriginY, now.played, end - 1, view.Scale,
                  view.Angle);
    now.penColor = PenColor;
    now.fillColor = FillColor;
    now.penWidth = PenWidth;
    now.played = end;
}

} // namespace

extern "C" {

// Room for n records; the page copies them in and then calls vg_loaded.
std::uint8_t* vg_records(std::int32_t n) {
    drawing = TAVecImage();
    drawing.Commands.resize(static_cast<std::size_t>(std::max(n, 0)));
    drawing.LastIndex = std::max(n, 0) - 1;
    return reinterpret_cast<std::uint8_t*>(drawing.Commands.data());
}

// The number of records a playback from the start plays: up to the first
// end marker. The page's timeline runs over these.
std::int32_t vg_loaded() {
    SetHost(&pageHost);
    playable = drawing.LastIndex + 1;
    for (std::int32_t i = 0; i < playable; ++i) {
        if (IsEndMarker(drawing.Commands[static_cast<std::size_t>(i)])) {
            playable = i;
        }
    }
    return playable;
}

// A new surface and view; the canvas starts white with nothing played, as a
// fresh program's would.
void vg_view(std::int32_t width, std::int32_t height, std::int32_t originX, std::int32_t originY,
             double scale, double angle) {
    view = DefaultView;
    view.OriginX = originX;
    view.OriginY = originY;
    view.Scale = scale;
    view.Angle = angle;
    saved.clear();
    // About 64 MB of copies at most, and none closer than 16384 records.
    const std::int64_t bytes = std::int64_t{width} * height * 4;
    const std::int64_t copies =
        std::clamp<std::int64_t>((64 << 20) / std::max<std::int64_t>(bytes, 1), 1, 64);
    stride = static_cast<std::int32_t>(std::max<std::int64_t>(16384, playable / copies + 1));
    ResetRenderGlobals();
    now = Checkpoint();
    now.canvas.resize(width, height);
    now.canvas.moveTo(0, 0);
    now.penColor = PenColor;
    now.fillColor = FillColor;
    now.penWidth = PenWidth;
    saved.push_back(now);
    frame.assign(static_cast<std::size_t>(bytes), 0);
}

// Brings the canvas to the picture after `played` records (0: white).
void vg_seek(std::int32_t played) {
    played = std::clamp(played, 0, playable);
    if (played < now.played) {
        auto it =
            std::upper_bound(saved.begin(), saved.end(), played,
                             [](std::int32_t p, const Checkpoint& c) { return p < c.played; });
        now = *(it - 1);
    }
    while (now.played < played) {
        const std::int32_t next = (now.played / stride + 1) * stride;
        PlayTo(std::min(next, played));
        if (now.played == next && saved.back().played < next) {
            saved.push_back(now);
        }
    }
}

// The first record of [from, to) at which playback holds (a delay or a
// fill), or -1 when none does.
std::int32_t vg_next_hold(std::int32_t from, std::int32_t to) {
    for (std::int32_t i = std::max(from, 0); i < std::min(to, playable); ++i) {
        const std::uint8_t letter = drawing.Commands[static_cast<std::size_t>(i)].Letter;
        if (letter == CmdDelay || letter == CmdFill) {
            return i;
        }
    }
    return -1;
}

// How long playback holds at record i, in milliseconds; negative for a
// delay record (a slide), positive for a fill, 0 otherwise.
std::int32_t vg_hold_ms(std::int32_t i) {
    if (i < 0 || i >= playable) {
        return 0;
    }
    const TDrawCommand& r = drawing.Commands[static_cast<std::size_t>(i)];
    if (r.Letter == CmdDelay) {
        return -RecordedDelayMs(RecordX(r));
    }
    return r.Letter == CmdFill ? FillDelayMs : 0;
}

// The view that fits the drawing's points to a width x height surface, as
// the command's --fit does: written to out as originX, originY, scale.
void vg_fit(std::int32_t width, std::int32_t height, double* out) {
    TPointBox box;
    for (std::int32_t i = 0; i < playable; ++i) {
        box.add(drawing.Commands[static_cast<std::size_t>(i)]);
    }
    out[0] = 0;
    out[1] = 0;
    out[2] = 1;
    if (!box.any) {
        return;
    }
    const int lastX = std::max(width - 1, 1);
    const int lastY = std::max(height - 1, 1);
    const double scale = box.fitScale(lastX, lastY);
    if (scale == 0.0) {
        out[0] = TruncToInt32(width / 2 - static_cast<double>(box.minX));
        out[1] = TruncToInt32(height / 2 - static_cast<double>(box.minY));
        return;
    }
    const double spanX = (static_cast<double>(box.maxX) - box.minX) * scale;
    const double spanY = (static_cast<double>(box.maxY) - box.minY) * scale;
    out[0] = TruncToInt32(-box.minX * scale) + TruncToInt32((lastX - spanX) / 2);
    out[1] = TruncToInt32(-box.minY * scale) + TruncToInt32((lastY - spanY) / 2);
    out[2] = scale;
}

std::int32_t vg_played() {
    return now.played;
}

// The canvas as RGBA bytes for putImageData; the canvas words are 0xFFRRGGBB.
std::uint8_t* vg_frame() {
    const std::uint32_t* p = now.canvas.bits();
    const std::size_t n = frame.size() / 4;
    std::uint8_t* out = frame.data();
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t w = p[k];
        out[4 * k] = static_cast<std::uint8_t>(w >> 16);
        out[4 * k + 1] = static_cast<std::uint8_t>(w >> 8);
        out[4 * k + 2] = static_cast<std::uint8_t>(w);
        out[4 * k + 3] = 255;
    }
    return out;
}

} // extern "C"

namespace vellograph {

// The page's host is the only one; the engine reaches it through these.
Host& CurrentHost() {
    return pageHost;
}
Host* SetHost(Host*) {
    return nullptr;
}
// Nothing quits a page: its loops end at the records they were given.
bool QuitRequested = false;

} // namespace vellograph
