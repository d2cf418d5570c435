// Peak memory of loading background images as the map does (decode, place, composite and
// blend) and drawing the map once at 1200 x 800, offscreen, and the memory still held after the
// images are taken off the list as the image files dialog takes them off. Peak resident memory
// belongs to the whole process, so each run measures one case:
//   aqv_image_memory orthophoto     one RGB PNG of 10000 x 10000 pixels at 1 m
//   aqv_image_memory orthophoto16   the same with 16 bits a sample
//   aqv_image_memory orthophoto-tif the same as a deflated TIFF in strips of 16 rows
//   aqv_image_memory gif            a GIF of 10922 x 10922 pixels, the largest the budget holds
//   aqv_image_memory pair           a 9000 x 9000 PNG at 1 m and a 2000 x 2000 one over it at 0.5 m
//   aqv_image_memory bomb           a 33 KB deflate bomb declaring 16384 x 16384 pixels
//   aqv_image_memory four-bombs     four of them at one place
// The files are written row by row into a temporary folder first, which costs a row of memory.
#include <gif_lib.h>
#include <sys/resource.h>
#include <tiffio.h>
#include <zlib.h>

#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// The blocks of test::WriteBlocksPNG as an RGB TIFF, deflated in strips of 16 rows, written
// row by row.
bool WriteBlocksTIFF(const std::string& path, int width, int height) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tif, TIFFTAG_ZIPQUALITY, 1);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  bool ok = true;
  for (int y = 0; y < height && ok; ++y) {
    for (int x = 0; x < width; ++x) {
      const TRGBA c = test::BlockColour(x, y);
      row[static_cast<std::size_t>(x) * 3] = c.R;
      row[static_cast<std::size_t>(x) * 3 + 1] = c.G;
      row[static_cast<std::size_t>(x) * 3 + 2] = c.B;
    }
    ok = TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
  }
  TIFFClose(tif);
  return ok;
}

// The blocks of test::WriteBlocksPNG as an opaque GIF, one palette entry a block, written row
// by row.
bool WriteBlocksGIF(const std::string& path, int width, int height) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) return false;
  const int across = (width + 999) / 1000;
  std::vector<GifColorType> colours(256);
  for (int index = 0; index < across * ((height + 999) / 1000) && index < 256; ++index) {
    const TRGBA c = test::BlockColour(index % across * 1000, index / across * 1000);
    colours[static_cast<std::size_t>(index)] = {c.R, c.G, c.B};
  }
  ColorMapObject* map = GifMakeMapObject(256, colours.data());
  bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  for (int y = 0; y < height && ok; ++y) {
    for (int x = 0; x < width; ++x)
      line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(y / 1000 * across + x / 1000);
    ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
  }
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

// The world file beside image: the first and last letters of its extension and "w" (.pgw, .tfw,
// .gfw).
bool WriteWorld(const std::string& image, double pixel, double x0, double y0) {
  const std::string world =
      image.substr(0, image.size() - 3) + image[image.size() - 3] + image.back() + "w";
  return test::WriteWorldFile(world, pixel, 0, 0, -pixel, x0, y0);
}

// The document's list of images for the case, written into folder; empty for an unknown case.
TBackgroundFiles WriteCase(const std::string& name, const QTemporaryDir& folder) {
  const auto path = [&](const char* file) { return folder.filePath(file).toStdString(); };
  TBackgroundFiles files;
  if (name == "orthophoto" || name == "orthophoto16" || name == "orthophoto-tif") {
    const bool tiff = name == "orthophoto-tif";
    files = {{true, path(tiff ? "ortho.tif" : "ortho.png")}};
    const bool written = tiff ? WriteBlocksTIFF(files[0].FileName, 10000, 10000)
                              : test::WriteBlocksPNG(files[0].FileName, 10000, 10000,
                                                     name == "orthophoto16" ? 16 : 8);
    if (!written || !WriteWorld(files[0].FileName, 1, 0, 10000)) return {};
  } else if (name == "gif") {
    files = {{true, path("ortho.gif")}};
    if (!WriteBlocksGIF(files[0].FileName, 10922, 10922) ||
        !WriteWorld(files[0].FileName, 1, 0, 10922))
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

// The process's resident memory now, from /proc/self/status; 0 where there is none.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Takes every image off the document's list and the map as the image files dialog does: each
// image deleted, the composite rebuilt, the background refreshed, the map drawn again.
void RemoveAllImages(TAQVData& data, TAQVKaart& map) {
  for (int i = map.Images().Count() - 1; i >= 0; --i) map.Images().DeleteImage(i);
  data.BackgroundFiles.clear();
  (void)map.Images().BuildComposite();
  map.RefreshBackground();
  (void)map.RenderImage(QSize(1200, 800));
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
    std::fprintf(stderr,
                 "usage: %s orthophoto|orthophoto16|orthophoto-tif|gif|pair|bomb|four-bombs\n",
                 argv[0]);
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
  aqv::RemoveAllImages(data, map);
  std::printf("resident memory after the images are taken off the list: %.0f MB\n",
              aqv::ResidentKiB() / 1024.0);
  return 0;
}
