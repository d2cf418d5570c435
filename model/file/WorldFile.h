#pragma once

#include <string>
#include <string_view>

namespace aqv {

// The world file that places a background image: the image's path with its extension replaced
// (.bmp -> .bpw, .png -> .pgw, .tif/.tiff -> .tfw, .gif -> .gfw, .jpg/.jpeg -> .jgw). File names
// are case-sensitive here, so the name keeps the case of the image's extension (PHOTO.PNG ->
// PHOTO.PGW, photo.png -> photo.pgw); when that file does not exist but the other case does,
// the existing one is returned. Any other extension gives an empty name.
std::string GetWorldFileName(std::string_view imageFileName);

}  // namespace aqv
