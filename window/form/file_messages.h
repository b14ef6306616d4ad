// The texts that the file commands and the autosave show.
#pragma once

#include <cstdint>
#include <string>

namespace vellograph {

inline constexpr const char* MsgFileNotFound = "Файл не найден";
inline constexpr const char* MsgOverwrite = "Файл уже есть. перезаписать?";
inline constexpr const char* MsgNotSaved = "Не сохранено";
inline constexpr const char* MsgDeleteTemp = "Уверены что хотите удалить файл сохранки?";
inline constexpr const char* MsgNoTemp = "Его и так нет";

// With the size SaveDrawing returned, 0 when it failed.
inline std::string SavedSizeText(std::int32_t size) {
    return "Размер сохраненного: " + std::to_string(size) + " байт";
}

inline std::string AutosaveCountdownText(std::int32_t seconds) {
    return "Автосохранение через " + std::to_string(seconds);
}

} // namespace vellograph
