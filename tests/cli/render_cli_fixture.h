// A scratch folder, drawing files and a way to run vellograph-cli render.
#pragma once

#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"
#include "tests/support/test_records.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vellograph::test {

namespace fs = std::filesystem;

inline constexpr QRgb White = 0xFFFFFFFF;
inline constexpr QRgb Black = 0xFF000000;
inline constexpr QRgb Red = 0xFFFF0000;
inline constexpr QRgb Green = 0xFF00FF00;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(dir / "out"); }

    std::string subcommand = "render"; // what Run runs

    fs::path WriteDrawing(const std::string& name, const TRecords& records) {
        const fs::path p = dir / name;
        WriteBytes(p, DrawingFile(records));
        return p;
    }
    Outcome Run(const std::vector<std::string>& args, const std::string& prefix = "") {
        std::string command = prefix + "'" VELLOGRAPH_CLI "' " + subcommand;
        for (const std::string& a : args) {
            command += " '" + a + "'";
        }
        command += " >'" + (dir / "stdout").string() + "' 2>'" + (dir / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir / "stdout"),
                ReadBytes(dir / "stderr")};
    }
    // Every non-white pixel of a picture, with its colour.
    static std::map<std::pair<int, int>, QRgb> Ink(const QImage& image) {
        std::map<std::pair<int, int>, QRgb> ink;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != White) {
                    ink[{x, y}] = image.pixel(x, y);
                }
            }
        }
        return ink;
    }

    TempDir temp;
    fs::path dir = temp.path();
};

// A black horizontal line and a red vertical one across it, 1 pixel wide.
inline TRecords Cross() {
    return {Width(1), Move(2, 3), Line(8, 3), Color(0x0000FF), Move(5, 1), Line(5, 6)};
}

} // namespace vellograph::test
