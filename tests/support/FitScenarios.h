#pragma once

#include <string>

#include "model/AQVData.h"

namespace aqv::test {

// Pumping tests whose observations are the model's own drawdowns, so that a fit started away
// from the true values must find them again. Every builder leaves the document ready for a run:
// metres, GridsValid set, the fitting list collected.

// One aquifer (T 800 m2/d, S 2e-4) below a leaky top aquitard (c 400 d), impervious bottom;
// the default pumping well (800 m3/d from day 0) and two observation wells at 15 m and 50 m with
// `times` log-spaced observations each from 1e-3 to 1 day.
void MakeSingleAquiferTest(TAQVData& d, int times = 12);

// Two aquifers (T 500 and 1500 m2/d, S 1e-4 and 5e-4) under a leaky top aquitard with storage
// (c 2000 d, S' 1e-3) and with a middle aquitard (c 500 d); one pumping well in aquifer 1 with
// three periods (800 m3/d, 1200 m3/d from day 2, recovery from day 5); five observation wells
// at 5, 20, 60, 150 and 300 m, three in aquifer 1 and two in aquifer 2, with `times`
// log-spaced observations each from 1e-4 to 10 days.
void MakeTwoAquiferTest(TAQVData& d, int times);

// The pumping well observed at its own face: an observation well at the well's position with
// `times` log-spaced observations from 1e-4 to 1 day; the pumping well has rc 0.15 m,
// rw 0.1 m and skin 0.02 d.
void MakeWellFaceTest(TAQVData& d, int times = 15);

// Observed := computed drawdown of every observation, then the fitting list anew.
void ObserveModel(TAQVData& d);

// Every value of every input table, the computed drawdowns and the fitting list as bytes, so
// that two documents compare bit for bit (a -0 differs from 0, a NaN payload counts).
std::string TableBytes(const TAQVData& d);

}  // namespace aqv::test
