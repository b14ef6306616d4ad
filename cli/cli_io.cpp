// Reading drawings and writing pictures for the vellograph-cli commands.
#include "cli_common.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellograph::cli {

namespace {

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

[[noreturn]] void FailErrno(const std::string& what, const std::string& path, int error) {
    Fail(what + " " + Quoted(path) + ": " + std::strerror(error));
}

// Closes a descriptor when it goes out of scope; close errors that matter
// are checked where the data is committed.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 1 << 30));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw errno ? errno : EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Reads until the buffer is full or the file ends; throws errno on errors.
std::size_t ReadUpTo(int fd, void* buffer, std::size_t size) {
    auto* p = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, p + got, std::min<std::size_t>(size - got, 1 << 30));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw errno;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

} // namespace

void ReadDrawing(const std::string& path, TAVecImage& drawing) {
    // O_NONBLOCK keeps a FIFO from hanging the open; it is refused just below.
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (f.fd < 0) {
        FailErrno("cannot read", path, errno);
    }
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) {
        FailErrno("cannot read", path, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        Fail("cannot read " + Quoted(path) + ": it is a directory, not a drawing");
    }
    if (!S_ISREG(st.st_mode)) {
        Fail("cannot read " + Quoted(path) + ": it is not a regular file");
    }
    // Sized from the file's size as the load sizes it, read straight into the
    // records: a large drawing is held in memory once.
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t count =
        size < HeaderSize ? 1 : std::max<std::uint64_t>(1, (size - HeaderSize + 5) / 6);
    if (count > static_cast<std::uint64_t>(INT32_MAX)) {
        Fail(Quoted(path) + " holds more records than a drawing can");
    }
    TAVecImage loaded;
    loaded.Commands.assign(count, TDrawCommand{0, {0, 0, 0, 0}, 0});
    std::size_t got = 0;
    try {
        got = ReadUpTo(f.fd, loaded.Header.data(), HeaderSize);
        if (got == HeaderSize && size > HeaderSize) {
            got +=
                ReadUpTo(f.fd, loaded.Commands.data(), static_cast<std::size_t>(size - HeaderSize));
        }
    } catch (int error) {
        FailErrno("cannot read", path, error);
    }
    if (got < HeaderSize) {
        Fail(Quoted(path) + " is not a drawing: " + std::to_string(got) +
             " bytes, shorter than the 36-byte header");
    }
    // A file cut short while being read keeps only the records that arrived;
    // the last, short one is zero-padded as the load pads it.
    loaded.Commands.resize(std::max<std::size_t>(1, (got - HeaderSize + 5) / 6));
    loaded.HeaderLastIndex = HeaderSize - 1;
    loaded.LastIndex = static_cast<std::int32_t>(loaded.Commands.size() - 1);
    loaded.LastFillIndex = 0;
    drawing = std::move(loaded);
}

void RefuseToOverwrite(const std::string& input, const std::string& output) {
    struct stat in {
    }, out{};
    if (::stat(input.c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0 &&
        in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        Fail(Quoted(output) + " is the input drawing itself; it is left untouched");
    }
}

void WriteFileReplacing(const std::string& path, std::string_view bytes) {
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    mode_t mode = 0;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            Fail("cannot write " + Quoted(path) + ": it is a directory");
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // Beside the target, so that the rename stays on one file system.
    std::string temp = (slash == std::string::npos ? std::string() : dir) + "." +
                       (base.size() > 200 ? std::string("vellograph-cli") : base) + ".XXXXXX";
    Fd f{::mkstemp(temp.data())};
    if (f.fd < 0) {
        FailErrno("cannot write", path, errno);
    }
    try {
        WriteAll(f.fd, bytes);
        if (::fchmod(f.fd, mode) != 0 || ::fsync(f.fd) != 0) {
            throw errno;
        }
        const int fd = f.fd;
        f.fd = -1;
        if (::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
            throw errno;
        }
    } catch (int error) {
        ::unlink(temp.c_str());
        FailErrno("cannot write", path, error);
    }
    // Make the rename itself durable; a failure here loses nothing written.
    Fd d{::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (d.fd >= 0) {
        ::fsync(d.fd);
    }
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
    FailErrno("cannot create the directory", path, error);
}

std::string EncodePng(const TCanvas& canvas) {
    // The canvas words are laid out as Format_RGB32: wrap them, no copy.
    const QImage image(reinterpret_cast<const uchar*>(canvas.bits()), canvas.width(),
                       canvas.height(), static_cast<qsizetype>(canvas.bytesPerLine()),
                       QImage::Format_RGB32);
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
