// Drawings, files and temporary directories for the export command tests.
#pragma once

#include "drawing.h"
#include "record.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellograph::testing {

inline TDrawCommand M(int x, int y) {
    return MakeNumberRecord(CmdMove, x, y);
}
inline TDrawCommand L(int x, int y) {
    return MakeNumberRecord(CmdLine, x, y);
}
inline TDrawCommand C(TColor c) {
    return MakeColorRecord(CmdColor, c);
}
inline TDrawCommand E(TColor c) {
    return MakeColorRecord(CmdFill, c);
}
inline TDrawCommand D(int ms) {
    return MakeNumberRecord(CmdDelay, ms, 0);
}
inline TDrawCommand P(int width) {
    return MakeNumberRecord(CmdPenWidth, width, 0);
}

inline TAVecImage MakeDrawing(const std::vector<TDrawCommand>& records) {
    TAVecImage d;
    NewDrawing(d);
    d.Commands = records;
    d.LastIndex = static_cast<std::int32_t>(records.size()) - 1;
    return d;
}

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        std::string p = (std::filesystem::temp_directory_path() / "vellograph-XXXXXX").string();
        if (!::mkdtemp(p.data())) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = p;
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> list(const std::string& sub = "") const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_ / sub)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline void WriteDrawing(const std::string& path, const std::vector<TDrawCommand>& records) {
    std::string bytes(StandardHeader, HeaderSize);
    bytes.append(reinterpret_cast<const char*>(records.data()), records.size() * 6);
    WriteBytes(path, bytes);
}

} // namespace vellograph::testing
