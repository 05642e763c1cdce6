#include "view/pcx.h"

#include <algorithm>
#include <cstring>

namespace korvat::view {

namespace {

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
int32_t read32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) |
                                (static_cast<uint32_t>(p[3]) << 24));
}
void write32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
void write16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

size_t strideOf(int width) { return (static_cast<size_t>(width) + 3) & ~static_cast<size_t>(3); }

}  // namespace

bool pictureFileFits(const uint8_t* file, size_t size, int minWidth, int minHeight, int* width,
                     int* height) {
    if (!file || size < kMinPictureFile) return false;
    // 256 colours the way our pictures hold them: maker 10, run-length
    // encoding, 8 bits per pixel in one plane, scan lines exactly the width
    // long, and the 0x0C marker just before the palette.
    if (file[0] != 10 || file[2] != 1 || file[3] != 8 || file[65] != 1) return false;
    if (file[size - 769] != 12) return false;
    const int w = read16(file + 8) + 1;
    const int h = read16(file + 10) + 1;
    if (w > kMaxPictureSide || h > kMaxPictureSide) return false;
    if (w % 4 != 0) return false;
    if (read16(file + 66) != w) return false;
    if (w < minWidth || h < minHeight) return false;
    if (width) *width = w;
    if (height) *height = h;
    return true;
}

bool decodePicture(const uint8_t* file, size_t size, int minWidth, int minHeight,
                   std::vector<uint8_t>& bitmap) {
    int width = 0, height = 0;
    if (!pictureFileFits(file, size, minWidth, minHeight, &width, &height)) return false;
    const size_t stride = strideOf(width);
    const size_t area = stride * static_cast<size_t>(height);
    std::vector<uint8_t> made(area + kBitmapPixelsOffset, 0);

    uint8_t* header = made.data();
    write32(header + 0, 40);
    write32(header + 4, static_cast<uint32_t>(width));
    write32(header + 8, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
    write16(header + 12, 1);
    write16(header + 14, 8);
    // Compression, image size, resolutions and colour counts stay 0.

    // The stream: from byte 128 up to the palette; its last byte (the
    // palette marker) is never decoded. It must fill the picture exactly and
    // end at the marker: a stream cut short or running on is a damaged
    // picture, not one to draw with the wrong colours.
    const uint8_t* stream = file + 128;
    const size_t n = size - 896;
    uint8_t* pixels = made.data() + kBitmapPixelsOffset;
    size_t out = 0;
    size_t i = 0;
    while (i + 1 < n && out < area) {
        const uint8_t b = stream[i++];
        if (b >= 192) {
            const size_t run = b & 63;
            if (run > area - out) return false;
            std::memset(pixels + out, stream[i++], run);
            out += run;
        } else {
            pixels[out++] = b;
        }
    }
    if (out != area || i != n - 1) return false;

    // The file's rows run top-down, the bitmap's bottom-up.
    for (int k = 0; k < height / 2; ++k) {
        uint8_t* a = pixels + static_cast<size_t>(k) * stride;
        uint8_t* b = pixels + static_cast<size_t>(height - 1 - k) * stride;
        std::swap_ranges(a, a + width, b);
    }

    // Colour table: the file's red, green, blue stored as blue, green, red.
    const uint8_t* palette = file + size - 768;
    for (int e = 0; e < 256; ++e) {
        uint8_t* entry = header + kBitmapHeaderSize + static_cast<size_t>(e) * 4;
        entry[0] = palette[e * 3 + 2];
        entry[1] = palette[e * 3 + 1];
        entry[2] = palette[e * 3 + 0];
    }
    bitmap.swap(made);
    return true;
}

int bitmapWidth(const std::vector<uint8_t>& bitmap) {
    return bitmap.size() >= kBitmapPixelsOffset ? read32(bitmap.data() + 4) : 0;
}
int bitmapHeight(const std::vector<uint8_t>& bitmap) {
    return bitmap.size() >= kBitmapPixelsOffset ? read32(bitmap.data() + 8) : 0;
}

uint8_t bitmapIndex(const std::vector<uint8_t>& bitmap, int x, int y) {
    const int w = bitmapWidth(bitmap), h = bitmapHeight(bitmap);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    return bitmap[kBitmapPixelsOffset + static_cast<size_t>(h - 1 - y) * strideOf(w) +
                  static_cast<size_t>(x)];
}

void bitmapToSurface(const std::vector<uint8_t>& bitmap, Surface& out) {
    const int w = bitmapWidth(bitmap), h = bitmapHeight(bitmap);
    if (w <= 0 || h <= 0 || bitmap.size() < kBitmapPixelsOffset + strideOf(w) * static_cast<size_t>(h)) {
        out.allocate(0, 0);
        return;
    }
    uint32_t colours[256];
    for (int e = 0; e < 256; ++e) {
        const uint8_t* entry = bitmap.data() + kBitmapHeaderSize + static_cast<size_t>(e) * 4;
        colours[e] = (static_cast<uint32_t>(entry[2]) << 16) | (static_cast<uint32_t>(entry[1]) << 8) |
                     entry[0];
    }
    out.allocateWhole(w, h);
    const size_t stride = strideOf(w);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bitmap.data() + kBitmapPixelsOffset + static_cast<size_t>(h - 1 - y) * stride;
        uint32_t* dst = out.row(y);
        for (int x = 0; x < w; ++x) dst[x] = colours[src[x]];
    }
}

}  // namespace korvat::view
