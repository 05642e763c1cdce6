// Helpers of the picture and drawing tests: a small PCX writer, a scratch
// folder that is the current directory while a test runs, and pictures
// made for testing whose every cell has colours of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/platform.h"
#include "shell/headless_platform.h"
#include "test_support.h"
#include "view/surface.h"

namespace korvat::test {

// A 128-byte PCX header for an 8-bit, one-plane picture of that size.
std::vector<uint8_t> pcxHeader(int width, int height);
// header + stream + marker 12 + palette (768 bytes; zeros when empty).
std::vector<uint8_t> pcxFile(int width, int height, const std::vector<uint8_t>& stream,
                             const std::vector<uint8_t>& palette = {});
// Run-length encodes rows of palette indices the way PCX writers do:
// runs of up to 63, and every byte of 192 or more as a run.
std::vector<uint8_t> pcxEncode(const std::vector<uint8_t>& indices);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The palette of the test pictures: entry i is red i, green 0xC0, blue 0x40,
// so every entry differs and Mark visibly changes every one.
std::vector<uint8_t> testPalette();
uint32_t testColour(int index);

// Index of the test card pictures: cell (c, r) is index k = r * 13 + c + 1 in
// its top left quarter and k + 100 elsewhere.
int testCardIndex(int column, int row, bool topLeftQuarter);
// Index of the test back picture: background i is 200 + i with 230 at its
// top left pixel; the counter grid 226, the win tile 227 with 228 at its top
// left pixel, the edit marker 229.
// Font: every printable character but the blank has ink in one full row,
// row (c - 32) mod 16 of its cell.

// Writes LARGE.PCX, SMALL.PCX, BACK.PCX and FONT.PCX of that kind into `folder`.
void writeTestPictures(const std::string& folder);
// A picture file of the given size filled with one index.
std::vector<uint8_t> plainPicture(int width, int height, uint8_t index);

// A scratch folder, made the current directory for the test's lifetime;
// KORVAT_DATA is pointed at an empty folder inside it, so only pictures the
// test puts there are found.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }
    std::string dataPath() const { return path_ + "/data"; }

private:
    std::string path_;
    std::string previous_;
};

// A platform that keeps the rectangles presented and answers every question
// with OK; nothing else is recorded.
struct Presented {
    int x, y, width, height;
    bool operator==(const Presented&) const = default;
};
class PresentRecorder final : public HeadlessPlatform {
public:
    PresentRecorder() { presented.reserve(4096); }
    int messageBox(const char*, const char*, unsigned) override { return IdOk; }
    void present(const Surface&, int x, int y, int w, int h) override {
        if (presented.size() < presented.capacity()) presented.push_back({x, y, w, h});
    }

    std::vector<Presented> presented;
};

}  // namespace korvat::test
