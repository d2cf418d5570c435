// Journeys: pages, help and the frame window.

#include "tests/e2e/Journey.h"
