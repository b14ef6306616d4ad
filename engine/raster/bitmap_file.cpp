// Writing the canvas as a 24-bit Windows bitmap file.
#include "engine/raster/bitmap_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vellograph {

namespace {

constexpr std::uint32_t FileHeaderSize = 14;   // BITMAPFILEHEADER
constexpr std::uint32_t InfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr std::uint32_t PixelsPerMeter = 3780; // 96 dots per inch
// Rows are written in batches of about this many bytes.
constexpr std::size_t WriteChunk = 1 << 16;

void Put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

} // namespace

TFileResult SaveBitmapFile(const TCanvas& canvas, const std::string& fileName) {
    const std::uint64_t width = static_cast<std::uint64_t>(canvas.width());
    const std::uint64_t height = static_cast<std::uint64_t>(canvas.height());
    const std::uint64_t rowSize = (width * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t imageSize = rowSize * height;
    const std::uint64_t fileSize = FileHeaderSize + InfoHeaderSize + imageSize;
    if (fileSize > UINT32_MAX) {
        return {false, std::strerror(EFBIG)}; // the header's size fields are 32-bit
    }

    TReplaceFile out(fileName);
    std::uint8_t header[FileHeaderSize + InfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, static_cast<std::uint32_t>(fileSize));
    Put32(header + 10, FileHeaderSize + InfoHeaderSize); // offset of the pixels
    std::uint8_t* info = header + FileHeaderSize;
    Put32(info + 0, InfoHeaderSize);
    Put32(info + 4, static_cast<std::uint32_t>(width));
    Put32(info + 8, static_cast<std::uint32_t>(height)); // positive: bottom row first
    Put16(info + 12, 1);                                 // planes
    Put16(info + 14, 24);                                // bits per pixel
    Put32(info + 16, 0);                                 // BI_RGB, uncompressed
    Put32(info + 20, static_cast<std::uint32_t>(imageSize));
    Put32(info + 24, PixelsPerMeter);
    Put32(info + 28, PixelsPerMeter);
    out.write(header, sizeof header);

    const std::size_t rowsPerChunk = rowSize ? std::max<std::size_t>(1, WriteChunk / rowSize) : 1;
    std::vector<std::uint8_t> chunk;
    chunk.reserve(rowsPerChunk * rowSize);
    for (std::uint64_t r = 0; r < height && out.ok(); ++r) {
        const std::uint32_t* row = canvas.bits() + (height - 1 - r) * width;
        const std::size_t start = chunk.size();
        chunk.resize(start + rowSize, 0); // padding bytes stay zero
        std::uint8_t* p = chunk.data() + start;
        for (std::uint64_t x = 0; x < width; ++x, p += 3) {
            // Pixels are 0xFFRRGGBB; a BMP stores blue, green, red.
            p[0] = static_cast<std::uint8_t>(row[x]);
            p[1] = static_cast<std::uint8_t>(row[x] >> 8);
            p[2] = static_cast<std::uint8_t>(row[x] >> 16);
        }
        if (chunk.size() + rowSize > chunk.capacity() || r + 1 == height) {
            out.write(chunk.data(), chunk.size());
            chunk.clear();
        }
    }
    out.commit();
    return out.result();
}

std::string CannotCreateFileText(const std::string& fileName, const std::string& reason) {
    return "Cannot create file \"" + fileName + "\". " + reason;
}

} // namespace vellograph
