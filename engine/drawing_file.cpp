// Loading and saving drawing files. (Provisional: plain reads and writes.)
#include "drawing.h"
#include "host.h"

#include <cstdio>
#include <cstring>

namespace vellograph {

void LoadDrawing(const std::string& fileName, TAVecImage& drawing) {
    if (!FileExists(fileName)) {
        CurrentHost().ShowMessage(MsgLoadFailed);
        return;
    }
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) {
        CurrentHost().ShowMessage(MsgLoadFailed);
        return;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    const std::size_t got = std::fread(drawing.Header.data(), 1, HeaderSize, f);
    drawing.HeaderLastIndex = static_cast<std::uint8_t>(got - 1);
    drawing.Commands.clear();
    drawing.LastFillIndex = 0;
    long offset = HeaderSize;
    std::int32_t count = 0;
    for (;;) {
        drawing.Commands.push_back(TDrawCommand{});
        (void)!std::fread(&drawing.Commands.back(), 1, 6, f);
        ++count;
        offset += 6;
        drawing.LastIndex = count - 1;
        if (offset >= size) {
            break;
        }
        if (count % 256 == 0) {
            CurrentHost().ProcessMessages();
        }
    }
    drawing.LastIndex = count - 1;
    std::fclose(f);
    CurrentHost().ShowMessage(MsgLoaded);
}

void SaveDrawing(const std::string& fileName, const TAVecImage& drawing, std::int32_t& savedSize) {
    std::FILE* f = std::fopen(fileName.c_str(), "wb");
    if (!f) {
        CurrentHost().ShowMessage(MsgSaveFailed);
        return;
    }
    std::fwrite(drawing.Header.data(), 1, HeaderSize, f);
    std::fwrite(drawing.Commands.data(), 6, static_cast<std::size_t>(drawing.LastIndex + 1), f);
    std::fclose(f);
    savedSize = static_cast<std::int32_t>(HeaderSize + 6 * static_cast<std::size_t>(drawing.LastIndex + 1));
}

} // namespace vellograph
