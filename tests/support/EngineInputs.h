#pragma once

#include "model/engine/AQVLaplace.h"

namespace aqv::test {

// One confined aquifer: both aquitards closed at their outer faces and without storage, so that
// they contribute nothing and the aquifer behaves as in the Theis solution.
inline TAquiferSystemInput ConfinedAquifer(double transmissivity, double storativity) {
  TAquiferSystemInput system;
  system.AquiferCount = 1;
  system.T[1] = transmissivity;
  system.S[1] = storativity;
  system.Resistance.Fill(1000.0);
  system.SAquitard.Fill(0.0);
  system.TopAquitardImpervious = true;
  system.BottomAquitardImpervious = true;
  return system;
}

}  // namespace aqv::test
