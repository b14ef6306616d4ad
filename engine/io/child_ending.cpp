// How a child process ended, in words: the status and the line that says why.
#include "engine/io/child_process.h"

#include <algorithm>
#include <cstring>

namespace vellograph::fileio {

namespace {
constexpr std::size_t MaxLine = 300;
} // namespace

std::string FirstMessageLine(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        // ffmpeg names the part that speaks: "[libx264 @ 0x5581...] ".
        if (line.size() > 1 && line[0] == '[') {
            const std::size_t close = line.find("] ");
            if (close != std::string::npos && line.find(" @ ") < close) {
                line.erase(0, close + 2);
            }
        }
        while (!line.empty() &&
               (static_cast<unsigned char>(line.back()) <= ' ' || line.back() == '-')) {
            line.pop_back();
        }
        if (!line.empty()) {
            return line.size() > MaxLine ? line.substr(0, MaxLine) + "..." : line;
        }
    }
    return {};
}

std::string ChildEnding::describe() const {
    std::string text;
    switch (how) {
    case How::NotStarted:
        return std::string("could not be started: ") + std::strerror(code);
    case How::Exited:
        text = "ended with status " + std::to_string(code);
        break;
    case How::Signalled: {
        const char* name = strsignal(code);
        text = "was ended by signal " + std::to_string(code) +
               (name ? std::string(" (") + name + ")" : "");
        break;
    }
    case How::TimedOut:
        text = "did not finish in " +
               (code % 1000 ? std::to_string(code) + " ms" : std::to_string(code / 1000) + " s");
        break;
    case How::Lost:
        text = std::string("could not be waited for: ") + std::strerror(code);
        break;
    }
    return errorLine.empty() ? text : text + ": " + errorLine;
}

} // namespace vellograph::fileio
