#include "view/surface.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace korvat {

uint32_t markBrush = kDarkGreyBrush;

namespace {

// Large pages for pixel memory written whole at once. The first such
// surfaces of 1 MiB or more (at the table's own size: the composed table,
// the window's copy and the card picture, 3.9 MiB together) share one
// block of two large pages, taken from the end as a stack; a larger one
// has large pages of its own. Everything else comes from calloc.
constexpr size_t kLargePage = size_t{2} << 20;
constexpr size_t kSharedBytes = 2 * kLargePage;
constexpr size_t kLargeEnough = size_t{1} << 20;

bool wholeWanted = false;  // set while Surface::allocateWhole allocates

// A mapping of `bytes` (a multiple of kLargePage) aligned to kLargePage and
// marked for large pages; null when there is none.
char* mapLargePages(size_t bytes) {
    const size_t reach = bytes + kLargePage;
    void* raw = ::mmap(nullptr, reach, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kLargePage - 1) & ~(kLargePage - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    if (start + reach > aligned + bytes) ::munmap(reinterpret_cast<void*>(aligned + bytes), start + reach - aligned - bytes);
    char* p = reinterpret_cast<char*>(aligned);
    ::madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

struct LargeBlock {
    char* p = nullptr;
    size_t bytes = 0;  // as asked for
    bool shared = false;
    bool live = false;
};

struct LargePages {
    char* shared = nullptr;
    size_t used = 0;   // the shared block's stack top
    size_t dirty = 0;  // written below this since the block was last given back
    std::array<LargeBlock, 8> blocks;  // the live ones; the shared ones in stack order
};
LargePages large;

size_t rounded(size_t bytes) { return (bytes + 63) & ~size_t{63}; }

void* takeLarge(size_t bytes) {
    LargeBlock* free = nullptr;
    for (LargeBlock& b : large.blocks)
        if (!b.p) free = &b;
    if (!free) return nullptr;
    if (!large.shared) large.shared = mapLargePages(kSharedBytes);
    if (large.shared && large.used + rounded(bytes) <= kSharedBytes) {
        char* p = large.shared + large.used;
        // Memory given back to the stack was written; it is zeroed again.
        if (large.used < large.dirty) std::memset(p, 0, std::min(bytes, large.dirty - large.used));
        large.used += rounded(bytes);
        large.dirty = std::max(large.dirty, large.used);
        *free = {p, bytes, true, true};
        return p;
    }
    const size_t mapped = (bytes + kLargePage - 1) & ~(kLargePage - 1);
    char* p = mapLargePages(mapped);
    if (!p) return nullptr;
    *free = {p, bytes, false, true};
    return p;
}

bool giveLarge(void* p) {
    for (LargeBlock& b : large.blocks) {
        if (!b.live || b.p != p) continue;
        b.live = false;
        if (!b.shared) {
            ::munmap(b.p, (b.bytes + kLargePage - 1) & ~(kLargePage - 1));
            b = LargeBlock{};
            return true;
        }
        // The stack shrinks past every block given back at its top; with
        // none left the pages go back to the system.
        bool popped = true;
        while (popped) {
            popped = false;
            for (const LargeBlock& top : large.blocks)
                if (top.shared && !top.live && top.p && top.p + rounded(top.bytes) == large.shared + large.used) {
                    large.used = static_cast<size_t>(top.p - large.shared);
                    popped = true;
                }
        }
        bool any = false;
        for (LargeBlock& other : large.blocks) {
            if (other.shared && !other.live && other.p >= large.shared + large.used) other = LargeBlock{};
            any = any || (other.shared && other.live);
        }
        if (!any) {
            ::madvise(large.shared, kSharedBytes, MADV_DONTNEED);
            large.used = large.dirty = 0;
        }
        return true;
    }
    return false;
}

}  // namespace

void* takePixelMemory(size_t bytes) {
    if (wholeWanted && bytes >= kLargeEnough)
        if (void* p = takeLarge(bytes)) return p;
    return std::calloc(bytes > 0 ? bytes : 1, 1);
}

void givePixelMemory(void* p, size_t bytes) {
    if (p && bytes >= kLargeEnough && giveLarge(p)) return;
    std::free(p);
}

void Surface::allocate(int w, int h) {
    width = std::max(w, 0);
    height = std::max(h, 0);
    // A fresh buffer: zeroed by the system, untouched until drawn on.
    PixelBuffer fresh;
    fresh.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    pixels.swap(fresh);
}

void Surface::allocateWhole(int w, int h) {
    wholeWanted = true;
    try {
        allocate(w, h);
    } catch (...) {
        wholeWanted = false;
        throw;
    }
    wholeWanted = false;
}

namespace {

// Cuts the rectangle (x, y, w, h) down to 0 <= x, x + w <= limitW and the
// same for y; moves the paired origin (ox, oy) along. False when nothing is left.
// The sums are taken in 64 bits, so no coordinate can overflow them.
bool clipTo(int& x, int& y, int& w, int& h, int& ox, int& oy, int limitW, int limitH) {
    int64_t x0 = x, y0 = y, w0 = w, h0 = h, ox0 = ox, oy0 = oy;
    if (x0 < 0) {
        w0 += x0;
        ox0 -= x0;
        x0 = 0;
    }
    if (y0 < 0) {
        h0 += y0;
        oy0 -= y0;
        y0 = 0;
    }
    w0 = std::min<int64_t>(w0, limitW - x0);
    h0 = std::min<int64_t>(h0, limitH - y0);
    if (w0 <= 0 || h0 <= 0) return false;
    // What is left lies inside [0, limit), so it fits in an int again; the
    // paired origin is clipped against its own surface next.
    x = static_cast<int>(x0);
    y = static_cast<int>(y0);
    w = static_cast<int>(w0);
    h = static_cast<int>(h0);
    ox = static_cast<int>(std::clamp<int64_t>(ox0, INT32_MIN, INT32_MAX));
    oy = static_cast<int>(std::clamp<int64_t>(oy0, INT32_MIN, INT32_MAX));
    return true;
}

}  // namespace

void copyRect(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h,
              RasterMode mode) {
    if (w <= 0 || h <= 0) return;
    if (mode == RasterMode::Blackout) {
        int unusedX = 0, unusedY = 0;
        if (!clipTo(dx, dy, w, h, unusedX, unusedY, dst.width, dst.height)) return;
        for (int r = 0; r < h; ++r) std::fill_n(dst.row(dy + r) + dx, w, 0u);
        return;
    }
    if (!clipTo(sx, sy, w, h, dx, dy, src.width, src.height)) return;
    if (!clipTo(dx, dy, w, h, sx, sy, dst.width, dst.height)) return;

    const uint32_t keep = ~markBrush & 0x00FFFFFFu;
    for (int r = 0; r < h; ++r) {
        const uint32_t* from = src.row(sy + r) + sx;
        uint32_t* to = dst.row(dy + r) + dx;
        if (mode == RasterMode::Copy)
            std::memmove(to, from, static_cast<size_t>(w) * sizeof(uint32_t));
        else
            for (int k = 0; k < w; ++k) to[k] = from[k] & keep;
    }
}

void tileRect(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int tw,
              int th) {
    if (tw <= 0 || th <= 0 || w <= 0 || h <= 0) return;
    // Only the tiles that touch the destination are copied.
    const int firstCol = x < 0 ? -x / tw : 0;
    const int firstRow = y < 0 ? -y / th : 0;
    const int right = std::min(x + w, dst.width);
    const int bottom = std::min(y + h, dst.height);
    for (int tx = x + firstCol * tw; tx < right; tx += tw) {
        const int cw = std::min(tw, x + w - tx);
        for (int ty = y + firstRow * th; ty < bottom; ty += th) {
            const int ch = std::min(th, y + h - ty);
            copyRect(dst, tx, ty, src, sx, sy, cw, ch, RasterMode::Copy);
        }
    }
}

void drawText(Surface& dst, int x, int y, const char* text, const BitmapFont& font) {
    if (!font.loaded || !text) return;
    constexpr int cw = BitmapFont::kCellWidth;
    constexpr int ch = BitmapFont::kCellHeight;
    if (y >= dst.height || y + ch <= 0) return;
    for (const char* p = text; *p; ++p, x += cw) {
        if (x >= dst.width) break;
        const int c = static_cast<unsigned char>(*p) - BitmapFont::kFirst;
        if (c < 0 || c >= BitmapFont::kCount || x + cw <= 0) continue;
        for (int r = 0; r < ch; ++r) {
            const int py = y + r;
            if (py < 0 || py >= dst.height) continue;
            const uint8_t bits = font.rows[c][r];
            if (!bits) continue;
            uint32_t* line = dst.row(py);
            for (int k = 0; k < cw; ++k) {
                const int px = x + k;
                if (px >= 0 && px < dst.width && (bits & (0x80 >> k))) line[px] = 0;
            }
        }
    }
}

}  // namespace korvat
