#include "view/pictures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "model/platform.h"
#include "model/records.h"
#include "view/scaled_pictures.h"

namespace korvat::view {

Palette tablePalette;
Surface windowSurface;
Surface tableImage;
Surface dragImage;
Surface cardPicture;
Surface backPicture;
BitmapFont textFont;
void (*fatalExit)(int status) = std::exit;

bool readFile(const std::string& path, std::vector<uint8_t>& data) {
    // Not blocking, and plain files only: a pipe or a device with a
    // picture's name must not hang the start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<unsigned long long>(st.st_size) <= kMaxFileSize;
    if (ok) {
        data.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (ok && done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) ok = false;
            else done += static_cast<size_t>(got);
        }
    }
    ::close(fd);
    return ok;
}

bool loadPalette(const std::string& path, Palette& palette, int minWidth, int minHeight) {
    std::vector<uint8_t> file, bitmap;
    // The palette comes only from a picture that is whole.
    if (!readFile(path, file) || !decodePicture(file.data(), file.size(), minWidth, minHeight, bitmap))
        return false;
    const uint8_t* p = file.data() + file.size() - 768;
    for (int e = 0; e < 256; ++e) {
        palette[static_cast<size_t>(e)] = {p[e * 3], p[e * 3 + 1], p[e * 3 + 2], 0};
    }
    return true;
}

bool loadPicture(const std::string& path, int minWidth, int minHeight, Surface& out) {
    std::vector<uint8_t> file;
    std::vector<uint8_t> bitmap;
    if (!readFile(path, file) || !decodePicture(file.data(), file.size(), minWidth, minHeight, bitmap))
        return false;
    bitmapToSurface(bitmap, out);
    return true;
}

std::string dataFolder() {
    if (const char* env = std::getenv("KORVAT_DATA"); env && *env) return env;
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "../share/korvat";
    std::string path(exe, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    path.resize(slash == std::string::npos ? 0 : slash);
    return path + "/../share/korvat";
}

bool loadPictureNamed(const char* pcxName, const char* scvName, int minWidth, int minHeight,
                      Surface& out, bool* fromDataFolder) {
    const std::string folder = dataFolder() + "/";
    for (const std::string& prefix : {std::string(), folder}) {
        if (fromDataFolder) *fromDataFolder = !prefix.empty();
        if (loadPicture(prefix + pcxName, minWidth, minHeight, out)) return true;
        if (loadPicture(prefix + scvName, minWidth, minHeight, out)) return true;
    }
    return false;
}

namespace {

// The back picture and the table palette, both from the first of its
// files that gives a whole picture, read and decoded once.
bool loadBackPicture(Palette& palette, Surface& out, bool& fromDataFolder) {
    const std::string folder = dataFolder() + "/";
    std::vector<uint8_t> file, bitmap;
    for (const std::string& prefix : {std::string(), folder}) {
        for (const char* name : {"BACK.PCX", "BACK.SCV"}) {
            if (!readFile(prefix + name, file) ||
                !decodePicture(file.data(), file.size(), kBackWidth, kBackHeight, bitmap))
                continue;
            const uint8_t* p = file.data() + file.size() - 768;
            for (int e = 0; e < 256; ++e) palette[static_cast<size_t>(e)] = {p[e * 3], p[e * 3 + 1], p[e * 3 + 2], 0};
            bitmapToSurface(bitmap, out);
            fromDataFolder = !prefix.empty();
            return true;
        }
    }
    return false;
}

// The font picture: a 16 x 6 grid of 8 x 16 cells, character c in cell
// ((c - 32) mod 16, (c - 32) div 16); ink wherever the palette index is not 0.
bool loadFont(BitmapFont& font) {
    font = BitmapFont{};
    std::vector<uint8_t> file, bitmap;
    bool found = false;
    const std::string folder = dataFolder() + "/";
    for (const std::string& prefix : {std::string(), folder}) {
        if (readFile(prefix + "FONT.PCX", file) &&
            decodePicture(file.data(), file.size(), kFontWidth, kFontHeight, bitmap)) {
            found = true;
            ownPictures.font = !prefix.empty();
            break;
        }
    }
    if (!found) return false;
    for (int c = 0; c < BitmapFont::kCount; ++c) {
        const int cx = (c % 16) * BitmapFont::kCellWidth;
        const int cy = (c / 16) * BitmapFont::kCellHeight;
        for (int r = 0; r < BitmapFont::kCellHeight; ++r) {
            uint8_t bits = 0;
            for (int k = 0; k < BitmapFont::kCellWidth; ++k)
                if (bitmapIndex(bitmap, cx + k, cy + r) != 0) bits |= static_cast<uint8_t>(0x80 >> k);
            font.rows[c][r] = bits;
        }
    }
    font.loaded = true;
    return true;
}

// The table and the window's copy are composed whole at once; the drag
// scratch image is drawn on piece by piece.
bool allocateTableSurface(Surface& s, bool whole) {
    try {
        if (whole)
            s.allocateWhole(kClientWidth, kClientHeight);
        else
            s.allocate(kClientWidth, kClientHeight);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

void fatalError(const char* text) {
    platform().messageBox(text, "FATAL ERROR!", Mb::Ok | Mb::IconStop | Mb::SystemModal);
    fatalExit(1);
}

bool openGraphics() {
    markBrush = kDarkGreyBrush;
    // The table starts at its own size; the window sets the size it shows.
    releaseScaledPictures();
    tableScale = TableScale{};
    ownPictures = OwnPictures{};
    // The palette comes only from a whole back picture, so a back picture
    // that gives no palette gives no picture either.
    if (!loadBackPicture(tablePalette, backPicture, ownPictures.back)) {
        fatalError("Unable to open palette.");
        return false;
    }
    if (!allocateTableSurface(windowSurface, true) || !allocateTableSurface(tableImage, true) ||
        !allocateTableSurface(dragImage, false)) {
        fatalError("Not enough free memory for bitmaps.");
        return false;
    }
    loadFont(textFont);
    return true;
}

void closeGraphics() {
    releaseScaledPictures();
    tableScale = TableScale{};
    for (Surface* s : {&backPicture, &dragImage, &tableImage, &cardPicture, &windowSurface}) {
        s->width = s->height = 0;
        PixelBuffer().swap(s->pixels);
    }
    textFont = BitmapFont{};
}

bool loadLargeCards() {
    releaseScaledCards();
    if (loadPictureNamed("LARGE.PCX", "LARGE.SCV", kLargeCardsWidth, kLargeCardsHeight, cardPicture,
                         &ownPictures.cards))
        return true;
    fatalError("Unable to open graphics.");
    return false;
}

bool loadSmallCards() {
    releaseScaledCards();
    if (loadPictureNamed("SMALL.PCX", "SMALL.SCV", kSmallCardsWidth, kSmallCardsHeight, cardPicture,
                         &ownPictures.cards))
        return true;
    fatalError("Unable to open graphics.");
    return false;
}

void freeLargeCards() {
    cardPicture.width = cardPicture.height = 0;
    PixelBuffer().swap(cardPicture.pixels);
}

void freeSmallCards() { freeLargeCards(); }

}  // namespace korvat::view
