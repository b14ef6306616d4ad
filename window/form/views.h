// The three views the window keeps: the live one and the two of the scale/rotation panel.
#pragma once

#include "engine/playback/view.h"

namespace vellograph {

// Every playback and every recording goes through this view.
extern TViewParams LiveView;
// The working copy the scale/rotation panel edits; its frame is drawn in red.
extern TViewParams PreviewView;
// The view whose frame outline is on the surface at the moment.
extern TViewParams DrawnFrameView;

} // namespace vellograph
