#include "pcx_writer.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace korvat::tools {

namespace {

void put16(std::vector<uint8_t>& out, size_t at, int value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// One scan line as runs: a value below 0xC0 that stands alone is written as
// itself, everything else as a count byte (0xC0 | 1..63) and the value.
void encodeLine(std::vector<uint8_t>& out, const uint8_t* line, int width) {
    int x = 0;
    while (x < width) {
        const uint8_t value = line[x];
        int run = 1;
        while (x + run < width && run < 63 && line[x + run] == value) {
            ++run;
        }
        if (run == 1 && value < 0xC0) {
            out.push_back(value);
        } else {
            out.push_back(static_cast<uint8_t>(0xC0 | run));
            out.push_back(value);
        }
        x += run;
    }
}

}  // namespace

std::vector<uint8_t> encodePcx(int width, int height, const std::vector<uint8_t>& pixels,
                               const Palette& palette) {
    if (width <= 0 || height <= 0 || width % 4 != 0 || width > 0xFFFF || height > 0xFFFF ||
        pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
        return {};
    }
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;  // maker
    out[1] = 5;   // version: 256-colour palette at the end
    out[2] = 1;   // run-length encoded
    out[3] = 8;   // bits per pixel
    put16(out, 4, 0);           // Xmin
    put16(out, 6, 0);           // Ymin
    put16(out, 8, width - 1);   // Xmax
    put16(out, 10, height - 1); // Ymax
    put16(out, 12, 72);         // horizontal resolution
    put16(out, 14, 72);         // vertical resolution
    out[65] = 1;                // planes
    put16(out, 66, width);      // bytes per scan line
    put16(out, 68, 1);          // palette holds colours
    for (int y = 0; y < height; ++y) {
        encodeLine(out, pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width), width);
    }
    out.push_back(12);
    for (const Rgb& c : palette) {
        out.push_back(c.r);
        out.push_back(c.g);
        out.push_back(c.b);
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

int colourDistance(Rgb a, Rgb b) {
    const int dr = int{a.r} - int{b.r};
    const int dg = int{a.g} - int{b.g};
    const int db = int{a.b} - int{b.b};
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

namespace {

struct Entry {
    Rgb colour;
    uint64_t count;
};

int channel(Rgb c, int axis) {
    return axis == 0 ? c.r : axis == 1 ? c.g : c.b;
}

// A box of the median cut: a range of the colour list with its spread.
struct Box {
    size_t begin = 0;
    size_t end = 0;
    double error = 0;  // summed squared distance from the mean, all channels
    int axis = 0;      // the channel with the largest spread
};

Box measure(const std::vector<Entry>& colours, size_t begin, size_t end) {
    Box box{begin, end, 0.0, 0};
    double n = 0;
    double sum[3] = {0, 0, 0};
    double sq[3] = {0, 0, 0};
    for (size_t i = begin; i < end; ++i) {
        const double w = static_cast<double>(colours[i].count);
        n += w;
        for (int a = 0; a < 3; ++a) {
            const double v = channel(colours[i].colour, a);
            sum[a] += w * v;
            sq[a] += w * v * v;
        }
    }
    double best = -1;
    for (int a = 0; a < 3; ++a) {
        const double e = n > 0 ? sq[a] - sum[a] * sum[a] / n : 0.0;
        box.error += e;
        if (e > best) {
            best = e;
            box.axis = a;
        }
    }
    return box;
}

// Splits a box along its widest channel where the two halves together
// spread the least.
size_t bestSplit(std::vector<Entry>& colours, const Box& box) {
    const int axis = box.axis;
    std::sort(colours.begin() + static_cast<std::ptrdiff_t>(box.begin),
              colours.begin() + static_cast<std::ptrdiff_t>(box.end),
              [axis](const Entry& a, const Entry& b) {
                  const int ca = channel(a.colour, axis);
                  const int cb = channel(b.colour, axis);
                  return ca != cb ? ca < cb : pack(a.colour) < pack(b.colour);
              });
    double totalN = 0;
    double totalS = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        totalN += static_cast<double>(colours[i].count);
        totalS += static_cast<double>(colours[i].count) * channel(colours[i].colour, axis);
    }
    // Minimising the halves' spread is maximising n1 m1^2 + n2 m2^2.
    double n = 0;
    double s = 0;
    double best = -1;
    size_t split = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        n += static_cast<double>(colours[i].count);
        s += static_cast<double>(colours[i].count) * channel(colours[i].colour, axis);
        if (channel(colours[i].colour, axis) == channel(colours[i + 1].colour, axis)) {
            continue;
        }
        const double n2 = totalN - n;
        const double s2 = totalS - s;
        const double score = s * s / n + s2 * s2 / n2;
        if (score > best) {
            best = score;
            split = i + 1;
        }
    }
    return split;
}

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

}  // namespace

Palette buildPalette(const std::vector<Rgb>& fixed, const Histogram& histogram) {
    std::vector<Rgb> entries;
    for (const Rgb& c : fixed) {
        if (entries.size() < 256 && std::find(entries.begin(), entries.end(), c) == entries.end()) {
            entries.push_back(c);
        }
    }
    const size_t firstFree = entries.size();

    std::vector<Entry> colours;
    colours.reserve(histogram.size());
    for (const auto& [rgb, count] : histogram) {
        const Rgb c = unpack(rgb);
        if (count > 0 && std::find(entries.begin(), entries.end(), c) == entries.end()) {
            colours.push_back(Entry{c, count});
        }
    }
    std::sort(colours.begin(), colours.end(),
              [](const Entry& a, const Entry& b) { return pack(a.colour) < pack(b.colour); });

    // Median cut: always split the box that is represented worst.
    const size_t wanted = 256 - firstFree;
    std::vector<Box> boxes;
    if (!colours.empty() && wanted > 0) {
        boxes.push_back(measure(colours, 0, colours.size()));
    }
    while (!boxes.empty() && boxes.size() < wanted) {
        size_t worst = 0;
        for (size_t i = 1; i < boxes.size(); ++i) {
            if (boxes[i].error > boxes[worst].error) {
                worst = i;
            }
        }
        const Box box = boxes[worst];
        if (box.end - box.begin < 2 || box.error <= 0) {
            break;
        }
        const size_t split = bestSplit(colours, box);
        boxes[worst] = measure(colours, box.begin, split);
        boxes.push_back(measure(colours, split, box.end));
    }
    for (const Box& box : boxes) {
        double n = 0;
        double sum[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; ++i) {
            const double w = static_cast<double>(colours[i].count);
            n += w;
            for (int a = 0; a < 3; ++a) {
                sum[a] += w * channel(colours[i].colour, a);
            }
        }
        entries.push_back(Rgb{clampByte(sum[0] / n), clampByte(sum[1] / n), clampByte(sum[2] / n)});
    }

    // A few rounds of moving every free entry to the mean of the colours
    // that map to it (the fixed entries stay where they are).
    std::vector<double> acc;
    for (int round = 0; round < 4 && entries.size() > firstFree; ++round) {
        acc.assign(entries.size() * 4, 0.0);
        for (const Entry& e : colours) {
            size_t nearest = 0;
            int best = std::numeric_limits<int>::max();
            for (size_t i = 0; i < entries.size(); ++i) {
                const int d = colourDistance(e.colour, entries[i]);
                if (d < best) {
                    best = d;
                    nearest = i;
                }
            }
            const double w = static_cast<double>(e.count);
            acc[nearest * 4 + 0] += w * e.colour.r;
            acc[nearest * 4 + 1] += w * e.colour.g;
            acc[nearest * 4 + 2] += w * e.colour.b;
            acc[nearest * 4 + 3] += w;
        }
        for (size_t i = firstFree; i < entries.size(); ++i) {
            const double n = acc[i * 4 + 3];
            if (n > 0) {
                entries[i] = Rgb{clampByte(acc[i * 4] / n), clampByte(acc[i * 4 + 1] / n),
                                 clampByte(acc[i * 4 + 2] / n)};
            }
        }
    }

    // Every entry different: a repeated entry, and every entry left over,
    // takes the next colour of a coarse ramp that is not in the palette yet.
    Palette palette{};
    std::vector<Rgb> taken;
    uint32_t filler = 0;
    const auto nextFiller = [&]() {
        for (;;) {
            // Walks a 7 x 7 x 7 cube of steps of 42, then every colour.
            const uint32_t k = filler++;
            Rgb c = k < 343 ? Rgb{static_cast<uint8_t>((k / 49) * 42 + 3),
                                  static_cast<uint8_t>(((k / 7) % 7) * 42 + 3),
                                  static_cast<uint8_t>((k % 7) * 42 + 3)}
                            : unpack(k - 343);
            if (std::find(taken.begin(), taken.end(), c) == taken.end()) {
                return c;
            }
        }
    };
    for (size_t i = 0; i < 256; ++i) {
        Rgb c = i < entries.size() ? entries[i] : nextFiller();
        if (std::find(taken.begin(), taken.end(), c) != taken.end()) {
            c = nextFiller();
        }
        taken.push_back(c);
        palette[i] = c;
    }
    return palette;
}

uint8_t NearestColour::index(uint32_t rgb) {
    rgb &= 0xFFFFFF;
    if (const auto it = cache_.find(rgb); it != cache_.end()) {
        return it->second;
    }
    const Rgb c = unpack(rgb);
    uint8_t nearest = 0;
    int best = std::numeric_limits<int>::max();
    for (size_t i = 0; i < palette_.size(); ++i) {
        const int d = colourDistance(c, palette_[i]);
        if (d < best) {
            best = d;
            nearest = static_cast<uint8_t>(i);
        }
    }
    cache_.emplace(rgb, nearest);
    return nearest;
}

}  // namespace korvat::tools
