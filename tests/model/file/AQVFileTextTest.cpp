#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "model/file/AQVFileText.h"

namespace aqv {
namespace {

// Sets the C locale of the process for one test and puts the previous one back afterwards.
class TScopedLocale {
 public:
  explicit TScopedLocale(const char* name) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    mOld = old ? old : "C";
    mActive = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~TScopedLocale() { std::setlocale(LC_ALL, mOld.c_str()); }
  bool Active() const { return mActive; }

 private:
  std::string mOld;
  bool mActive = false;
};

using TFloatCase = std::pair<double, const char*>;

// The edge values of the 15-character field, written out by hand from its rule; -100000 and
// -1E-100 take 15 characters and get one blank in front.
const std::vector<TFloatCase> kFloat15Cases = {
    {0.0, "  0.0000000E+00"},      {-0.0, "  0.0000000E+00"},
    {1.0, "      1.0000000"},      {-1.0, "     -1.0000000"},
    {100000.0, " 100000.0000000"}, {-100000.0, " -100000.0000000"},
    {1E-100, " 1.0000000E-100"},   {-1E-100, " -1.0000000E-100"},
    {-1E-31, " -1.0000000E-31"},   {0.001, "  1.0000000E-03"},
    {-4.5E6, " -4.5000000E+06"},   {12345.678901234, "  12345.6789012"},
    {0.5, "  5.0000000E-01"},      {100000.5, "  1.0000050E+05"},
    {1E300, " 1.0000000E+300"}};

TEST(FormatFloat15, WritesTheEdgeValuesOfItsRuleAndANumberThatIsNotFiniteAsZero) {
  for (const auto& [value, text] : kFloat15Cases) EXPECT_EQ(FormatFloat15(value), text) << value;
  for (double value :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
    EXPECT_EQ(FormatFloat15(value), "  0.0000000E+00") << value;
}

TEST(FormatFloat15, NumberOfFifteenCharactersGetsOneBlankSoFieldsNeverTouch) {
  const std::string fields =
      FormatFloat15(12345.5) + FormatFloat15(-100000) + FormatFloat15(-1E-100);
  TTextReader r(fields);
  EXPECT_EQ(r.ReadReal(), 12345.5);
  EXPECT_EQ(r.ReadReal(), -100000);
  EXPECT_EQ(r.ReadReal(), -1E-100);
  EXPECT_TRUE(r.Ok());
}

TEST(FormatFloat15, UsesAPointUnderADecimalCommaLocale) {
  TScopedLocale locale("de_DE.UTF-8");
  if (!locale.Active()) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed; the point is checked in the C locale";
  }
  for (const auto& [value, text] : kFloat15Cases) EXPECT_EQ(FormatFloat15(value), text) << value;
  double value = 0;
  ASSERT_EQ(ParseReal("1.5", value), TFieldParse::fpOK);
  EXPECT_EQ(value, 1.5);
  EXPECT_EQ(ParseReal("1,5", value), TFieldParse::fpMalformed);
  EXPECT_EQ(FormatGeneral15(12.5), "12.5");
  EXPECT_EQ(FormatFixed(12.5, 5, 13), "     12.50000");
}

// Writing, reading and writing again gives the same text also where exponent and fixed forms
// meet, which they would not if the range were decided on the unrounded value.
TEST(FormatFloat15, IsStableUnderReadingBackAtTheRangeEdges) {
  const std::vector<double> values = {0.99999999996,  -0.99999999996,  0.99999995, 100000.0000001,
                                      99999.99999999, 100000.00000004, 1 - 1E-16,  7.0E-5};
  for (const double v : values) {
    const std::string once = FormatFloat15(v);
    double back = 0;
    ASSERT_EQ(ParseReal(TrimBlanks(once), back), TFieldParse::fpOK) << once;
    EXPECT_EQ(FormatFloat15(back), once) << v;
  }
  EXPECT_EQ(FormatFloat15(0.99999999996), "      1.0000000");
}

TEST(FormatFixed, WritesTheX13And12FieldsAndIntegersPaddedToFifteen) {
  EXPECT_EQ(std::tuple(FormatInt15(0), FormatInt15(-2), FormatInt15(-2147483647 - 1)),
            std::tuple("              0", "             -2", "    -2147483648"));
  EXPECT_EQ(FormatFixed(12.5, 5, 13), "     12.50000");
  EXPECT_EQ(FormatFixed(0, 3, 12), "       0.000");
  EXPECT_EQ(FormatFixed(-0.0001, 3, 12), "       0.000");
  EXPECT_EQ(FormatFixed(-123456789.5, 5, 13), "-123456789.50000");
  EXPECT_EQ(std::tuple(FormatIntRight(3, 4), FormatIntRight(12345, 4)),
            std::tuple("   3", "12345"));
}

TEST(FormatGeneral15, WritesShortestTextWithFifteenDigits) {
  const std::vector<TFloatCase> cases = {
      {12.5, "12.5"}, {-3.25, "-3.25"},   {120, "120"},         {0.0, "0"},     {-0.0, "0"},
      {1E20, "1E20"}, {1.5E-6, "1.5E-6"}, {0.00001, "0.00001"}, {1E15, "1E15"}, {0.1, "0.1"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatGeneral15(value), text) << value;
  EXPECT_EQ(FormatGeneral15(123456789012345), "123456789012345");
  EXPECT_EQ(FormatGeneral15(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FormatGeneral15(-2.5E-300), "-2.5E-300");
}

TEST(ParseReal, AcceptsPlainAndExponentFormsOnly) {
  const std::vector<std::pair<const char*, double>> good = {
      {"1", 1},   {"-1.5", -1.5},     {"+2", 2},     {".5", 0.5},
      {"1.", 1},  {"1E-31", 1E-31},   {"1e5", 1e5},  {"-1.0000000E-31", -1E-31},
      {"007", 7}, {"1E-310", 1E-310}, {"1E-400", 0}, {"-0.01E-330", 0}};
  for (const auto& [text, expected] : good) {
    double value = -99;
    EXPECT_EQ(ParseReal(text, value), TFieldParse::fpOK) << text;
    EXPECT_EQ(value, expected) << text;
  }
  const std::vector<const char*> bad = {"nan",   "NaN", "inf", "-inf", "infinity", "0x1p3", "0x10",
                                        "1,5",   "",    "-",   "+",    "1e",       "e5",    "1.2.3",
                                        "1e400", "--1", "+-1", " 1",   "1 ",       "1d5",   "."};
  for (const char* text : bad) {
    double value = -99;
    EXPECT_EQ(ParseReal(text, value), TFieldParse::fpMalformed) << text;
    EXPECT_EQ(value, -99) << text;
  }
}

TEST(ParseInteger, AcceptsDecimalIntegersWithinThirtyTwoBits) {
  const std::vector<std::pair<const char*, int>> good = {
      {"12", 12}, {"-7", -7}, {"+3", 3}, {"-2147483648", INT_MIN}, {"2147483647", INT_MAX}};
  for (const auto& [text, expected] : good) {
    int value = -99;
    EXPECT_EQ(ParseInteger(text, value), TFieldParse::fpOK) << text;
    EXPECT_EQ(value, expected);
  }
  for (const char* text : {"1.0", "", "+", "-", "2147483648", "-2147483649", "0x10", "1e3", "$10",
                           "１", "99999999999999999999999"}) {
    int value = -99;
    EXPECT_EQ(ParseInteger(text, value), TFieldParse::fpMalformed) << text;
  }
}

// The toolkit's 52 identifiers, each of which must read back as itself.
constexpr const char* kColorIdentifiers =
    "clBlack clMaroon clGreen clOlive clNavy clPurple clTeal clGray clSilver clRed clLime "
    "clYellow clBlue clFuchsia clAqua clWhite clMoneyGreen clSkyBlue clCream clMedGray "
    "clActiveBorder clActiveCaption clAppWorkSpace clBackground clBtnFace clBtnHighlight "
    "clBtnShadow clBtnText clCaptionText clDefault clGradientActiveCaption "
    "clGradientInactiveCaption clGrayText clHighlight clHighlightText clHotLight clInactiveBorder "
    "clInactiveCaption clInactiveCaptionText clInfoBk clInfoText clMenu clMenuBar clMenuHighlight "
    "clMenuText clNone clScrollBar cl3DDkShadow cl3DLight clWindow clWindowFrame clWindowText";

TEST(ColorText, EveryIdentifierSurvivesWriteAndRead) {
  std::istringstream list(kColorIdentifiers);
  const std::vector<std::string> names{std::istream_iterator<std::string>(list), {}};
  ASSERT_EQ(names.size(), 52u);
  for (const std::string& name : names) {
    TColor color = 0x123;
    ASSERT_EQ(ParseColor(name, color), TFieldParse::fpOK) << name;
    EXPECT_EQ(ColorToText(color), name);
  }
}

// A colour without identifier is written as eight hex digits; identifiers, hex and decimal are
// read, others refused.
TEST(ColorText, WritesEightHexDigitsWithoutIdentifierAndReadsIdentifiersHexAndDecimalOnly) {
  EXPECT_EQ(ColorToText(RGBColor(255, 128, 0)), "$000080FF");
  EXPECT_EQ(std::tuple(ColorToText(clRed), ColorToText(0xFF0000), ColorToText(clSystemColor | 40)),
            std::tuple("clRed", "clBlue", "$FF000028"));
  const TColor orange = RGBColor(255, 128, 0);
  const std::vector<std::pair<const char*, TColor>> good = {
      {"$000080FF", orange},    {"$80ff", orange},         {"255", clRed},
      {"-16777201", clBtnFace}, {"4278190095", clBtnFace}, {"clbtnface", clBtnFace},
      {"CLRED", clRed},         {"$1FFFFFFF", clNone}};
  for (const auto& [text, expected] : good) {
    TColor color = 0;
    EXPECT_EQ(ParseColor(text, color), TFieldParse::fpOK) << text;
    EXPECT_EQ(color, expected) << text;
  }
  for (const char* text : {"clClear", "red", "", "$", "$123456789", "$12G4", "1.5", "cl Red"}) {
    TColor color = 7;
    EXPECT_EQ(ParseColor(text, color), TFieldParse::fpMalformed) << text;
    EXPECT_EQ(color, 7);
  }
  for (const char* text : {"$12345678", "$FFFFFFFF", "4294967296", "-2147483649", "$FF000040"}) {
    TColor color = 7;
    EXPECT_EQ(ParseColor(text, color), TFieldParse::fpOutOfRange) << text;
    EXPECT_EQ(color, 7);
  }
}

TEST(TLineSource, EndsLinesAtCrLfLfAndCrButNotAtTheEndAndDropsAByteOrderMark) {
  TLineSource source("one\r\ntwo\nthree\rfour\r\n\r\nlast");
  std::vector<std::string> lines;
  std::string line;
  while (source.Next(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
  EXPECT_FALSE(source.Next(line));
  EXPECT_EQ(std::tuple(line, source.LineNumber()), std::tuple("", 6));
  // A final line end adds no line, and a byte order mark is dropped.
  TLineSource marked(
      "\xEF\xBB\xBF"
      "first\r\n");
  ASSERT_TRUE(marked.Next(line));
  EXPECT_EQ(line, "first");
  EXPECT_FALSE(marked.Next(line));
}

TEST(DecodeFileLine, TakesInvalidUtf8AsWindows1252) {
  EXPECT_EQ(DecodeFileLine("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(std::tuple(DecodeFileLine("Caf\xE9"), DecodeFileLine("\x80 5"), DecodeFileLine("\x81")),
            std::tuple("Caf\xC3\xA9", "\xE2\x82\xAC 5", "\xC2\x81"));
  EXPECT_EQ(DecodeFileLine("\xC0\xAF"), "\xC3\x80\xC2\xAF");  // an overlong form is not UTF-8
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                  // a surrogate
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(CutToChars, CountsCharactersAndNeverSplitsOne) {
  EXPECT_EQ(CutToChars("Caf\xC3\xA9 au lait", 4), "Caf\xC3\xA9");
  EXPECT_EQ(std::tuple(CutToChars("abc", 5), CutToChars("abc", 0), CharCount("Caf\xC3\xA9")),
            std::tuple("abc", "", 4u));
}

TEST(LineBreaks, AnyKindIsWrittenAsMarkAndReadAsCrLf) {
  EXPECT_EQ(EncodeLineBreaks("a\r\nb\nc\rd"), "a&crnl;b&crnl;c&crnl;d");
  EXPECT_EQ(EncodeLineBreaks("\r\r\n"), "&crnl;&crnl;");
  EXPECT_EQ(DecodeLineBreaks("a&crnl;b&crnl;"), "a\r\nb\r\n");
  EXPECT_EQ(DecodeLineBreaks("&crnl"), "&crnl");
}

TEST(SplitAtBlanks, SplitsAtEverySingleBlank) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(std::tuple(SplitAtBlanks("a  b"), SplitAtBlanks(""), SplitAtBlanks("x ")),
            std::tuple((V{"a", "", "b"}), V{}, (V{"x", ""})));
  EXPECT_EQ(SplitAtBlanks("14 clBlack 1000 Times New Roman").size(), 6u);
}

TEST(CommaText, QuotesWhatNeedsQuotingAndReadsItBack) {
  const std::vector<std::string> fields = {"TME", "Times New Roman", "a\"b", "", "x,y", "12.5"};
  const std::string text = JoinCommaText(fields);
  EXPECT_EQ(text, "TME,\"Times New Roman\",\"a\"\"b\",,\"x,y\",12.5");
  EXPECT_EQ(SplitCommaText(text), fields);
  using V = std::vector<std::string>;
  EXPECT_EQ(std::tuple(SplitCommaText("a b,c"), SplitCommaText("a,"), SplitCommaText("  a , b  ")),
            std::tuple((V{"a", "b", "c"}), (V{"a", ""}), (V{"a", "b"})));
  EXPECT_EQ(std::tuple(SplitCommaText("\"open"), SplitCommaText("")), std::tuple((V{"open"}), V{}));
}

TEST(TTextReader, NumbersMayStandAfterLineEndsAndNamesAreTheRestOfTheLine) {
  TTextReader r("  1 2.5\n\n  -3   Well name  \r\nnext");
  EXPECT_EQ(r.ReadInteger(), 1);
  EXPECT_EQ(r.ReadReal(), 2.5);
  EXPECT_EQ(r.ReadInteger(), -3);
  EXPECT_EQ(r.ReadLine(), "   Well name  ");
  EXPECT_EQ(r.ReadLine(), "next");
  EXPECT_EQ(std::tuple(r.Ok(), r.AtEnd()), std::tuple(true, true));
}

TEST(TTextReader, ReadingPastTheEndFailsOnceAndYieldsZeros) {
  TTextReader r("5\n");
  EXPECT_EQ(r.ReadInteger(), 5);
  r.SkipLine();
  EXPECT_EQ(r.ReadReal(), 0);
  EXPECT_EQ(std::tuple(r.Error(), r.ErrorLine()), std::tuple(TReadError::rePastEnd, 2));
  EXPECT_EQ(r.ReadLine(), "");
  EXPECT_EQ(r.ReadInteger(), 0);
}

TEST(TTextReader, MalformedTokenIsReportedWithLineAndColumn) {
  TTextReader r("1 2\n  3 nan 4\n");
  r.ReadInteger();
  r.ReadInteger();
  r.ReadReal();
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.ReadReal(), 0);
  EXPECT_EQ(std::tuple(r.Error(), r.ErrorLine(), r.ErrorColumn()),
            std::tuple(TReadError::reMalformed, 2, 5));
  EXPECT_EQ(r.ReadReal(), 0);  // every later read gives 0
}

TEST(TTextReader, IntegerTokenRefusesARealAndTextAfterBlankDropsOneBlank) {
  TTextReader r("1.5\n1   Title\n");
  EXPECT_EQ(r.ReadInteger(), 0);
  EXPECT_EQ(r.Error(), TReadError::reMalformed);
  TTextReader t("1   Title\n");
  EXPECT_EQ(t.ReadInteger(), 1);
  EXPECT_EQ(t.ReadTextAfterBlank(), "  Title");
}

}  // namespace
}  // namespace aqv
