// Feeds arbitrary bytes to the picture reader as if they were a picture
// file. Whatever the bytes, the reader must stay inside its buffers, a file
// it accepts must have passed the header checks and give a bitmap and a
// surface of exactly its size, and a refused file leaves the bitmap alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "view/pcx.h"
#include "view/surface.h"

using namespace korvat;
using namespace korvat::view;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bitmap;
    int width = 0, height = 0;
    const bool fits = pictureFileFits(data, size, 0, 0, &width, &height);
    bitmap.assign(3, 7);
    const bool decoded = decodePicture(data, size, 0, 0, bitmap);
    if (decoded && !fits) std::abort();
    if (!decoded) {
        if (bitmap != std::vector<uint8_t>(3, 7)) std::abort();
        return 0;
    }
    if (bitmapWidth(bitmap) != width || bitmapHeight(bitmap) != height) std::abort();
    if (bitmap.size() != kBitmapPixelsOffset + static_cast<size_t>(width) * static_cast<size_t>(height))
        std::abort();
    Surface surface;
    bitmapToSurface(bitmap, surface);
    if (surface.width != width || surface.height != height) std::abort();
    // A grid larger than the picture refuses it.
    std::vector<uint8_t> other;
    if (decodePicture(data, size, width + 1, height, other) || !other.empty()) std::abort();
    return 0;
}
