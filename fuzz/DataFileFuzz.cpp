// Fuzzes the data-file reader. Whatever the reader accepts must write, and the written text
// must read back and write again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/file/AQVDataFile.h"

namespace {

[[noreturn]] void Stop(const char* why) {
  std::fprintf(stderr, "data file fuzzer: %s\n", why);
  __builtin_trap();
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
  return 0;
}
