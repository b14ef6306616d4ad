// The record rules and the pen and pacing defaults: one home for the values
// that recording, playback, the panels and the exports must agree on.
#pragma once

#include "engine/format/record.h"

#include <algorithm>
#include <cstdint>

namespace vellograph {

// Pen widths. A "p" record, recorded or played, holds at most 128; a width of
// 0 or less becomes the default 2, not 1.
inline constexpr std::int32_t DefaultPenWidth = 2;
inline constexpr std::int32_t MaxPenWidth = 128;
constexpr std::int32_t RecordedPenWidth(std::int32_t value) {
    return value > MaxPenWidth ? MaxPenWidth : (value < 1 ? DefaultPenWidth : value);
}

// Holds. A "d" record waits 1 to 10000 ms; a fill ("e") holds for 10 ms.
inline constexpr std::int32_t MinRecordDelayMs = 1;
inline constexpr std::int32_t MaxRecordDelayMs = 10000;
constexpr std::int32_t RecordedDelayMs(std::int32_t value) {
    return std::clamp(value, MinRecordDelayMs, MaxRecordDelayMs);
}
inline constexpr std::int32_t FillDelayMs = 10;

// The pen at start-up, after "Новый файл" and after "Загрузка сохранки"; a
// new drawing's first two records set the same colour and width.
inline constexpr TColor DefaultPenColor = 0;         // black
inline constexpr TColor DefaultFillColor = 0xFFFFFF; // white
// Every clear of the drawing surface is white.
inline constexpr TColor ClearColor = 0xFFFFFF;

// Records played between two pumps of the message queue.
inline constexpr std::int32_t PaceSlow = 3;   // at start-up and after "Медленно"
inline constexpr std::int32_t PaceToEnd = 64; // "В конец"
// A replay whose result should show almost at once: undo, and the redraws of
// the scale/rotation panel. Redo plays at half of it.
inline constexpr std::int32_t PaceFastReplay = 4096;
inline constexpr std::int32_t PaceRedo = 2048;

} // namespace vellograph
