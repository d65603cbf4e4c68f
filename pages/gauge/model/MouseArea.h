#pragma once
// A mouse area of a gauge as the panel's knobs use it: the first area serves Up and Down, the
// second Left and Right.

#include "pages/gauge/model/GaugeAction.h"

struct CMouseArea {
    GaugeAction up;
    GaugeAction down;
};
