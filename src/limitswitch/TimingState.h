#pragma once
// Public state of the timing window, which the limit-switch transfers read and set.
#include <functional>

// The window's first on-line pass has run.
inline bool gFirstPassOnline = false;
// A transfer has just filled gPLSData: the window's next on-line period skips its own upload.
inline bool gPLSUploadComplete = false;
// Board type code of the limit switch chosen in the window's board list.
inline int gTargetboardIndex = 0;
// True while the timing window is shown; the window sets it when shown and clears it when hidden.
inline bool gTimingWindowShown = false;
// The window's DisplayPLSChannels (redraws its channel grid from gPLSData); set while it exists.
inline std::function<void()> gTimingDisplayPLSChannels;
