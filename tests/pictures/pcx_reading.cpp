#include "pcx_reading.h"

#include <fstream>
#include <iterator>

namespace korvat::tests {

namespace {

int get16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

std::optional<Picture> fail(std::string* why, const char* text) {
    if (why != nullptr) {
        *why = text;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Picture> decodePcx(const std::vector<uint8_t>& bytes, std::string* why) {
    if (bytes.size() < 897) {
        return fail(why, "shorter than header, marker and palette");
    }
    if (bytes[0] != 10 || bytes[1] != 5 || bytes[2] != 1 || bytes[3] != 8) {
        return fail(why, "maker, version, encoding or bits per pixel wrong");
    }
    if (get16(bytes, 4) != 0 || get16(bytes, 6) != 0) {
        return fail(why, "Xmin or Ymin not 0");
    }
    Picture pic;
    pic.width = get16(bytes, 8) + 1;
    pic.height = get16(bytes, 10) + 1;
    if (bytes[65] != 1 || get16(bytes, 66) != pic.width || get16(bytes, 68) != 1) {
        return fail(why, "planes, bytes per line or palette info wrong");
    }
    if (pic.width % 4 != 0) {
        return fail(why, "width not a multiple of 4");
    }
    if (bytes[bytes.size() - 769] != 12) {
        return fail(why, "no 12 marker before the palette");
    }
    const size_t area = static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height);
    pic.pixels.assign(area, 0);
    const size_t n = bytes.size() - 896;
    const uint8_t* stream = bytes.data() + 128;
    size_t i = 0;
    size_t out = 0;
    while (i + 1 < n) {
        const uint8_t b = stream[i++];
        size_t count = 1;
        uint8_t value = b;
        if (b >= 192) {
            count = b & 63;
            value = stream[i++];
        }
        for (size_t k = 0; k < count; ++k, ++out) {
            if (out < area) {
                pic.pixels[out] = value;
            }
        }
    }
    pic.decoded = out;
    if (out != area) {
        return fail(why, "stream does not fill the picture exactly");
    }
    const uint8_t* pal = bytes.data() + bytes.size() - 768;
    for (size_t k = 0; k < 256; ++k) {
        pic.palette[k] = tools::Rgb{pal[3 * k], pal[3 * k + 1], pal[3 * k + 2]};
    }
    return pic;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace korvat::tests
