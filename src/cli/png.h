// Writes a drawing surface, or a rectangle of it, as a PNG file.
#pragma once

#include <string>

namespace korvat {

struct Surface;

// The whole surface. False when the file cannot be written.
bool writePng(const Surface& surface, const std::string& path);
// The w x h rectangle at (x, y), cut to the surface; false when nothing of
// it lies on the surface or the file cannot be written.
bool writePng(const Surface& surface, int x, int y, int width, int height, const std::string& path);

}  // namespace korvat
