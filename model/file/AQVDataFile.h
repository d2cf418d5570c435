#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/Elements.h"
#include "chart/Legend.h"
#include "chart/Series.h"
#include "model/AQVDataTypes.h"
#include "model/AQVElements.h"
#include "model/file/AQVFileText.h"

namespace aqv {

// The form of a data file, decided from its first line. The numbers are the order in which
// the forms appeared.
enum class TAQVDataFileForm : std::uint8_t {
  dfOldest = 0,  // the purely numeric layout: any first line that is no year header
  df2007 = 1,
  df2008 = 2,
  df2009 = 3,
  df2010 = 4,
  df2011 = 5,
  df2012 = 6,
};

// The first line of a year form ("AQV data file version 2010"); empty for dfOldest.
std::string_view DataFileHeader(TAQVDataFileForm form);

// Sane bounds of the lists that only the data file limits.
inline constexpr int kMaxTextBoxes = 1000;
inline constexpr int kMaxImageFiles = 1000;

// ---- Content: the blocks of a data file as plain values -----------------------------------------
//
// Stored units throughout: times in days, lengths in the document's length unit,
// transmissivity length^2/day, resistance days, discharges length^3/day. A default-constructed
// content holds the values of a new document, so that whatever a file does not carry keeps
// its default. Parameter marks are the model's mark characters (kNoMark for none).

// One aquitard row; aquitard i lies above aquifer i.
struct TDataFileAquitard {
  double DAquitard = 1;      // thickness, length
  double Resistance = 1000;  // c, days
  char ResistanceCode = kNoMark;
  double SAquitard = 0;  // S'
  char SAquitardCode = kNoMark;
  std::string Name;  // at most kLayerNameWidth characters
  // Derived on reading (the writer ignores it): vertical conductivity, length/day.
  double Kv = 0.001;
  friend bool operator==(const TDataFileAquitard&, const TDataFileAquitard&) = default;
};

struct TDataFileAquifer {
  double D = 1;     // thickness, length
  double T = 1000;  // transmissivity, length^2/day
  char TCode = kNoMark;
  double S = 0.001;  // storativity
  char SCode = kNoMark;
  std::string Name;  // at most kLayerNameWidth characters
  // Derived on reading (the writer ignores it): horizontal conductivity, length/day.
  double Kh = 1000;
  friend bool operator==(const TDataFileAquifer&, const TDataFileAquifer&) = default;
};

struct TDataFilePeriod {
  double StartTime = 0;    // days
  double Discharge = 800;  // length^3/day
  bool Included = true;
  friend bool operator==(const TDataFilePeriod&, const TDataFilePeriod&) = default;
};

struct TDataFilePumpingWell {
  std::string Name;  // at most kWellNameWidth characters
  double X = 0, Y = 0;
  double Rc = 0.1;  // casing radius, length
  char RcCode = kNoMark;
  double Rw = 0.1;  // screen radius, length
  char RwCode = kNoMark;
  double Skin = 0;  // days
  char SkinCode = kNoMark;
  bool Included = true;
  std::vector<TDataFilePeriod> Periods;  // 1..kMaxPeriods
  // Screened[k - 1]: the well has a screen in aquifer k.
  std::array<bool, kMaxAquifers> Screened = {true, false};
  friend bool operator==(const TDataFilePumpingWell&, const TDataFilePumpingWell&) = default;
};

struct TDataFileObservation {
  double Time = 1;        // days
  double Observed = 0.1;  // drawdown, length
  bool Included = true;
  friend bool operator==(const TDataFileObservation&, const TDataFileObservation&) = default;
};

struct TDataFileObservationWell {
  std::string Name;  // at most kWellNameWidth characters
  double X = 10, Y = 10;
  int Layer = 1;  // the observed aquifer, 1..aquifer count
  double Rc = 0.02, Rw = 0.02;
  double Skin = 0;
  bool Included = true;
  // Derived on reading (the writer ignores it): no earlier well of the file stands at the same
  // place, so this well gets a curve of its own.
  bool OwnCurve = true;
  std::vector<TDataFileObservation> Observations;  // 0..kMaxObservations
  friend bool operator==(const TDataFileObservationWell&,
                         const TDataFileObservationWell&) = default;
};

// The scale line of an axis: the four automatic flags and the four values. The log flag and
// the reverse order are not carried.
struct TDataFileScale {
  bool MinAutomatic = true, MaxAutomatic = true;
  bool MajorUnitAutomatic = true, MinorUnitAutomatic = true;
  double Min = 0, Max = 100, MajorUnit = 10, MinorUnit = 2;
  friend bool operator==(const TDataFileScale&, const TDataFileScale&) = default;
};

// The seven lines of one axis. The grid flag, the number format and the title's orientation
// are not carried.
struct TDataFileAxis {
  bool Shown = true;  // the axis is in the chart's Axes
  TMyAlignmentTypes Alignment = TMyAlignmentTypes::maCenter;
  int Orientation = 0;  // degrees
  TMyAlignmentTypes TitleAlignment = TMyAlignmentTypes::maCenter;
  TFontData Font;
  TPatternsData Patterns;
  TDataFileScale Scale;
  TFontData TitleFont;
  TPatternsData TitlePatterns;
  bool TitleAutomatic = true;
  std::string TitleText;
  friend bool operator==(const TDataFileAxis&, const TDataFileAxis&) = default;
};

// The chart title lines: alignment, automatic flag and text, font, patterns.
struct TDataFileTitle {
  TMyAlignmentTypes Alignment = TMyAlignmentTypes::maCenter;
  bool Automatic = true;
  std::string Text;
  TFontData Font;
  TPatternsData Patterns;
  friend bool operator==(const TDataFileTitle&, const TDataFileTitle&) = default;
};

struct TDataFileSeriesFormat {
  TMarkerData Marker;
  TPatternsData Patterns;
  friend bool operator==(const TDataFileSeriesFormat&, const TDataFileSeriesFormat&) = default;
};

// A well's flags line and colour list. Only aquifers 1 and 2 of LayerSet are read back.
struct TDataFileWellOptions {
  TByteSet LayerSet;  // element k: the curve of aquifer k is drawn
  std::array<TColor, kMaxAquifers> CurveColor = {clWhite, clWhite};  // aquifers 1 and 2
  friend bool operator==(const TDataFileWellOptions&, const TDataFileWellOptions&) = default;
};

// The formatting of the time graph, carried by the 2011 and 2012 forms.
struct TDataFileTimeGraph {
  bool AutoUpdate = false;
  bool WellFluxMode = false;
  double StartingTime = 0.001;  // days
  double StoppingTime = 1000;   // days
  int TimeAxis = 0;             // 0 logarithmic, 1 linear
  int ValueAxis = 0;            // 0 log drawdown, 1 linear drawdown, 2 linear head
  TPatternsData ChartAreaPatterns;
  TDataFileTitle ChartTitle;
  TLegendData Legend;
  TDataFileAxis XAxis;
  TDataFileAxis YAxis;
  std::vector<TDataFileSeriesFormat> Series;  // at most kMaxSeriesCount
  // One entry per well; the writer writes defaults for missing entries.
  std::vector<TDataFileWellOptions> PumpingWellOptions;
  std::vector<TDataFileWellOptions> ObservationWellOptions;
  friend bool operator==(const TDataFileTimeGraph&, const TDataFileTimeGraph&) = default;
};

// The map's drawing options and legend placement ("Contour plot options").
struct TDataFileMapOptions {
  bool Boundary = true;  // dbgBoundary
  bool Grid = true;      // dbgGrid
  TPlacement Placement = TPlacement::plRight;
  friend bool operator==(const TDataFileMapOptions&, const TDataFileMapOptions&) = default;
};

// A map text box as its "TME" record line and its text line store it.
struct TAQVTextBoxProperties {
  // False when the record line was short or no "TME" record: the box keeps the defaults below.
  bool Recognized = true;
  int PixelX = 0, PixelY = 0;    // position relative to the map's top-left corner, pixels
  int Width = 185, Height = 89;  // pixels
  // Anchor mode 1: the world point of the top-left corner, display length units; modes 2..5:
  // pixels from the anchoring corner.
  double X = 0, Y = 0;
  int Kind = 0;        // 0 ordinary box, 1 painted only on copies
  int AnchorMode = 1;  // 0..5
  bool ClearBackground = true;
  TColor Color = clWhite;
  TFontData Font;
  int Alignment = 1;  // 1 left, 2 centre, 3 right
  TPenStyle FramePenStyle = TPenStyle::psClear;
  int FrameWidth = 0;  // pixels
  TColor FrameColor = clBlack;
  std::string Text;  // line breaks as CR LF
  friend bool operator==(const TAQVTextBoxProperties&, const TAQVTextBoxProperties&) = default;
};

// Everything a data file carries.
struct TAQVDataFileContent {
  // The form the file was read in; the writer chooses its own (DataFileFormFor).
  TAQVDataFileForm Form = TAQVDataFileForm::df2012;

  // InfoTexts[k - 1] is information text k, at most kInfoTextWidth characters.
  std::array<std::string, kInfoTextCount> InfoTexts = {"", "", "", "",  " ", " ", " ",
                                                       "", "", "", " ", " ", " ", " "};

  double RelStoppingCriterion = 0.0001;
  double AbsStoppingCriterion = 0.0001;  // length
  bool LinearResiduals = true;

  TAQVLengthUnit LengthUnit = TAQVLengthUnit::luMeters;
  TAQVTimeUnit TimeUnit = TAQVTimeUnit::tuDays;
  double SurfaceLevel = 0;  // length
  bool TopAquitardAbsent = false, TopAquitardImpervious = false;
  bool BottomAquitardAbsent = false, BottomAquitardImpervious = true;
  // Aquitards 1..n+1 and aquifers 1..n from the top; an absent aquitard keeps its entry.
  std::vector<TDataFileAquitard> Aquitards = {TDataFileAquitard{}, TDataFileAquitard{}};
  std::vector<TDataFileAquifer> Aquifers = {TDataFileAquifer{}};

  std::vector<TDataFilePumpingWell> PumpingWells;          // 1..kMaxPumpingWells
  std::vector<TDataFileObservationWell> ObservationWells;  // 0..kMaxObservationWells

  std::optional<TDataFileTimeGraph> TimeGraph;  // absent: the 2010 form

  double WorldX1 = 0, WorldX2 = 0, WorldY1 = 0, WorldY2 = 0;  // length
  double AnimationStartTime = 0;                              // days
  int TimeSteps = 50;
  double AnimationEndTime = 10;     // days
  int DrawLayer = 1;                // raised to 1 and lowered to the aquifer count on reading
  double SavedContourInterval = 0;  // length; 0 while the interval is automatic

  int BackgroundTransparency = 50;
  bool ShowBackgroundImages = false;
  // Every entry of the file; whether its image and world files exist is for the caller to see.
  TBackgroundFiles BackgroundFiles;

  std::optional<TDataFileMapOptions> MapOptions;  // absent when the file has no such block
  std::vector<TAQVTextBoxProperties> TextBoxes;   // at most kMaxTextBoxes

  int AquiferCount() const { return static_cast<int>(Aquifers.size()); }
  friend bool operator==(const TAQVDataFileContent&, const TAQVDataFileContent&) = default;
};

// ---- Reading ------------------------------------------------------------------------------------

enum class TDataFileStatus : std::uint8_t {
  dsOK = 0,
  dsReadError,                // a malformed token, or the file ends too early
  dsTooManyLayers,            // more than 2 aquifers (oldest form: or observations, parameters)
  dsIncompatible,             // oldest form whose first two numbers do not multiply to 1
  dsTooManyPumpingWells,      // more than 2
  dsTooManyObservationWells,  // more than 5
  dsTooManyMeasurements,      // more than 5000 observations in all wells
  dsTooManyPeriods,           // more than 100 periods in one pumping well
  dsTooManyWellMeasurements,  // more than 1000 observations in one well
  dsInvalidCount,             // a count below its least value, or lists beyond their bounds
  dsValueOutOfRange,          // an ordinal, colour, layer or parameter group out of range
};

constexpr bool IsSuccess(TDataFileStatus status) {
  return status == TDataFileStatus::dsOK;
}
// The message the user sees; path is the file's path, line the line of the failure.
std::string ToText(TDataFileStatus status, std::string_view path, int line);

// Result of ParseDataFile. On failure Content holds what was read before it and must not be
// applied. Warnings are the messages to show (each after a beep) while the file was read.
struct [[nodiscard]] TDataFileParse {
  TDataFileStatus Status = TDataFileStatus::dsOK;
  std::string Message;
  int Line = 0;       // 1-based line of the failure
  int Column = 0;     // 1-based byte column in the decoded line, 0 when not known
  bool Beep = false;  // the refusal comes with a beep
  // Where and what: what the reader expected at Line ("the file ends inside the observations
  // of well 2."). The Message gives it as its second line: "Line " + Line + ": " + Reason, or
  // the Reason alone, as a sentence, after a refusal whose own text names its line.
  std::string Reason;
  // Besides the warnings about parameter groups, one about a last line without its line end,
  // whose last value may have been cut short.
  std::vector<std::string> Warnings;
  TAQVDataFileContent Content;
  bool IsSuccess() const { return aqv::IsSuccess(Status); }
};

// Reads a data file of any of the seven forms. path is used in messages only. What a read
// takes is bounded by the capacities, never by the file, and no input makes it fail in any
// other way than by the returned status. A count that does not convert, a block that does not
// start with its title or label, and lines that a count leaves over are refused where they
// stand.
TDataFileParse ParseDataFile(std::string_view bytes, std::string_view path = {});

// ---- Writing ------------------------------------------------------------------------------------

enum class TDataFileWriteStatus : std::uint8_t {
  dwOK = 0,
  dwNotFinite,       // a number that is not finite
  dwInvalidContent,  // counts or lists beyond the capacities
  dwNotReadable,     // the written text would not read back
};

constexpr bool IsSuccess(TDataFileWriteStatus status) {
  return status == TDataFileWriteStatus::dwOK;
}
// Why the document could not be written, as a sentence for the second line of the message.
std::string ToText(TDataFileWriteStatus status);

struct [[nodiscard]] TDataFileWrite {
  TDataFileWriteStatus Status = TDataFileWriteStatus::dwOK;
  // Detail for the log; the user sees "Could not save " + path + "!" and ToText(Status).
  std::string Message;
  std::string Bytes;
  bool IsSuccess() const { return aqv::IsSuccess(Status); }
};

// The form a content is written in: 2010 without a time graph, 2012 with text boxes, else 2011.
TAQVDataFileForm DataFileFormFor(const TAQVDataFileContent& content);

// The whole file, lines ended by CR LF. editionLabel completes the version line. The bytes
// are read back before they are returned, so a written file always opens again.
TDataFileWrite WriteDataFile(const TAQVDataFileContent& content,
                             std::string_view editionLabel = {});

// ---- Text boxes ---------------------------------------------------------------------------------

// The "TME" record line of a box: 22 comma-separated fields, line breaks as "&crnl;". A value
// that is not finite is written as 0.
std::string TextBoxPropertiesText(const TAQVTextBoxProperties& box);
// Reads a record line into box. A line with fewer than 22 fields or another tag leaves box
// unchanged with Recognized false; a field that is not a number is fpMalformed, a colour,
// kind or anchor mode the program cannot hold fpOutOfRange.
[[nodiscard]] TFieldParse ParseTextBoxProperties(std::string_view line, TAQVTextBoxProperties& box);

}  // namespace aqv
