// Writes the HTML player page: the template with the engine, the drawing and
// its view filled in.
#include "cli/html/html_page.h"

#include "cli/html/player_assets.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdio>
#include <string_view>

namespace vellograph::cli {

namespace {

// A zlib stream, which the browser's DecompressionStream("deflate") undoes,
// in base64. qCompress puts the stream behind a 4-byte length. The fastest
// level: four times faster than the default on strokes, for pages some 10%
// larger.
std::string PackedBase64(std::string_view bytes) {
    const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(bytes.data()),
                                        static_cast<qsizetype>(bytes.size()), 1);
    if (packed.size() < 4) {
        Fail("not enough memory to compress the drawing");
    }
    const QByteArray text = packed.sliced(4).toBase64();
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value); // reads back as the same double
    return text;
}

std::string Config(const PageSettings& s, std::int32_t records) {
    const TViewParams& v = s.view;
    return "{\"width\":" + std::to_string(s.width) + ",\"height\":" + std::to_string(s.height) +
           ",\"originX\":" + std::to_string(v.OriginX) +
           ",\"originY\":" + std::to_string(v.OriginY) + ",\"scale\":" + Number(v.Scale) +
           ",\"angle\":" + Number(v.Angle) + ",\"cos\":" + Number(std::cos(v.Angle)) +
           ",\"sin\":" + Number(std::sin(v.Angle)) + ",\"records\":" + std::to_string(records) +
           "}";
}

// The file's name for the page's title; bytes that are no UTF-8 show as
// replacement characters.
std::string Title(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const QByteArray escaped = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
                                   .toHtmlEscaped()
                                   .toUtf8();
    return std::string(escaped.constData(), static_cast<std::size_t>(escaped.size())) +
           " – Vellograph";
}

} // namespace

bool HasPlayer() {
    return !PlayerWasm.empty();
}

std::string WritePage(const TAVecImage& drawing, const PageSettings& settings) {
    const std::int32_t records = std::max(drawing.LastIndex + 1, 0);
    const std::string_view bytes(reinterpret_cast<const char*>(drawing.Commands.data()),
                                 static_cast<std::size_t>(records) * sizeof(TDrawCommand));
    const std::pair<std::string_view, std::string> parts[] = {
        {"@TITLE@", Title(settings.title)},      {"@ENGINE@", PackedBase64(PlayerWasm)},
        {"@DRAWING@", PackedBase64(bytes)},      {"@CONFIG@", Config(settings, records)},
        {"@SCRIPT@", std::string(PlayerScript)},
    };
    // One pass over the template: what is filled in is never searched again.
    std::string page;
    std::size_t at = 0;
    for (;;) {
        std::size_t next = std::string_view::npos;
        const std::pair<std::string_view, std::string>* found = nullptr;
        for (const auto& part : parts) {
            const std::size_t p = PlayerPage.find(part.first, at);
            if (p < next) {
                next = p;
                found = &part;
            }
        }
        page.append(PlayerPage.substr(at, next == std::string_view::npos ? next : next - at));
        if (!found) {
            return page;
        }
        page += found->second;
        at = next + found->first.size();
    }
}

} // namespace vellograph::cli
