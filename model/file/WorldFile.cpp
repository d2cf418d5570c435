#include "model/file/WorldFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace aqv {

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string GetWorldFileName(std::string_view imageFileName) {
  const auto slash = imageFileName.find_last_of("/\\");
  const auto dot = imageFileName.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  const std::string extension(imageFileName.substr(dot));
  if (extension.size() < 3) return {};
  const std::string upper = Upper(extension);
  std::string world;
  if (upper == ".BMP")
    world = ".BPW";
  else if (upper == ".PNG")
    world = ".PGW";
  else if (upper == ".TIF" || upper == ".TIFF")
    world = ".TFW";
  else if (upper == ".GIF")
    world = ".GFW";
  else if (upper == ".JPG" || upper == ".JPEG")
    world = ".JGW";
  else
    return {};
  const std::string base(imageFileName.substr(0, dot));
  const bool lowerCase = extension == Lower(extension);
  const std::string preferred = base + (lowerCase ? Lower(world) : world);
  const std::string other = base + (lowerCase ? world : Lower(world));
  return !Exists(preferred) && Exists(other) ? other : preferred;
}

}  // namespace aqv
