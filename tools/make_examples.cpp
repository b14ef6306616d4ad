// Writes the example drawings of examples/ with the engine's own recording.
#include "engine/format/drawing.h"
#include "engine/format/recording.h"
#include "engine/playback/render.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace vellograph;

namespace {

constexpr double Pi = 3.14159265358979323846;

// Records through the view that start-up sets, so drawing units are pixels.
class Sketch {
public:
    Sketch() {
        NewDrawing(drawing_);
        ResetRenderGlobals();
    }
    void Color(TColor color) {
        PenColor = color;
        AddCommand(drawing_, 0, 0, 0, 0, NoIndex, 0, 0, CmdColor);
    }
    void Width(int width) {
        PenWidth = width;
        AddCommand(drawing_, 0, 0, 0, 0, NoIndex, 1.0, 0, CmdPenWidth);
    }
    void Delay(int ms) { AddCommand(drawing_, ms, 0, 0, 0, NoIndex, 0, 0, CmdDelay); }
    // Fills are never recorded from the mouse; a drawing file may hold them.
    void Fill(TColor color) {
        ++drawing_.LastIndex;
        drawing_.Commands.resize(static_cast<std::size_t>(drawing_.LastIndex) + 1);
        drawing_.Commands.back() = MakeColorRecord(CmdFill, color);
    }
    void Stroke(const std::vector<TPoint>& points) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            AddCommand(drawing_, points[i].x, points[i].y, 0, 0, NoIndex, 1.0, 0,
                       i == 0 ? CmdMove : CmdLine);
        }
    }
    bool Save(const std::string& name) {
        std::int32_t size = 0;
        SaveDrawing(name, drawing_, size);
        std::printf("%s: %d records, %d bytes\n", name.c_str(), drawing_.LastIndex + 1, size);
        return size > 0;
    }

private:
    TAVecImage drawing_;
};

TPoint At(double x, double y) {
    return {static_cast<std::int32_t>(std::lround(x)), static_cast<std::int32_t>(std::lround(y))};
}

// Points of a circle, closed.
std::vector<TPoint> Circle(double cx, double cy, double r, int steps) {
    std::vector<TPoint> points;
    for (int i = 0; i <= steps; ++i) {
        const double a = 2 * Pi * i / steps;
        points.push_back(At(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return points;
}

// A spiral that runs through the colours of the rainbow and thickens.
bool Spiral(const std::string& name) {
    Sketch s;
    const TColor colours[] = {0x0000FF, 0x0080FF, 0x00C0C0, 0x00A000, 0xC08000, 0xC00000, 0x800080};
    std::vector<TPoint> turn;
    int colour = 0;
    for (int i = 0; i <= 1400; ++i) {
        const double a = i * 0.03;
        const double r = 6 + a * 8;
        turn.push_back(At(420 + r * std::cos(a), 400 + r * std::sin(a)));
        if (i % 200 == 0 && i > 0) {
            s.Color(colours[colour % 7]);
            s.Width(2 + colour);
            s.Stroke(turn);
            turn = {turn.back()};
            ++colour;
        }
    }
    return s.Save(name);
}

// A house under a sky: the outline in the one colour a fill stops at, then a
// fill that paints the sky around it, then the details after a pause.
bool House(const std::string& name) {
    Sketch s;
    s.Color(0x000001);
    s.Width(3);
    s.Stroke({{200, 300}, {400, 150}, {600, 300}, {600, 550}, {200, 550}, {200, 300}, {600, 300}});
    s.Fill(0xF0C080); // light blue sky
    s.Delay(400);
    s.Color(0x1060A0); // brown door
    s.Width(4);
    s.Stroke({{360, 550}, {360, 430}, {440, 430}, {440, 550}});
    s.Color(0xC06000); // blue windows
    s.Width(3);
    s.Stroke({{240, 340}, {320, 340}, {320, 400}, {240, 400}, {240, 340}});
    s.Stroke({{480, 340}, {560, 340}, {560, 400}, {480, 400}, {480, 340}});
    s.Color(0x00C000); // grass
    s.Width(6);
    std::vector<TPoint> grass;
    for (int x = 40; x <= 760; x += 12) {
        grass.push_back({x, 556 + (x / 12 % 2) * 14});
    }
    s.Stroke(grass);
    s.Delay(300);
    s.Color(0x00D0FF); // the sun
    s.Width(8);
    s.Stroke(Circle(700, 110, 45, 48));
    return s.Save(name);
}

// A flowing signature: a run of loops and an underline.
bool Signature(const std::string& name) {
    Sketch s;
    s.Color(0x802000);
    s.Width(2);
    // A prolate cycloid: the pen runs ahead and curls back into loops, its
    // height swelling and shrinking like handwriting.
    std::vector<TPoint> loops;
    for (int i = 0; i <= 1100; ++i) {
        const double t = i * 0.04;
        const double height = 45 + 25 * std::sin(t * 0.37);
        loops.push_back(At(150 + 13 * t - 26 * std::sin(t), 300 - height * std::cos(t) - t));
    }
    s.Stroke(loops);
    std::vector<TPoint> underline;
    for (int i = 0; i <= 120; ++i) {
        const double t = i / 120.0;
        underline.push_back(At(130 + 600 * t, 390 + 25 * std::sin(t * Pi) - 40 * t));
    }
    s.Width(3);
    s.Stroke(underline);
    return s.Save(name);
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "examples";
    const bool ok = Spiral(dir + "/spiral.vlgf") && House(dir + "/house.vlgf") &&
                    Signature(dir + "/signature.vlgf");
    return ok ? 0 : 1;
}
