// Journeys: the input grids driven with the mouse and keys.

#include "tests/e2e/Journey.h"
