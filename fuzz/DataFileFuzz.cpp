// Fuzzes the data file. Whatever the reader accepts must write, and the written text must read
// back and write again to the same bytes. Then the whole load as the program does it: the file
// is read into a fresh document (setters, derived data, curve styles), saved, and the saved
// file read into another fresh document, which must save to the same bytes, so that whatever a
// load and a save lose or corrupt shows as a difference, not only what crashes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chart/ChartModel.h"
#include "model/AQVData.h"
#include "model/AQVElements.h"
#include "model/file/AQVDataFile.h"
#include "model/file/AQVFileIO.h"

namespace {

[[noreturn]] void Stop(const char* why) {
  std::fprintf(stderr, "data file fuzzer: %s\n", why);
  __builtin_trap();
}

// A folder of this process's own for the files of one run (the program loads and saves by
// path).
const std::string& WorkFolder() {
  static const std::string folder = [] {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(base) + "/aqv-fuzz-" + std::to_string(getpid());
  }();
  return folder;
}

std::string WorkPath(const char* name) {
  return WorkFolder() + "-" + name;
}

void RemoveWorkFiles() {
  for (const char* name : {"input.aqv", "first.aqv", "second.aqv"})
    std::remove(WorkPath(name).c_str());
}

void WriteInput(const std::string& path, std::string_view bytes) {
  std::remove(path.c_str());
  if (!aqv::IsSuccess(aqv::WriteFileAtomically(path, bytes))) Stop("cannot write a work file");
}

// Saves the document to path as the Save action does, and returns the bytes saved.
std::string Save(aqv::TAQVData& document, const std::string& path) {
  std::remove(path.c_str());
  document.FileName = path;
  document.Saved = false;
  document.SaveToFile(false);
  if (!document.Saved) Stop("a loaded document does not save");
  std::string bytes;
  if (!aqv::IsSuccess(aqv::ReadWholeFile(path, bytes))) Stop("a saved file does not read");
  return bytes;
}

void CheckWholeLoad(std::string_view bytes) {
  const std::string input = WorkPath("input.aqv");
  const std::string first = WorkPath("first.aqv");
  const std::string second = WorkPath("second.aqv");
  static const bool cleanup = std::atexit(RemoveWorkFiles) == 0;
  (void)cleanup;
  WriteInput(input, bytes);
  aqv::ResetGlobals();
  // The document window attaches its chart before it loads, so that the time-graph lines
  // reach the chart's formats and are saved from them.
  aqv::TChartModel chart;
  aqv::TAQVData loaded;
  loaded.ChartReference = &chart;
  loaded.FileName = input;
  if (!loaded.LoadFromFile()) Stop("the document refuses what the reader accepts");
  const std::string saved = Save(loaded, first);

  aqv::TChartModel reloadedChart;
  aqv::TAQVData reloaded;
  reloaded.ChartReference = &reloadedChart;
  reloaded.FileName = first;
  if (!reloaded.LoadFromFile()) Stop("a saved document does not load");
  if (Save(reloaded, second) != saved) Stop("loading and saving again changes the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const aqv::TDataFileParse parse = aqv::ParseDataFile(bytes, "fuzz.aqv");
  if (!parse.IsSuccess()) {
    if (parse.Message.empty()) Stop("a refusal without a message");
    return 0;
  }
  const aqv::TDataFileWrite once = aqv::WriteDataFile(parse.Content, "Fuzz");
  if (!once.IsSuccess()) Stop("accepted content does not write");
  const aqv::TDataFileParse again = aqv::ParseDataFile(once.Bytes);
  if (!again.IsSuccess()) Stop("written text does not read back");
  const aqv::TDataFileWrite twice = aqv::WriteDataFile(again.Content, "Fuzz");
  if (twice.Bytes != once.Bytes) Stop("writing, reading and writing again changes the text");
  CheckWholeLoad(bytes);
  return 0;
}
