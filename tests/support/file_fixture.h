// A shown window working in a temporary current directory, and helpers for
// the bytes of drawing files and bitmaps.
#pragma once

#include "tests/support/form_fixture.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace vellograph {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// What SaveDrawing writes for the drawing: the header, records 0..LastIndex.
inline std::string FileImage(const TAVecImage& drawing) {
    std::string bytes(drawing.Header.data(), HeaderSize);
    bytes.append(reinterpret_cast<const char*>(drawing.Commands.data()),
                 static_cast<std::size_t>(drawing.LastIndex + 1) * sizeof(TDrawCommand));
    return bytes;
}

inline std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes.at(at + i));
    }
    return value;
}

// Checks that the bytes are a bottom-up 24-bit bitmap with a
// BITMAPINFOHEADER showing exactly the canvas's pixels.
inline void ExpectBitmapOf(const std::string& bmp, const TCanvas& canvas) {
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u); // pixels follow the headers
    EXPECT_EQ(Le32(bmp, 14), 40u); // BITMAPINFOHEADER
    EXPECT_EQ(Le32(bmp, 18), static_cast<std::uint32_t>(canvas.width()));
    EXPECT_EQ(Le32(bmp, 22), static_cast<std::uint32_t>(canvas.height())); // bottom-up
    EXPECT_EQ(Le32(bmp, 26), 1u | 24u << 16);                              // one plane, 24 bits
    EXPECT_EQ(Le32(bmp, 30), 0u);                                          // uncompressed
    const std::size_t stride = (static_cast<std::size_t>(canvas.width()) * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * canvas.height());
    int wrong = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        const std::size_t row = 54 + stride * (canvas.height() - 1 - y);
        for (int x = 0; x < canvas.width(); ++x) {
            const auto* p = reinterpret_cast<const std::uint8_t*>(bmp.data() + row + 3 * x);
            const TColor stored = p[0] << 16 | p[1] << 8 | p[2]; // blue, green, red
            wrong += stored != canvas.pixel(x, y);
        }
    }
    EXPECT_EQ(wrong, 0);
}

class FileTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        char* cwd = ::getcwd(nullptr, 0);
        savedCwd_ = cwd ? cwd : "/";
        std::free(cwd);
        ASSERT_EQ(::chdir(Path("").c_str()), 0); // the temporary file lands here
        MakeShownForm();
    }
    void TearDown() override {
        FormTest::TearDown();
        EXPECT_EQ(::chdir(savedCwd_.c_str()), 0);
    }

    // A stroke in the drawing and on the surface, as if drawn by hand.
    void Draw(std::vector<QPoint> points) {
        QTest::mousePress(&Screen(), Qt::LeftButton, {}, points.front());
        for (const QPoint& p : points) {
            QTest::mouseMove(&Screen(), p);
        }
        QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, points.back());
    }

    std::string TempFile() const { return Path(TMainForm::TempFileName); }

    // Timer1 ticks, called directly.
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            form->Timer1Timer();
        }
    }

private:
    std::string savedCwd_;
};

} // namespace vellograph
