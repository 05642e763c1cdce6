// Writing 256-colour PCX pictures, and the one palette that all of the
// program's pictures share.
//
// The pictures are drawn in full colour first; the palette is then made
// once from everything that was drawn, with a few colours that must come out
// exactly (black, white, the two mark greys, the red of the red suits), and
// every pixel is mapped to its nearest entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvat::tools {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

using Palette = std::array<Rgb, 256>;

// Packs a colour as 0x00RRGGBB.
constexpr uint32_t pack(Rgb c) {
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | uint32_t{c.b};
}
constexpr Rgb unpack(uint32_t v) {
    return Rgb{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// Encodes an 8-bit, one-plane PCX file (version 5, run-length encoded, the
// 12 marker byte and the 768-byte palette at the end). `pixels` holds
// width x height palette indices, rows top to bottom. The width must be a
// positive multiple of 4 (scan lines are exactly width bytes long) and the
// height positive; otherwise the result is empty.
std::vector<uint8_t> encodePcx(int width, int height, const std::vector<uint8_t>& pixels,
                               const Palette& palette);

// Writes bytes to a file; false if it cannot be written completely.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// How many pixels of each colour (0x00RRGGBB) the pictures hold.
using Histogram = std::unordered_map<uint32_t, uint64_t>;

// The distance the palette is matched by: squared channel differences,
// weighted for how strongly the eye sees each channel.
int colourDistance(Rgb a, Rgb b);

// Makes a palette of 256 pairwise different entries: the `fixed` colours
// first, at indices 0, 1, ... in the order given, then entries chosen to
// represent the histogram as closely as possible. Deterministic: the same
// input always gives the same palette.
Palette buildPalette(const std::vector<Rgb>& fixed, const Histogram& histogram);

// Finds the nearest palette entry of a colour, remembering the answers.
class NearestColour {
public:
    explicit NearestColour(const Palette& palette) : palette_(palette) {}
    uint8_t index(uint32_t rgb);

private:
    Palette palette_;
    std::unordered_map<uint32_t, uint8_t> cache_;
};

}  // namespace korvat::tools
