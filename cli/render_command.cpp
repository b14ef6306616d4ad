// render: play a drawing onto a white surface and write the picture.
#include "commands.h"

#include "bitmap_file.h"
#include "drawing.h"
#include "host.h"
#include "render.h"
#include "replace_file.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace vellograph::cli {

namespace {

constexpr int MaxSide = 16384;
constexpr std::int64_t MaxPixels = std::int64_t{1} << 27; // 512 MiB of surface
constexpr double MaxScale = 1000.0;

struct RenderOptions {
    std::string in;
    std::string out;
    int width = 1366;
    int height = 768;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    double scale = 1.0;
    double angle = 0.0;
};

// Nothing to pump and nothing to wait for: every read of the tick counter
// leaps past the longest delay a record can ask for, so "d" and "e" records
// return at once. The loader's success message is not news here.
class RenderHost : public Host {
public:
    void ProcessMessages() override {}
    void WaitAndProcessMessages(std::uint32_t) override { now_ += Leap; }
    std::uint32_t TickCount() override { return now_ += Leap; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;

private:
    static constexpr std::uint32_t Leap = 1u << 20;
    std::uint32_t now_ = 0;
};

void Complain(const std::string& text) {
    std::fprintf(stderr, "vellograph-cli: %s\n", text.c_str());
}

int UsageError(const std::string& text) {
    Complain("render: " + text + " (see vellograph-cli --help)");
    return ExitUsage;
}

template <typename T> bool ParseNumber(std::string_view text, T& value) {
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc{} && stop == end;
}

template <typename T> bool ParsePair(std::string_view text, char separator, T& a, T& b) {
    const std::size_t at = text.find(separator);
    return at != std::string_view::npos && ParseNumber(text.substr(0, at), a) &&
           ParseNumber(text.substr(at + 1), b);
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Applies one option; returns the usage error, if any.
std::optional<std::string> ApplyOption(std::string_view name, std::string_view value,
                                       RenderOptions& o) {
    if (name == "--size") {
        if (!ParsePair(value, 'x', o.width, o.height) || o.width < 1 || o.height < 1 ||
            o.width > MaxSide || o.height > MaxSide ||
            std::int64_t{o.width} * o.height > MaxPixels) {
            return "bad --size " + Quoted(value) + ": want WxH, each side 1 to " +
                   std::to_string(MaxSide) + ", at most " + std::to_string(MaxPixels) + " pixels";
        }
    } else if (name == "--origin") {
        if (!ParsePair(value, ',', o.originX, o.originY)) {
            return "bad --origin " + Quoted(value) + ": want X,Y in whole pixels";
        }
    } else if (name == "--scale") {
        if (!ParseNumber(value, o.scale) || !(o.scale > 0.0) || o.scale > MaxScale) {
            return "bad --scale " + Quoted(value) + ": want a number above 0, at most " +
                   std::to_string(static_cast<int>(MaxScale));
        }
    } else if (name == "--angle") {
        if (!ParseNumber(value, o.angle) || !std::isfinite(o.angle)) {
            return "bad --angle " + Quoted(value) + ": want a finite number of radians";
        }
    } else {
        return "unknown option " + Quoted(name);
    }
    return std::nullopt;
}

std::optional<std::string> ParseArgs(const Args& args, RenderOptions& o) {
    std::vector<std::string> names;
    bool optionsEnd = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string_view arg = args[k];
        if (optionsEnd || arg.empty() || arg[0] != '-') {
            names.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnd = true; // names that start with '-' follow
        } else if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
            if (auto error = ApplyOption(arg.substr(0, eq), arg.substr(eq + 1), o)) {
                return error;
            }
        } else if (arg != "--size" && arg != "--origin" && arg != "--scale" && arg != "--angle") {
            return "unknown option " + Quoted(arg);
        } else if (k + 1 == args.size()) {
            return "option " + Quoted(arg) + " needs a value";
        } else if (auto error = ApplyOption(arg, args[++k], o)) {
            return error;
        }
    }
    if (names.size() != 2) {
        return "want 2 file names, IN and OUT, got " + std::to_string(names.size());
    }
    o.in = names[0];
    o.out = names[1];
    return std::nullopt;
}

bool EndsWith(const std::string& text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    std::string end = text.substr(text.size() - tail.size());
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(c | 0x20); });
    return end == tail;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

TFileResult SavePngFile(const TCanvas& canvas, const std::string& fileName) {
    TReplaceFile out(fileName);
    if (out.ok()) {
        // The canvas is laid out like Format_RGB32: wrap it, no copy.
        const QImage image(reinterpret_cast<const uchar*>(canvas.bits()), canvas.width(),
                           canvas.height(), static_cast<qsizetype>(canvas.bytesPerLine()),
                           QImage::Format_RGB32);
        QFile file;
        if (!file.open(out.fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            out.fail(file.errorString().toStdString());
        } else {
            QImageWriter writer(&file, "png");
            const bool written = writer.write(image) && file.flush();
            if (file.error() != QFileDevice::NoError) {
                out.fail(file.errorString().toStdString());
            } else if (!written) {
                out.fail(writer.errorString().toStdString());
            }
        }
        out.commit();
    }
    return {out.ok(), out.reason()};
}

int Render(const RenderOptions& o) {
    const bool png = EndsWith(o.out, ".png");
    if (!png && !EndsWith(o.out, ".bmp")) {
        return UsageError("output " + Quoted(o.out) + " must end in .bmp or .png");
    }
    struct stat st {};
    if (::stat(o.in.c_str(), &st) != 0) {
        Complain("cannot read " + Quoted(o.in) + ": " + std::strerror(errno));
        return ExitFailure;
    }
    if (!S_ISREG(st.st_mode)) {
        Complain("cannot read " + Quoted(o.in) + ": not a regular file");
        return ExitFailure;
    }
    if (SameFile(o.in, o.out)) {
        return UsageError("output " + Quoted(o.out) + " is the input drawing itself");
    }

    RenderHost host;
    Host* const previous = SetHost(&host);
    struct Restore {
        Host* previous;
        ~Restore() { SetHost(previous); }
    } restore{previous};

    TAVecImage drawing;
    NewDrawing(drawing);
    LoadDrawing(o.in, drawing);
    const bool loaded = !host.messages.empty() && host.messages.back() == MsgLoaded;
    for (const std::string& message : host.messages) {
        if (message != MsgLoaded) {
            Complain(Quoted(o.in) + ": " + message);
        }
    }
    if (!loaded) {
        return ExitFailure;
    }

    TCanvas canvas(o.width, o.height);
    ResetRenderGlobals();
    TViewParams view = DefaultView;
    view.OriginX = o.originX;
    view.OriginY = o.originY;
    view.Scale = o.scale;
    view.Angle = o.angle;
    RedrawAll(canvas, drawing, view); // as "Перерисовать" does

    // A file size limit then fails the write with a reason instead of
    // killing the process half-way through it.
    std::signal(SIGXFSZ, SIG_IGN);
    const TFileResult written = png ? SavePngFile(canvas, o.out) : SaveBitmapFile(canvas, o.out);
    if (!written) {
        Complain(CannotCreateFileText(o.out, written.reason));
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

int RunRender(const Args& args) {
    RenderOptions options;
    if (const auto error = ParseArgs(args, options)) {
        return UsageError(*error);
    }
    try {
        return Render(options);
    } catch (const std::bad_alloc&) {
        Complain("render: not enough memory for a " + std::to_string(options.width) + "x" +
                 std::to_string(options.height) + " surface and the drawing");
        return ExitFailure;
    }
}

} // namespace vellograph::cli
