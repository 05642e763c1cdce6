// Reading the generated PCX files back, for the tests: the pixel stream is
// decoded by the rule the program's reader follows (runs of b & 63 when the
// top two bits of b are set, the last byte never decoded, runs free to
// cross scan lines), and the header is checked strictly as well.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pcx_writer.h"

namespace korvat::tests {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // palette indices, rows top to bottom
    tools::Palette palette{};
    size_t decoded = 0;  // pixels the stream held, before clipping

    uint8_t index(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    tools::Rgb rgb(int x, int y) const { return palette[index(x, y)]; }
};

// Decodes a whole file image; nothing if it is not a well-formed 8-bit,
// one-plane, version 5 PCX with the 12 marker and a palette, whose stream
// fills the picture exactly.
std::optional<Picture> decodePcx(const std::vector<uint8_t>& bytes, std::string* why = nullptr);

std::vector<uint8_t> readFile(const std::string& path);

}  // namespace korvat::tests
