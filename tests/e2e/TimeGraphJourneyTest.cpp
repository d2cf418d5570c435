// Journeys: the time graph follows its buttons and keeps the styles a file carries.

#include "tests/e2e/Journey.h"
