#pragma once
// The factory of the instrument-panel gauge page, one page per "Gauge" element.

#include "app/contracts/PageFactory.h"

void AddGaugePageFactory(CPageFactories& factories);
