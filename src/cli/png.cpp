#include "cli/png.h"

#include <QImage>
#include <algorithm>
#include <cstdint>

#include "view/surface.h"

namespace korvat {

bool writePng(const Surface& surface, const std::string& path) {
    return writePng(surface, 0, 0, surface.width, surface.height, path);
}

bool writePng(const Surface& surface, int x, int y, int width, int height, const std::string& path) {
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, surface.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, surface.height);
    if (right <= left || bottom <= top) return false;
    const int w = static_cast<int>(right - left), h = static_cast<int>(bottom - top);
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) return false;
    for (int r = 0; r < h; ++r) {
        const uint32_t* from = surface.row(static_cast<int>(top) + r) + left;
        auto* to = reinterpret_cast<uint32_t*>(image.scanLine(r));
        for (int k = 0; k < w; ++k) to[k] = 0xFF000000u | from[k];
    }
    return image.save(QString::fromStdString(path), "PNG");
}

}  // namespace korvat
