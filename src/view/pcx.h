// The reader of our picture files: 256-colour PCX, 8 bits in one plane,
// run-length encoded, with the 768-byte palette at the end. It decodes into
// a packed bitmap in memory and never reads or writes past its buffers,
// whatever the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "view/surface.h"

namespace korvat::view {

// Bounds of what a file may ask for: beyond them it is treated as no picture.
constexpr int kMaxPictureSide = 4096;
// The shortest file that can hold a picture: the header, the palette
// marker and the palette (such a picture is all colour 0).
constexpr size_t kMinPictureFile = 128 + 1 + 768;

// Offsets within a decoded bitmap (header, colour table, pixels bottom-up).
constexpr size_t kBitmapHeaderSize = 40;
constexpr size_t kBitmapPixelsOffset = kBitmapHeaderSize + 256 * 4;  // 1064

// Checks a picture file's header and size: false (no picture) when the file
// is too short, its header is not maker 10, run-length encoding, 8 bits per
// pixel, one plane and scan lines of the width, the byte before the palette
// is not the marker 0x0C, a side is larger than kMaxPictureSide, the width
// is not a multiple of 4, or the picture is smaller than minWidth x minHeight.
bool pictureFileFits(const uint8_t* file, size_t size, int minWidth, int minHeight, int* width = nullptr,
                     int* height = nullptr);

// Decodes a picture file held in memory into a packed bitmap: a 40-byte
// information header, 256 colour entries (blue, green, red, 0) from the
// file's palette, and one palette index per pixel, bottom row first, rows
// of the width rounded up to 4 bytes. False (nothing decoded, `bitmap`
// untouched) when the file does not pass pictureFileFits or its pixel
// stream does not fill the picture exactly, ending at the palette marker.
// The decoder never writes past the pixel area.
bool decodePicture(const uint8_t* file, size_t size, int minWidth, int minHeight,
                   std::vector<uint8_t>& bitmap);

// The size of a decoded bitmap.
int bitmapWidth(const std::vector<uint8_t>& bitmap);
int bitmapHeight(const std::vector<uint8_t>& bitmap);
// The palette index of pixel (x, y), y counted from the top.
uint8_t bitmapIndex(const std::vector<uint8_t>& bitmap, int x, int y);

// Makes a surface from a decoded bitmap, each pixel the colour its index
// has in the bitmap's own colour table.
void bitmapToSurface(const std::vector<uint8_t>& bitmap, Surface& out);

}  // namespace korvat::view
