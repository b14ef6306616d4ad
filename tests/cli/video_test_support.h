// What the video tests share: a small sketch, and the tool and ffmpeg run
// from a shell.
#pragma once

#include "tests/support/temp_dir.h"
#include "tests/support/test_records.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vellograph::test {

// A fill (10 ms), strokes in three colours, and a delay of one second.
inline TRecords Sketch() {
    return {Fill(0xCCFFCC),  Width(3),    Move(4, 4),   Line(56, 40),
            Color(0x0000FF), Move(4, 40), Line(60, 6),  Delay(1000),
            Color(0xFF0000), Move(30, 2), Line(30, 44), Line(10, 44)};
}

inline std::string Shell(const std::string& command) {
    std::string out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) {
            out.append(buffer, n);
        }
        ::pclose(p);
    }
    return out;
}

inline bool HaveFfmpeg() {
    return Shell("command -v ffmpeg && command -v ffprobe").find("ffprobe") != std::string::npos;
}

struct Outcome {
    int status;
    std::string err;
};

inline Outcome Cli(const TempDir& dir, const std::string& env,
                   const std::vector<std::string>& args) {
    std::string command = env + " '" VELLOGRAPH_CLI "'";
    for (const std::string& a : args) {
        command += " '" + a + "'";
    }
    const int raw = std::system((command + " >/dev/null 2>'" + dir.file("err") + "'").c_str());
    const std::string err = ReadBytes(dir.file("err"));
    std::filesystem::remove(dir.file("err"));
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
}

} // namespace vellograph::test
