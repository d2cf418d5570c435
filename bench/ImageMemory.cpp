// Peak memory of loading background images as the map does (decode, place, composite and
// blend) and drawing the map once at 1200 x 800, offscreen. Peak resident memory belongs to the
// whole process, so each run measures one case:
//   aqv_image_memory orthophoto   one RGB PNG of 10000 x 10000 pixels at 1 m
//   aqv_image_memory pair         a 9000 x 9000 PNG at 1 m and a 2000 x 2000 one over it at 0.5 m
//   aqv_image_memory bomb         a 33 KB deflate bomb declaring 16384 x 16384 pixels
//   aqv_image_memory four-bombs   four of them at one place
// The files are written row by row into a temporary folder first, which costs a row of memory.
#include <sys/resource.h>
#include <zlib.h>

#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "map/gui/AQVKaart.h"
#include "model/AQVData.h"
#include "tests/map/ImageFixtures.h"

namespace aqv {
namespace {

void PutBigEndian(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::ofstream& file, const char* type, const std::string& data) {
  std::string chunk(type, 4);
  chunk += data;
  std::string length;
  PutBigEndian(length, static_cast<std::uint32_t>(data.size()));
  std::string crc;
  PutBigEndian(crc,
               static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()),
                                                static_cast<uInt>(chunk.size()))));
  file << length << chunk << crc;
}

// A PNG header declaring side x side RGB pixels over a deflate stream of zeros that stops at
// about compressedBytes, far short of the rows it declares.
bool WriteBomb(const std::string& path, std::uint32_t side, std::size_t compressedBytes) {
  std::ofstream file(path, std::ios::binary);
  file << std::string("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBigEndian(header, side);
  PutBigEndian(header, side);
  header += std::string("\x08\x02\x00\x00\x00", 5);
  PutChunk(file, "IHDR", header);
  z_stream stream{};
  deflateInit(&stream, 9);
  std::vector<Bytef> zeros(65536, 0), out(65536);
  std::string data;
  while (data.size() < compressedBytes) {
    stream.next_in = zeros.data();
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_NO_FLUSH);
    data.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
  }
  deflateEnd(&stream);
  PutChunk(file, "IDAT", data);
  PutChunk(file, "IEND", {});
  return static_cast<bool>(file);
}

bool WriteWorld(const std::string& image, double pixel, double x0, double y0) {
  return test::WriteWorldFile(image.substr(0, image.size() - 4) + ".pgw", pixel, 0, 0, -pixel, x0,
                              y0);
}

// The document's list of images for the case, written into folder; empty for an unknown case.
TBackgroundFiles WriteCase(const std::string& name, const QTemporaryDir& folder) {
  const auto path = [&](const char* file) { return folder.filePath(file).toStdString(); };
  TBackgroundFiles files;
  if (name == "orthophoto") {
    files = {{true, path("ortho.png")}};
    if (!test::WriteBlocksPNG(files[0].FileName, 10000, 10000) ||
        !WriteWorld(files[0].FileName, 1, 0, 10000))
      return {};
  } else if (name == "pair") {
    files = {{true, path("coarse.png")}, {true, path("fine.png")}};
    if (!test::WriteBlocksPNG(files[0].FileName, 9000, 9000) ||
        !WriteWorld(files[0].FileName, 1, 0, 9000) ||
        !test::WriteBlocksPNG(files[1].FileName, 2000, 2000) ||
        !WriteWorld(files[1].FileName, 0.5, 1000, 8000))
      return {};
  } else if (name == "bomb" || name == "four-bombs") {
    const int count = name == "bomb" ? 1 : 4;
    for (int i = 0; i < count; ++i) {
      files.push_back({true, path(("bomb" + std::to_string(i) + ".png").c_str())});
      if (!WriteBomb(files.back().FileName, 16384, 33 * 1024) ||
          !WriteWorld(files.back().FileName, 1, 0, 16384))
        return {};
    }
  }
  return files;
}

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace
}  // namespace aqv

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string name = argc > 1 ? argv[1] : "";
  QTemporaryDir folder;
  aqv::TAQVData data;
  data.BackgroundFiles = aqv::WriteCase(name, folder);
  if (data.BackgroundFiles.empty()) {
    std::fprintf(stderr, "usage: %s orthophoto|pair|bomb|four-bombs\n", argv[0]);
    return 2;
  }
  const long beforeKiB = aqv::PeakResidentKiB();
  data.ShowBackgroundImages = true;
  data.SetWorldX2(10000);
  data.SetWorldY2(10000);
  aqv::TAQVKaart map;
  map.SetData(&data);
  const auto start = std::chrono::steady_clock::now();
  const aqv::TMapImageLoadReport report = map.LoadBackgroundImages();
  const QImage picture = map.RenderImage(QSize(1200, 800));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %d loaded, %zu refused, composite %d x %d, drawn %s, %.2f s\n", name.c_str(),
              map.Images().Count(), report.Failures.size(), map.Images().Composite().Width(),
              map.Images().Composite().Height(), picture.isNull() ? "no" : "yes", seconds);
  for (const auto& failure : report.Failures)
    std::printf("  refused: %s\n", failure.Status.Message.c_str());
  std::printf("peak resident memory after loading and drawing: %.0f MB\n",
              aqv::PeakResidentKiB() / 1024.0);
  // The map options dialog's transparency preview, drawn once.
  map.BeginPreview();
  map.SetPreviewTransparency(30);
  (void)map.RenderImage(QSize(1200, 800));
  map.EndPreview();
  std::printf("peak resident memory with the options preview: %.0f MB (%.0f MB before loading)\n",
              aqv::PeakResidentKiB() / 1024.0, beforeKiB / 1024.0);
  return 0;
}
