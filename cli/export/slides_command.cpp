// slides: the steps of a drawing, as the delay records mark them, as pictures
// or as a handout of one page each.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "cli/export/progress.h"
#include "cli/export/svg_writer.h"
#include "engine/playback/played_records.h"
#include "qtgui/canvas_qimage.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli slides IN OUT [--svg] [--size WxH] [--origin X,Y] [--scale S]\n"
    "                             [--angle A] [--quiet]\n"
    "\n"
    "The drawing's steps as slides: each delay record ends a step, and the picture\n"
    "then is its slide; the end of the drawing ends the last step. Steps that add\n"
    "nothing but delays are left out, and a drawing without delays is one step.\n"
    "OUT ending in .pdf gives a handout, one A4 page per step with the picture fitted\n"
    "inside at its full resolution; any other OUT is a folder (created when missing)\n"
    "that gets OUT/slide_001.png, slide_002.png and so on, or SVG pictures with\n"
    "--svg. Slides of an earlier, longer run numbered beyond this one's are removed.\n"
    "While it runs, standard error shows the progress when it is a terminal.\n"
    "\n"
    "options:\n"
    "  --svg          SVG pictures instead of PNG (not for a PDF)\n"
    "  --quiet        no progress\n";

// A step ends after a delay record that follows something other than delays,
// and at the end when anything is left.
std::vector<std::int32_t> SlideEnds(const TAVecImage& drawing) {
    struct Steps : PlayedRecordVisitor {
        std::vector<std::int32_t> ends;
        bool added = false;
        void OnDelay(std::int32_t i, std::int32_t) {
            if (added) {
                ends.push_back(i + 1);
            }
            added = false;
        }
        void OnMove(std::int32_t, std::int32_t, std::int32_t) { added = true; }
        void OnLine(std::int32_t, std::int32_t, std::int32_t) { added = true; }
        void OnColor(std::int32_t, TColor) { added = true; }
        void OnFill(std::int32_t, TColor) { added = true; }
        void OnPenWidth(std::int32_t, std::int32_t) { added = true; }
        void OnOther(std::int32_t, const TDrawCommand&) { added = true; }
    } steps;
    const std::int32_t played = ForEachPlayed(drawing, 0, drawing.LastIndex, steps);
    if (steps.added || steps.ends.empty()) {
        steps.ends.push_back(played);
    }
    return steps.ends;
}

std::string SlidePath(const std::string& dir, std::size_t index, const char* extension) {
    char number[24];
    std::snprintf(number, sizeof number, "%03zu", index + 1);
    return dir + (dir.back() == '/' ? "" : "/") + "slide_" + number + extension;
}

// Removes the folder's slide_N files of this kind numbered above `made`.
void RemoveLaterSlides(const std::string& dir, std::size_t made, const std::string& extension) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        const std::size_t digits = name.size() - std::min(name.size(), 6 + extension.size());
        if (digits == 0 || name.rfind("slide_", 0) != 0 || !EndsWithNoCase(name, extension) ||
            name.find_first_not_of("0123456789", 6) != 6 + digits) {
            continue;
        }
        const std::string path = entry.path().string();
        if (std::stoull(name.substr(6, std::min<std::size_t>(digits, 18))) > made &&
            (!entry.is_regular_file() || ::unlink(path.c_str()) != 0)) {
            Fail("cannot remove the old slide " + Quoted(path));
        }
    }
}

// One page per slide, A4 turned the picture's way, the picture fitted
// within 10 mm margins and centred. The painter hands the picture itself to
// the PDF, so it keeps every pixel whatever the page's size.
class Handout {
public:
    Handout(int width, int height, const std::string& title) : buffer_(&bytes_) {
        buffer_.open(QIODevice::WriteOnly);
        writer_.emplace(&buffer_);
        writer_->setTitle(QString::fromStdString(title));
        writer_->setCreator(QStringLiteral("vellograph-cli"));
        writer_->setPageSize(QPageSize(QPageSize::A4));
        writer_->setPageOrientation(width > height ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
        writer_->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        writer_->setResolution(300);
    }
    void add(const TCanvas& canvas) {
        if (!painter_.isActive()) {
            if (!painter_.begin(&*writer_)) {
                Fail("cannot start the PDF");
            }
            painter_.setRenderHint(QPainter::LosslessImageRendering);
        } else if (!writer_->newPage()) {
            Fail("cannot add a page to the PDF");
        }
        const QRect page = painter_.viewport();
        const double fit = std::min(double(page.width()) / canvas.width(),
                                    double(page.height()) / canvas.height());
        const QSizeF shown(canvas.width() * fit, canvas.height() * fit);
        // Lossless: JPEG, the PDF engine's choice otherwise, blurs line art.
        const QImage image = CanvasQImage(canvas);
        painter_.drawImage(QRectF(QPointF((page.width() - shown.width()) / 2,
                                          (page.height() - shown.height()) / 2),
                                  shown),
                           image, QRectF(image.rect()));
    }
    std::string finish() {
        painter_.end();
        writer_.reset();
        return std::string(bytes_.constData(), static_cast<std::size_t>(bytes_.size()));
    }

private:
    QByteArray bytes_;
    QBuffer buffer_;
    std::optional<QPdfWriter> writer_;
    QPainter painter_;
};

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, SurfaceOptionNames(), {"--svg", "--quiet"});
    if (parsed.positional.size() != 2) {
        UsageFail(parsed.positional.size() < 2 ? "needs IN and OUT" : "too many arguments");
    }
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    const bool pdf = EndsWithNoCase(out, ".pdf"), svg = parsed.has("--svg");
    if (pdf && svg) {
        UsageFail("--svg makes a folder of pictures; leave it out for a PDF");
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed, PictureLimits);

    TAVecImage drawing;
    ReadDrawing(in, drawing);
    const std::vector<std::int32_t> ends = SlideEnds(drawing);
    const std::string of = "/" + std::to_string(ends.size());
    const char* extension = svg ? ".svg" : ".png";
    if (pdf) {
        RefuseToOverwrite(in, out);
    } else {
        EnsureDirectory(out);
    }
    Progress progress(static_cast<std::int64_t>(ends.size()), parsed.has("--quiet"));
    std::size_t made = 0;
    auto done = [&] {
        ++made;
        progress.update(static_cast<std::int64_t>(made), "slide " + std::to_string(made) + of);
    };
    if (svg) {
        TAVecImage step = drawing;
        for (std::int32_t end : ends) {
            step.LastIndex = end - 1;
            const std::string path = SlidePath(out, made, extension);
            RefuseToOverwrite(in, path);
            WriteFileReplacing(
                path, WriteSvg(TraceDrawingOnSurface(step, surface.view, surface.width,
                                                     surface.height, DefaultRecordsPerSecond),
                               surface.width, surface.height, false));
            done();
        }
    } else {
        std::optional<Handout> handout;
        if (pdf) {
            handout.emplace(surface.width, surface.height, in.substr(in.find_last_of('/') + 1));
        }
        std::size_t next = 0;
        TCanvas canvas;
        ReplayStretches(
            canvas, surface.width, surface.height, drawing, surface.view,
            [&](std::int32_t) { return ends[std::min(next++, ends.size() - 1)]; },
            [&](const TCanvas& c, std::int32_t) {
                if (handout) {
                    handout->add(c);
                } else {
                    const std::string path = SlidePath(out, made, extension);
                    RefuseToOverwrite(in, path);
                    WriteFileReplacing(path, EncodePng(c));
                }
                done();
            });
        if (handout) {
            WriteFileReplacing(out, handout->finish());
        }
    }
    progress.clear();
    // Leftovers from a longer run would read as this drawing's later steps.
    if (!pdf) {
        RemoveLaterSlides(out, made, extension);
    }
    std::printf("%zu slides written to %s\n", made, out.c_str());
    return ExitOk;
}

} // namespace

int RunSlides(const Args& args) {
    static const std::string usage =
        std::string(Usage) + SurfaceOptionsHelp + "  (" + PictureLimitsHelp + ")\n";
    return RunCommand("slides", usage.c_str(), args, Run);
}

} // namespace vellograph::cli
