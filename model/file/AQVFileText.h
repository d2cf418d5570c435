#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chart/Color.h"

namespace aqv {

// ---- Characters and texts -----------------------------------------------------------------------

// True when bytes is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Returns one line of a file as UTF-8: unchanged when it is valid UTF-8, otherwise every byte
// taken as a Windows-1252 character, so that files written by older programs keep their
// accented names. The five bytes that Windows-1252 leaves undefined become U+0081 and so on.
std::string DecodeFileLine(std::string_view raw);

// Number of characters (code points) of a UTF-8 text.
std::size_t CharCount(std::string_view text);

// text cut to at most maxChars characters, never splitting a character.
std::string CutToChars(std::string_view text, std::size_t maxChars);

// Blanks and tabs removed on the left, the right or both sides.
std::string_view TrimLeftBlanks(std::string_view text);
std::string_view TrimRightBlanks(std::string_view text);
std::string_view TrimBlanks(std::string_view text);

// Every line break of a text (CR LF, LF or CR) written as "&crnl;", so that a text, name or
// title always stays on its one line of the file.
std::string EncodeLineBreaks(std::string_view text);
// Every "&crnl;" turned back into CR LF.
std::string DecodeLineBreaks(std::string_view text);

// The fields of a line split at every single blank: "a  b" gives "a", "", "b". An empty line
// has no fields.
std::vector<std::string_view> SplitAtBlanks(std::string_view line);

// A comma text: fields joined by commas, a field that holds a control character, a blank, a
// comma or a double quote enclosed in double quotes with its inner double quotes doubled.
std::string JoinCommaText(const std::vector<std::string>& fields);
// Splits a comma text; commas and blanks outside double quotes both separate fields, a run of
// blanks counts once, and a comma at the very end adds an empty last field.
std::vector<std::string> SplitCommaText(std::string_view text);

// ---- Numbers in files ("." always, whatever the locale) -----------------------------------------

// Outcome of converting one field of a line.
enum class TFieldParse : std::uint8_t {
  fpOK = 0,
  fpMalformed,   // not a number or colour of the expected kind
  fpOutOfRange,  // well-formed, but no value the program can hold
};

// A decimal integer: an optional sign and digits only, within 32 bits.
[[nodiscard]] TFieldParse ParseInteger(std::string_view token, int& value);
// A finite real in plain or exponent notation with "." as the separator; an optional leading
// "+". "nan", "inf", hexadecimal forms and numbers beyond the double range are malformed.
[[nodiscard]] TFieldParse ParseReal(std::string_view token, double& value);

// The 15-character real field of the data file: fixed notation with 7 decimals for
// 1 <= |v| <= 100000, else one digit, a point, seven digits, "E", a sign and at least two
// exponent digits; padded on the left to 15 characters. A text of 15 characters or more gets
// one blank in front, so that two fields never touch. A value that rounds into the fixed range
// in exponent form (0.9999999999) is written fixed, so that reading and writing again gives
// the same text. -0 is written as 0; a value that is not finite is written as 0 (the writer
// refuses such values before formatting).
std::string FormatFloat15(double value);
// The 15-character integer field: padded on the left to 15 characters, one blank in front of
// a longer text.
std::string FormatInt15(int value);
// FormatFloat15 without its blanks.
std::string FormatFloat15Trimmed(double value);
// Fixed notation with the given decimals, right-aligned in width characters (written in full
// when longer): X13.5 is FormatFixed(v, 5, 13).
std::string FormatFixed(double value, int decimals, int width);
// A decimal integer right-aligned in width characters (written in full when longer).
std::string FormatIntRight(int value, int width);
// The shortest general form with 15 significant digits: fixed notation for exponents -5..14,
// else a mantissa, "E" and the exponent without sign or leading zeros when positive ("1E20",
// "1.5E-6"). -0 is written as 0.
std::string FormatGeneral15(double value);

// ---- Colours ------------------------------------------------------------------------------------

// The colour's identifier ("clRed", "clBtnFace", ...) when it has one, else "$" and eight
// upper-case hexadecimal digits ($000080FF for red 255, green 128, blue 0).
std::string ColorToText(TColor color);
// Reads an identifier (case ignored), "$" with one to eight hexadecimal digits, or a decimal
// number. fpOutOfRange for a number that names no colour the program draws (see IsValidColor).
[[nodiscard]] TFieldParse ParseColor(std::string_view text, TColor& color);
// True for an RGB value, a system colour with an index below 64, clNone and clDefault.
bool IsValidColor(TColor color);
// The identifier of a colour, empty when it has none.
std::string_view ColorIdentifier(TColor color);
// The colour of an identifier (case ignored); false when text is no identifier.
[[nodiscard]] bool IdentifierToColor(std::string_view text, TColor& color);

// ---- Reading a file as lines and tokens ---------------------------------------------------------

// The lines of a file's bytes. A line ends at CR LF, LF or CR; a last line without an end
// still counts, and a file ending in a line end has no empty line after it. A UTF-8 byte-order
// mark at the very start is dropped. Each line is handed out decoded (DecodeFileLine).
class TLineSource {
 public:
  // bytes must outlive the source.
  explicit TLineSource(std::string_view bytes);

  // The next line; false (and line empty) when there is none.
  [[nodiscard]] bool Next(std::string& line);
  bool AtEnd() const { return mPos >= mBytes.size(); }
  // Number of lines handed out so far.
  int LineNumber() const { return mLineNumber; }
  // False when the last line handed out ended with the file rather than with a line end.
  bool LastLineEnded() const { return mLastLineEnded; }

 private:
  std::string_view mBytes;
  std::size_t mPos = 0;
  int mLineNumber = 0;
  bool mLastLineEnded = true;
};

// What stopped a TTextReader.
enum class TReadError : std::uint8_t {
  reNone = 0,
  reMalformed,   // a token or field that is not of the expected kind
  rePastEnd,     // the file ended before the line or number that was due
  reOutOfRange,  // a well-formed value that the file may not hold there
};

// Reads a data file the way the program has always read it: numbers as tokens that may stand
// after line ends, names and texts as the rest of a line. The first failure is kept (with the
// line and column where it happened) and every later read returns 0 or an empty text, so a
// block can be read in one go and checked once before anything read is used.
class TTextReader {
 public:
  // bytes must outlive the reader.
  explicit TTextReader(std::string_view bytes);

  // A number token: blanks, tabs and line ends before it are skipped; it ends before the next
  // blank, tab or line end. Returns 0 after a failure.
  int ReadInteger();
  double ReadReal();
  // Skips the rest of the current line and its line end.
  void SkipLine();
  // The rest of the current line, then moves to the next line.
  std::string ReadLine();
  // As ReadLine, but first drops the one blank or tab that separates the text from what
  // stood before it.
  std::string ReadTextAfterBlank();

  // Records a failure at the line last read (for fields of a line read with ReadLine); column
  // is the 0-based byte of the line where the failing field starts.
  void Fail(TReadError error, std::size_t column = 0);
  // Names what is being read ("the observations of well 2"); a failure keeps the name that
  // stood when it happened, for the message that says where a file is damaged.
  void SetContext(std::string context) { mContext = std::move(context); }
  const std::string& Context() const { return mContext; }
  const std::string& ErrorContext() const { return mErrorContext; }

  bool Ok() const { return mError == TReadError::reNone; }
  TReadError Error() const { return mError; }
  // 1-based line and column (bytes of the decoded line) of the first failure, else of the
  // current position. A file that ends too early fails in the line after its last, or in its
  // last line when that line has no line end (the file was cut inside it).
  int ErrorLine() const { return mErrorLine; }
  int ErrorColumn() const { return mErrorColumn; }
  // True when nothing but blanks and empty lines is left to read.
  bool AtEnd();
  // Number of the line the reader stands in (1-based).
  int Line() const { return mLineNumber; }

 private:
  bool LoadLine();
  std::string_view NextToken();
  void FailAt(TReadError error, std::size_t column);

  TLineSource mSource;
  std::string mLine;
  std::size_t mPos = 0;
  bool mHaveLine = false;  // mLine holds a line not yet finished
  int mLineNumber = 0;
  TReadError mError = TReadError::reNone;
  int mErrorLine = 0;
  int mErrorColumn = 0;
  std::string mContext;
  std::string mErrorContext;
};

}  // namespace aqv
