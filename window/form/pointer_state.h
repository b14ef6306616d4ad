// The pointer state the surface's mouse handlers keep between events.
#pragma once

#include <cstdint>

namespace vellograph {

// The button of a press on the surface, numbered as the program counts them.
enum class TMouseButton : std::uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// A press on the surface has not yet been followed by a release there.
extern bool ButtonHeld;
extern TMouseButton LastButton;
// The latest press (and, while a button is held, the latest move), in
// surface pixels. Panels and pickers open with their corner here.
extern std::int32_t PointerX;
extern std::int32_t PointerY;
// Where the next stroke segment starts.
extern std::int32_t PrevX;
extern std::int32_t PrevY;

// Back to the start-up state: nothing held, everything zero.
void ResetPointerState();

} // namespace vellograph
