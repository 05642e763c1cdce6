// Drawing surfaces: 32-bit pixels (0x00RRGGBB), rectangle copies in three
// raster modes, tiling and text from a bitmap font. Every operation is
// clipped to the surfaces it touches, so piles that reach past an edge
// (drifting piles, long fans, cards in flight) are simply cut off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace korvat {

// Zeroed pixel memory: see ZeroedPages. Null when there is none.
void* takePixelMemory(std::size_t bytes);
void givePixelMemory(void* p, std::size_t bytes);

// Pixel memory comes zeroed from the system and is not written when it is
// made, so a surface costs resident memory only for the parts drawn on (the
// drag scratch image, say, until cards are first carried). A surface made
// to be written whole at once (Surface::allocateWhole) takes its memory,
// when it is large, in the system's large pages of 2 MiB, which the system
// maps with one fault each rather than one for every 4 KiB.
template <typename T>
struct ZeroedPages {
    using value_type = T;
    ZeroedPages() = default;
    template <typename U>
    ZeroedPages(const ZeroedPages<U>&) {}
    T* allocate(std::size_t n) {
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        if (void* p = takePixelMemory(n * sizeof(T))) return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t n) { givePixelMemory(p, n * sizeof(T)); }
    // Elements made without a value keep the zeroes the memory came with.
    template <typename U>
    void construct(U*) noexcept {}
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const ZeroedPages&, const ZeroedPages&) { return true; }
};

using PixelBuffer = std::vector<uint32_t, ZeroedPages<uint32_t>>;

struct Surface {
    int width = 0;
    int height = 0;
    PixelBuffer pixels;  // rows top to bottom, `width` pixels each

    // Allocates a black surface. The only allocation a surface ever makes.
    void allocate(int w, int h);
    // The same for a surface that is then written whole at once (a
    // composed table, a decoded picture).
    void allocateWhole(int w, int h);
    uint32_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
    const uint32_t* row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
    uint32_t at(int x, int y) const { return row(y)[x]; }
};

// How a copy combines the source with the destination.
enum class RasterMode {
    Copy,      // destination = source
    Blackout,  // destination = black; the source is not read
    Mark,      // destination = source AND NOT markBrush
};

// The grey pattern of Mark. Our surfaces are deeper than 8 bits, so it is
// the dark grey (64, 64, 64): a marked pixel loses the 64-valued bit of
// each channel.
constexpr uint32_t kDarkGreyBrush = 0x404040;
extern uint32_t markBrush;

// Copies the w x h rectangle at (sx, sy) of src to (dx, dy) of another
// surface dst. Parts outside either surface are left out; nothing else is
// touched.
void copyRect(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h,
              RasterMode mode);

// Covers the w x h rectangle at (x, y) of dst with the tw x th tile taken
// from (sx, sy) of src: column by column from x, and inside each column
// row by row from y; the last column and row are cut off at the edge of
// the rectangle.
void tileRect(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int tw,
              int th);

// A bitmap font of fixed 8 x 16 cells for the printable characters 32..127.
struct BitmapFont {
    static constexpr int kCellWidth = 8;
    static constexpr int kCellHeight = 16;
    static constexpr int kFirst = 32;
    static constexpr int kCount = 96;
    bool loaded = false;
    // Bit 7 of a row byte is the leftmost pixel of the cell; set bits are ink.
    uint8_t rows[kCount][kCellHeight] = {};
};

// Draws text with its top left corner at (x, y): black ink, transparent
// background. Characters the font lacks advance without ink; a font that
// was never loaded draws nothing.
void drawText(Surface& dst, int x, int y, const char* text, const BitmapFont& font);

}  // namespace korvat
