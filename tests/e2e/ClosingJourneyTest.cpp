// Journeys: closing documents and the program never loses what a person typed or fitted.

#include "tests/e2e/Journey.h"
