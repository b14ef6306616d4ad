// A drawing as vector elements, and those elements as a static or animated SVG.
#include "cli/export/svg_writer.h"

#include "engine/playback/played_records.h"
#include "engine/playback/render.h"

#include <charconv>
#include <cmath>

namespace vellograph::cli {

namespace {

// Strokes and fills as playback paints them, on the replay's clock.
class Tracer : public PlayedRecordVisitor {
public:
    Tracer(VectorPicture& out, const TViewParams& view, double recordsPerSecond)
        : out_(out), mapper_(view), scale_(view.Scale), rate_(recordsPerSecond) {}

    // Slot start of record i; its effect shows at the slot's end.
    double slotStart(std::int32_t i) const { return i / rate_ + out_.heldMs / 1000.0; }

    void OnMove(std::int32_t, std::int32_t x, std::int32_t y) {
        pen_ = mapper_.map(x, y);
        strokeOpen_ = false;
    }
    void OnLine(std::int32_t i, std::int32_t x, std::int32_t y) {
        const TPoint p = mapper_.map(x, y);
        const std::int32_t w = ScaledPenWidth(penWidth_, scale_);
        VectorElement* last = strokeOpen_ ? &out_.elements.back() : nullptr;
        if (!last || last->color != penColor_ || last->width != w) {
            VectorElement& s = out_.elements.emplace_back();
            s.kind = VectorElement::Stroke;
            s.color = penColor_;
            s.width = w;
            s.points.push_back(pen_);
            s.times.push_back(slotStart(i));
            last = &s;
            strokeOpen_ = true;
        }
        last->points.push_back(p);
        last->times.push_back(slotStart(i + 1));
        pen_ = p;
    }
    void OnColor(std::int32_t, TColor color) { penColor_ = color; }
    void OnFill(std::int32_t i, TColor color) {
        VectorElement& f = out_.elements.emplace_back();
        f.kind = VectorElement::Fill;
        f.color = color;
        f.times.push_back(slotStart(i + 1));
        strokeOpen_ = false;
        out_.heldMs += FillDelayMs;
    }
    void OnDelay(std::int32_t, std::int32_t ms) { out_.heldMs += ms; }
    void OnPenWidth(std::int32_t, std::int32_t width) { penWidth_ = width; }

private:
    VectorPicture& out_;
    const TViewMapper mapper_;
    const double scale_;
    const double rate_;
    TColor penColor_ = DefaultPenColor;
    std::int32_t penWidth_ = DefaultPenWidth;
    TPoint pen_{0, 0};
    bool strokeOpen_ = false;
};

} // namespace

VectorPicture TraceDrawing(const TAVecImage& drawing, const TViewParams& view,
                           double recordsPerSecond) {
    VectorPicture out;
    Tracer tracer(out, view, recordsPerSecond);
    out.records = ForEachPlayed(drawing, 0, drawing.LastIndex, tracer);
    out.duration = tracer.slotStart(out.records);
    return out;
}

namespace {

void Append(std::string& s, std::int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// Fixed notation with the given decimals, trailing zeros dropped; the same in
// every locale.
void Append(std::string& s, double v, int decimals) {
    char buf[400]; // room for any finite double in fixed notation
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string_view text(buf, r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - buf) : 0);
    if (text.empty()) {
        text = "0";
    }
    if (text.find('.') != std::string_view::npos) {
        text = text.substr(0, text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.remove_suffix(1);
        }
    }
    s.append(text == "-0" ? "0" : text);
}

// Microseconds: the fastest replay gives each record one.
void AppendTime(std::string& s, double seconds) {
    Append(s, seconds, 6);
    s += 's';
}

void AppendColor(std::string& s, TColor c) {
    static const char hex[] = "0123456789abcdef";
    // 0x00BBGGRR to #rrggbb.
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                 static_cast<std::uint8_t>(c >> 16)};
    s += '#';
    for (std::uint8_t b : rgb) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
}

// Elements are visible as they are written, so that a viewer without
// animation shows the finished picture; the animation hides each one from the
// start until its time.
void AppendHiddenUntil(std::string& s, double seconds) {
    s += "<set attributeName=\"visibility\" to=\"hidden\" begin=\"0s\" end=\"";
    AppendTime(s, seconds);
    s += "\"/>";
}

// Whole pixels, so drawn without anti-aliasing: the region ends where
// playback's flood ended, between pixels.
void AppendRegion(std::string& s, const std::vector<PixelBlock>& blocks) {
    s += " d=\"";
    for (const PixelBlock& b : blocks) {
        s += 'M';
        Append(s, b.x);
        s += ' ';
        Append(s, b.y);
        s += 'h';
        Append(s, b.width);
        s += 'v';
        Append(s, b.height);
        s += 'h';
        Append(s, -std::int64_t{b.width});
        s += 'z';
    }
    s += '"';
}

double StrokeLength(const VectorElement& e, std::vector<double>& along) {
    along.assign(1, 0.0);
    for (std::size_t k = 1; k < e.points.size(); ++k) {
        const double dx = static_cast<double>(e.points[k].x) - e.points[k - 1].x;
        const double dy = static_cast<double>(e.points[k].y) - e.points[k - 1].y;
        along.push_back(along.back() + std::hypot(dx, dy));
    }
    return along.back();
}

// The dash that covers the stroke from its start to the point reached, moved
// along by the dash offset: a dash of length D (beyond the stroke's length),
// offset D - distance. Done, and at rest, the offset is 1 and the dash ends 1
// past the stroke's end, so a length measured a little differently by the
// viewer cannot cut the end off.
void AppendGrowth(std::string& s, const VectorElement& e, std::vector<double>& along) {
    const double length = StrokeLength(e, along);
    const double dash = length + 2;
    const double begin = e.times.front();
    const double dur = e.times.back() - begin;
    s += " stroke-dasharray=\"";
    Append(s, dash, 3);
    s += ' ';
    Append(s, dash, 3);
    s += "\" stroke-dashoffset=\"1\"><animate attributeName=\"stroke-dashoffset\" begin=\"";
    AppendTime(s, begin);
    s += "\" dur=\"";
    AppendTime(s, dur);
    s += "\" calcMode=\"linear\" fill=\"freeze\" keyTimes=\"";
    for (std::size_t k = 0; k < e.times.size(); ++k) {
        if (k > 0) {
            s += ';';
        }
        Append(s, k + 1 == e.times.size() ? 1.0 : (e.times[k] - begin) / dur, 6);
    }
    s += "\" values=\"";
    for (std::size_t k = 0; k < along.size(); ++k) {
        if (k > 0) {
            s += ';';
        }
        Append(s, k + 1 == along.size() ? 1.0 : dash - along[k], 3);
    }
    s += "\"/>";
}

} // namespace

std::string WriteSvg(const VectorPicture& picture, int width, int height, bool animate) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    Append(s, width);
    s += "\" height=\"";
    Append(s, height);
    s += "\" viewBox=\"0 0 ";
    Append(s, width);
    s += ' ';
    Append(s, height);
    s += "\">\n";
    if (animate) {
        s += "<desc>Replay of ";
        Append(s, picture.records);
        s += " records, ";
        Append(s, picture.duration, 4);
        s += " s in all.</desc>\n";
    }
    std::string page = "<rect x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" +
                       std::to_string(height) + "\" fill=\"";
    s += page + "#ffffff\"/>\n";
    s += "<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    std::vector<double> along;
    const PixelBlock whole{0, 0, width, height};
    for (const VectorElement& e : picture.elements) {
        if (e.kind == VectorElement::Fill) {
            const bool wholePage =
                !e.region || (e.region->size() == 1 && e.region->front() == whole);
            if (!wholePage && e.region->empty()) {
                continue; // held back everywhere: paints nothing
            }
            s += wholePage ? page : std::string("<path shape-rendering=\"crispEdges\" fill=\"");
            AppendColor(s, e.color);
            s += '"';
            if (!wholePage) {
                AppendRegion(s, *e.region);
            }
            if (animate) {
                s += '>';
                AppendHiddenUntil(s, e.times.front());
                s += wholePage ? "</rect>\n" : "</path>\n";
            } else {
                s += "/>\n";
            }
            continue;
        }
        s += "<polyline stroke=\"";
        AppendColor(s, e.color);
        s += "\" stroke-width=\"";
        Append(s, e.width);
        // Odd-width pens are centred on the middle of the pixel, even-width
        // ones on its top-left corner.
        s += e.width % 2 ? "\" transform=\"translate(0.5 0.5)\" points=\"" : "\" points=\"";
        for (std::size_t k = 0; k < e.points.size(); ++k) {
            if (k > 0) {
                s += ' ';
            }
            Append(s, e.points[k].x);
            s += ',';
            Append(s, e.points[k].y);
        }
        s += '"';
        if (!animate) {
            s += "/>\n";
            continue;
        }
        const bool grows = e.points.size() > 1 && StrokeLength(e, along) > 0;
        if (grows) {
            AppendGrowth(s, e, along);
        } else {
            s += '>';
        }
        AppendHiddenUntil(s, grows ? e.times.front() : e.times.back());
        s += "</polyline>\n";
    }
    s += "</g>\n</svg>\n";
    return s;
}

} // namespace vellograph::cli
