// Reading drawings and writing pictures for the vellograph-cli commands.
#include "cli/cli_common.h"
#include "cli/export/export_replay.h"

#include "engine/raster/bitmap_file.h"
#include "qtgui/canvas_qimage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vellograph::cli {

std::string UnreadableReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return "it is a directory, not a regular file";
    }
    if (!S_ISREG(st.st_mode)) {
        return "it is not a regular file";
    }
    if (::access(path.c_str(), R_OK) != 0) {
        return std::strerror(errno);
    }
    return {};
}

std::string UnwritableReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return std::strerror(EISDIR);
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (::stat(folder.c_str(), &st) != 0) {
        return std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return std::strerror(ENOTDIR);
    }
    if (::access(folder.c_str(), W_OK) != 0) {
        return std::strerror(errno);
    }
    return "the file could not be written";
}

void ReadDrawing(const std::string& path, TAVecImage& drawing, ShortFiles shortFiles) {
    // The load itself refuses what is not a regular file, but says only that
    // it failed; these checks name the reason.
    if (const std::string why = UnreadableReason(path); !why.empty()) {
        Fail("cannot read " + Quoted(path) + ": " + why);
    }
    struct stat st {};
    ::stat(path.c_str(), &st);
    if (shortFiles == ShortFiles::Refused && st.st_size < static_cast<off_t>(HeaderSize)) {
        Fail("cannot read " + Quoted(path) + ": not a drawing, " + std::to_string(st.st_size) +
             " bytes, shorter than the 36-byte header");
    }
    InstantHost quiet; // keeps the load's message for the one line below
    const ScopedHost scoped(quiet);
    TAVecImage loaded;
    NewDrawing(loaded);
    if (LoadDrawing(path, loaded) != LoadOutcome::Loaded) {
        Fail("cannot read " + Quoted(path) + ": " + LoadFailureReason);
    }
    drawing = std::move(loaded);
}

void RefuseToOverwrite(const std::string& input, const std::string& output, int status) {
    struct stat in {
    }, out{};
    if (::stat(input.c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0 &&
        in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        throw CliError(status, "cannot write " + Quoted(output) +
                                   ": it is the input drawing itself; it is left untouched");
    }
}

void CheckWritten(const std::string& path, const TFileResult& result) {
    if (!result) {
        Fail("cannot write " + Quoted(path) + ": " +
             (result.reason.empty() ? UnwritableReason(path) : result.reason));
    }
}

void WriteFileReplacing(const std::string& path, std::string_view bytes) {
    CheckWritten(path, ReplaceFileContents(path, bytes));
}

void EnsureDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) {
        return;
    }
    const int error = errno;
    struct stat st {};
    if (error == EEXIST && ::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return;
        }
        Fail("cannot use " + Quoted(path) + " as the frame directory: it is not a directory");
    }
    Fail("cannot create the directory " + Quoted(path) + ": " + std::strerror(error));
}

std::string EncodePng(const TCanvas& canvas) {
    const QImage image = CanvasQImage(canvas);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    // Middling compression: about twice as fast as Qt's default for files
    // some 15% larger, which matters for a thumbnail waited for and for
    // thousands of frames.
    writer.setQuality(50);
    if (image.isNull() || !writer.write(image)) {
        Fail("cannot encode a " + std::to_string(canvas.width()) + "x" +
             std::to_string(canvas.height()) + " picture as PNG");
    }
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

} // namespace vellograph::cli
