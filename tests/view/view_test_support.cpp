#include "view_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace korvat::test {

std::vector<uint8_t> pcxHeader(int width, int height) {
    std::vector<uint8_t> h(128, 0);
    h[0] = 10;  // maker
    h[1] = 5;   // version
    h[2] = 1;   // run-length encoding
    h[3] = 8;   // bits per pixel
    const int xmax = width - 1, ymax = height - 1;
    h[8] = static_cast<uint8_t>(xmax);
    h[9] = static_cast<uint8_t>(xmax >> 8);
    h[10] = static_cast<uint8_t>(ymax);
    h[11] = static_cast<uint8_t>(ymax >> 8);
    h[65] = 1;  // planes
    h[66] = static_cast<uint8_t>(width);
    h[67] = static_cast<uint8_t>(width >> 8);
    h[68] = 1;  // colour palette
    return h;
}

std::vector<uint8_t> pcxFile(int width, int height, const std::vector<uint8_t>& stream,
                             const std::vector<uint8_t>& palette) {
    std::vector<uint8_t> f = pcxHeader(width, height);
    f.insert(f.end(), stream.begin(), stream.end());
    f.push_back(12);
    std::vector<uint8_t> pal = palette;
    pal.resize(768, 0);
    f.insert(f.end(), pal.begin(), pal.end());
    return f;
}

std::vector<uint8_t> pcxEncode(const std::vector<uint8_t>& indices) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < indices.size()) {
        size_t run = 1;
        while (i + run < indices.size() && run < 63 && indices[i + run] == indices[i]) ++run;
        if (run > 1 || indices[i] >= 192) {
            out.push_back(static_cast<uint8_t>(0xC0 | run));
            out.push_back(indices[i]);
        } else {
            out.push_back(indices[i]);
        }
        i += run;
    }
    return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<uint8_t> testPalette() {
    std::vector<uint8_t> p(768);
    for (int i = 0; i < 256; ++i) {
        p[static_cast<size_t>(i) * 3] = static_cast<uint8_t>(i);
        p[static_cast<size_t>(i) * 3 + 1] = 0xC0;
        p[static_cast<size_t>(i) * 3 + 2] = 0x40;
    }
    return p;
}

uint32_t testColour(int index) { return (static_cast<uint32_t>(index) << 16) | 0xC040; }

int testCardIndex(int column, int row, bool topLeftQuarter) {
    const int k = row * 13 + column + 1;
    return topLeftQuarter ? k : k + 100;
}

namespace {

std::vector<uint8_t> cardIndices(int cw, int ch) {
    const int w = cw * 13, h = ch * 6;
    std::vector<uint8_t> px(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool quarter = x % cw < cw / 2 && y % ch < ch / 2;
            px[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(testCardIndex(x / cw, y / ch, quarter));
        }
    return px;
}

std::vector<uint8_t> backIndices() {
    const int w = 512, h = 192;
    std::vector<uint8_t> px(static_cast<size_t>(w) * h, 0);
    auto at = [&](int x, int y) -> uint8_t& { return px[static_cast<size_t>(y) * w + static_cast<size_t>(x)]; };
    for (int i = 0; i < 16; ++i) {
        const int x0 = (i % 8) * 64, y0 = (i / 8) * 64;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) at(x0 + x, y0 + y) = static_cast<uint8_t>(200 + i);
        at(x0, y0) = 230;
    }
    for (int y = 128; y < 192; ++y) {
        for (int x = 0; x < 182; ++x) at(x, y) = 226;
        for (int x = 182; x < 398; ++x) at(x, y) = 227;
    }
    at(182, 128) = 228;
    for (int y = 128; y < 144; ++y)
        for (int x = 448; x < 464; ++x) at(x, y) = 229;
    return px;
}

std::vector<uint8_t> fontIndices() {
    std::vector<uint8_t> px(128 * 96, 0);
    for (int c = 33; c < 128; ++c) {
        const int cx = ((c - 32) % 16) * 8, cy = ((c - 32) / 16) * 16;
        const int row = (c - 32) % 16;
        for (int x = 0; x < 8; ++x) px[static_cast<size_t>(cy + row) * 128 + static_cast<size_t>(cx + x)] = 1;
    }
    return px;
}

}  // namespace

std::vector<uint8_t> plainPicture(int width, int height, uint8_t index) {
    std::vector<uint8_t> px(static_cast<size_t>(width) * static_cast<size_t>(height), index);
    return pcxFile(width, height, pcxEncode(px), testPalette());
}

void writeTestPictures(const std::string& folder) {
    const std::vector<uint8_t> pal = testPalette();
    writeFile(folder + "/LARGE.PCX", pcxFile(832, 480, pcxEncode(cardIndices(64, 80)), pal));
    writeFile(folder + "/SMALL.PCX", pcxFile(624, 384, pcxEncode(cardIndices(48, 64)), pal));
    writeFile(folder + "/BACK.PCX", pcxFile(512, 192, pcxEncode(backIndices()), pal));
    writeFile(folder + "/FONT.PCX", pcxFile(128, 96, pcxEncode(fontIndices()), pal));
}

ScratchFolder::ScratchFolder() {
    char name[] = "/tmp/korvat-view-XXXXXX";
    if (!::mkdtemp(name)) throw std::runtime_error("mkdtemp");
    path_ = name;
    std::filesystem::create_directory(dataPath());
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
    ::setenv("KORVAT_DATA", dataPath().c_str(), 1);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
    ::unsetenv("KORVAT_DATA");
}

}  // namespace korvat::test
