// A scratch folder, drawing files and a way to run vellograph-cli render.
#pragma once

#include "drawing.h"
#include "record.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
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
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vlg-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::create_directory(dir / "out");
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path WriteDrawing(const std::string& name, const std::vector<TDrawCommand>& records) {
        const fs::path p = dir / name;
        std::ofstream f(p, std::ios::binary);
        f.write(StandardHeader, HeaderSize);
        f.write(reinterpret_cast<const char*>(records.data()),
                static_cast<std::streamsize>(records.size() * sizeof(TDrawCommand)));
        return p;
    }
    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    Outcome Run(const std::vector<std::string>& args, const std::string& prefix = "") {
        std::string command = prefix + "'" VELLOGRAPH_CLI "' render";
        for (const std::string& a : args) {
            command += " '" + a + "'";
        }
        command += " >'" + (dir / "stdout").string() + "' 2>'" + (dir / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / "stdout"),
                Slurp(dir / "stderr")};
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

    std::set<std::string> Listing(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.insert(e.path().filename().string());
        }
        return names;
    }

    fs::path dir;
};

inline TDrawCommand Num(std::uint8_t letter, std::int32_t a, std::int32_t b) {
    return MakeNumberRecord(letter, a, b);
}

// A black horizontal line and a red vertical one across it, 1 pixel wide.
inline std::vector<TDrawCommand> Cross() {
    return {Num(CmdPenWidth, 1, 0), Num(CmdMove, 2, 3),
            Num(CmdLine, 8, 3),     MakeColorRecord(CmdColor, 0x0000FF),
            Num(CmdMove, 5, 1),     Num(CmdLine, 5, 6)};
}

} // namespace vellograph::test
