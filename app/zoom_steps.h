// zoom_steps.h - the zoom levels Ctrl+plus and Ctrl+minus step through.
#pragma once

namespace tessaly {

inline constexpr double kNormalZoom = 1.0;

// The next level up or down from `level`; the largest or smallest level
// stays where it is. A level between two steps goes to the next step.
double zoomedIn(double level);
double zoomedOut(double level);

}  // namespace tessaly
