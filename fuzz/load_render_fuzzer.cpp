// Fuzz target: arbitrary bytes loaded as a drawing file and played onto a
// small canvas under a view taken from the input.
#include "engine/format/drawing.h"
#include "engine/playback/host.h"
#include "engine/playback/render.h"
#include "engine/raster/canvas.h"
#include "tests/support/fake_host.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <sys/mman.h>
#include <unistd.h>

using namespace vellograph;

namespace {

// The view's values lead the input in little-endian order whatever the host,
// so that a corpus file asks for the same view on every processor.
template <typename T> T Take(const std::uint8_t*& data, std::size_t& size) {
    using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
    static_assert(sizeof(T) == sizeof(Bits));
    Bits bits = 0;
    const std::size_t n = size < sizeof(T) ? size : sizeof(T);
    for (std::size_t i = 0; i < n; ++i) {
        bits |= static_cast<Bits>(data[i]) << (8 * i);
    }
    data += n;
    size -= n;
    return std::bit_cast<T>(bits);
}

double Finite(double value, double limit) {
    return std::isfinite(value) ? std::fmod(value, limit) : 1.0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No window: pumps do nothing, and every tick jumps so that delay
    // records return at once.
    test::FakeHost host;
    host.tickStep = 20000;
    const ScopedHost scoped(host);
    // The file lives in memory and goes when the process does: nothing is
    // left behind in /tmp however the run ends.
    static const int fd = ::memfd_create("vellograph-fuzz.vlgf", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0) {
        std::abort();
    }

    const auto originX = Take<std::int32_t>(data, size);
    const auto originY = Take<std::int32_t>(data, size);
    const double scale = Finite(Take<double>(data, size), 64.0);
    const double angle = Finite(Take<double>(data, size), 100.0);

    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        std::abort();
    }

    TAVecImage drawing;
    NewDrawing(drawing);
    LoadDrawing(path, drawing);

    ResetRenderGlobals();
    TCanvas canvas(64, 48);
    ClearSurface(canvas, ClearColor);
    RenderDrawing(canvas, drawing, originX % 100000, originY % 100000, 0, NoIndex, scale, angle);
    return 0;
}
