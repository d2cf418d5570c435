#include "tests/support/FitScenarios.h"

#include <cmath>
#include <cstring>

namespace aqv::test {

namespace {

void SetLogTimes(TObservationWell& well, int count, double first, double last) {
  for (int k = 1; k <= count; ++k)
    well.Time[k] = first * std::pow(last / first, (k - 1) / static_cast<double>(count - 1));
}

void Finish(TAQVData& d) {
  d.SetLengthUnitLabel(TAQVLengthUnit::luMeters);
  d.GroupCoincidentWells();
  d.CollectIncludedObservations();
  d.GridsValid = true;
}

template <typename T>
void Put(std::string& bytes, const T& value) {
  char raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  bytes.append(raw, sizeof(T));
}

void Put(std::string& bytes, const std::string& text) {
  Put(bytes, text.size());
  bytes += text;
}

template <typename T, int Lo, int Hi>
void Put(std::string& bytes, const TArrayRange<T, Lo, Hi>& values) {
  for (const T& value : values) Put(bytes, value);
}

template <typename... T>
void Append(std::string& bytes, const T&... values) {
  (Put(bytes, values), ...);
}

}  // namespace

void MakeSingleAquiferTest(TAQVData& d, int times) {
  d.T[1] = 800;
  d.S[1] = 2e-4;
  d.Resistance[1] = 400;
  d.SetObservationWellCount(2);
  const double distance[] = {15, 50};
  for (int j = 1; j <= 2; ++j) {
    TObservationWell& well = d.ObservationWells[j];
    well.X = distance[j - 1];
    well.Y = 0;
    d.SetObservationCount(j, times);
    SetLogTimes(well, times, 1e-3, 1);
  }
  Finish(d);
  ObserveModel(d);
}

void MakeTwoAquiferTest(TAQVData& d, int times) {
  d.SetAquiferCount(2);
  d.T[1] = 500;
  d.T[2] = 1500;
  d.S[1] = 1e-4;
  d.S[2] = 5e-4;
  d.Resistance[1] = 2000;
  d.SAquitard[1] = 1e-3;
  d.Resistance[2] = 500;
  d.SetTopAquitardImpervious(false);
  TPumpingWell& pumping = d.PumpingWells[1];
  pumping.SetPeriodCount(3);
  pumping.StartTime[2] = 2;
  pumping.Discharge[2] = 1200;
  pumping.StartTime[3] = 5;
  pumping.Discharge[3] = 0;
  d.SetObservationWellCount(5);
  const double distance[] = {5, 20, 60, 150, 300};
  for (int j = 1; j <= 5; ++j) {
    TObservationWell& well = d.ObservationWells[j];
    well.X = distance[j - 1];
    well.Y = 0;
    well.Layer = j <= 3 ? 1 : 2;
    d.SetObservationCount(j, times);
    SetLogTimes(well, times, 1e-4, 10);
  }
  Finish(d);
  ObserveModel(d);
}

void MakeWellFaceTest(TAQVData& d, int times) {
  TPumpingWell& pumping = d.PumpingWells[1];
  pumping.Rc = 0.15;
  pumping.Rw = 0.1;
  pumping.Skin = 0.02;
  d.SetObservationWellCount(1);
  TObservationWell& well = d.ObservationWells[1];
  well.Name = "Pumping well face";
  well.X = pumping.X;
  well.Y = pumping.Y;
  d.SetObservationCount(1, times);
  SetLogTimes(well, times, 1e-4, 1);
  Finish(d);
  ObserveModel(d);
}

void ObserveModel(TAQVData& d) {
  d.ComputeObservationDrawdowns();
  for (int j = 1; j <= d.ObservationWellCount(); ++j) {
    TObservationWell& well = d.ObservationWells[j];
    for (int k = 1; k <= well.ObservationCount(); ++k) well.Observed[k] = well.Computed[k];
  }
  d.CollectIncludedObservations();
}

std::string TableBytes(const TAQVData& d) {
  std::string b;
  Append(b, d.AquiferCount(), d.T, d.Kh, d.D, d.S, d.Resistance, d.Kv, d.DAquitard, d.SAquitard,
         d.TCode, d.ResistanceCode, d.SCode, d.SAquitardCode, d.AquiferName, d.AquitardName);
  for (const TAquitardBackup* backup : {&d.TopAquitardBackup, &d.BottomAquitardBackup})
    Append(b, backup->Resistance, backup->SAquitard, backup->ResistanceCode, backup->SAquitardCode);
  Append(b, d.SurfaceLevel(), d.TopAquitardAbsent(), d.BottomAquitardAbsent(),
         d.TopAquitardImpervious(), d.BottomAquitardImpervious(), d.PumpingWellCount());
  for (const TPumpingWell& w : d.PumpingWells) {
    Append(b, w.Name, w.X, w.Y, w.Screened, w.Rc, w.Rw, w.Skin, w.RcCode, w.RwCode, w.SkinCode,
           w.PeriodCount(), w.StartTime, w.Discharge, w.Included);
  }
  Append(b, d.ObservationWellCount());
  for (const TObservationWell& w : d.ObservationWells) {
    Append(b, w.Name, w.X, w.Y, w.Layer, w.Rc, w.Rw, w.Skin, w.ObservationCount(), w.Time,
           w.Observed, w.Computed, w.Included);
  }
  Append(b, d.FitCount());
  for (int i = 1; i <= d.FitCount(); ++i) {
    Append(b, d.FitName[i], d.FitX[i], d.FitLayer[i], d.FitTime[i], d.FitObserved[i],
           d.FitComputed[i]);
  }
  return b;
}

}  // namespace aqv::test
