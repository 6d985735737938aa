// zoom_steps.cpp - zoom levels as GNOME's browser steps through them.
#include "app/zoom_steps.h"

#include <iterator>

namespace tessaly {

namespace {

constexpr double kSteps[] = {0.30, 0.50, 0.67, 0.80, 0.90, 1.00, 1.10, 1.20, 1.33, 1.50, 1.70, 2.00, 2.40, 3.00};
// Levels that differ by less are the same step.
constexpr double kSlack = 0.005;

}  // namespace

double zoomedIn(double level) {
    for (const double step : kSteps) {
        if (step > level + kSlack) return step;
    }
    return std::end(kSteps)[-1];
}

double zoomedOut(double level) {
    for (auto step = std::rbegin(kSteps); step != std::rend(kSteps); ++step) {
        if (*step < level - kSlack) return *step;
    }
    return kSteps[0];
}

}  // namespace tessaly
