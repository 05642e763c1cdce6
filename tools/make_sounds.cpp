// korvat-make-sounds OUTDIR
//
// Synthesises the program's six sounds and writes them to OUTDIR as RIFF
// WAVE files, PCM, one channel, 22050 samples per second, 16 bits:
//   shuffle.wav            0.66 s   the deck riffled together and squared
//   card1.wav .. card5.wav 0.08, 0.11, 0.08, 0.10, 0.08 s
//                                   a card laid on the cloth, five ways
// Every sound is white noise shaped by one-pole filters and envelopes, with
// a little low body under the card sounds. The noise comes from fixed
// seeds and a generator of our own, so every build writes the same bytes.
// Each sound is scaled to a peak of -3 dBFS, has no DC offset, and its tail
// is faded to exactly zero so that a sound cut short by the next one, or
// ending on its own, leaves no click.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = std::numbers::pi;
constexpr double kPeak = 0.7079457843841379;  // -3 dBFS

using Signal = std::vector<double>;

size_t samplesFor(double seconds) { return static_cast<size_t>(std::lround(seconds * kRate)); }

// SplitMix64: small, fast and the same everywhere (the standard library's
// distributions are not), which keeps the files identical between builds.
class Noise {
public:
    explicit Noise(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [lo, hi).
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // White noise sample in [-1, 1).
    double white() { return 2.0 * unit() - 1.0; }

private:
    uint64_t state_;
};

// First-order low pass; the high pass is what the low pass takes away.
class LowPass {
public:
    explicit LowPass(double cutoff) : a_(1.0 - std::exp(-2.0 * kPi * cutoff / kRate)) {}
    double operator()(double x) { return y_ += a_ * (x - y_); }

private:
    double a_;
    double y_ = 0.0;
};

class HighPass {
public:
    explicit HighPass(double cutoff) : low_(cutoff) {}
    double operator()(double x) { return x - low_(x); }

private:
    LowPass low_;
};

// Two-pole band pass (constant peak gain), for the colour of a card sound.
class BandPass {
public:
    BandPass(double centre, double q) {
        const double w = 2.0 * kPi * centre / kRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0_ = alpha / a0;
        a1_ = -2.0 * std::cos(w) / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double operator()(double x) {
        const double y = b0_ * x - b0_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_ = 0.0, a1_ = 0.0, a2_ = 0.0;
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
};

// Rises from 0 to 1 over `rise` seconds along half a cosine.
double smoothRise(double t, double rise) {
    if (t <= 0.0) {
        return 0.0;
    }
    return t >= rise ? 1.0 : 0.5 - 0.5 * std::cos(kPi * t / rise);
}

// ---------------------------------------------------------------------------
// Finishing: the same last steps for every sound.

// Fades the last `seconds` to zero along half a cosine, the last sample
// exactly zero.
void fadeTail(Signal& s, double seconds) {
    const size_t n = std::min(s.size(), samplesFor(seconds));
    for (size_t i = 0; i < n; ++i) {
        const size_t at = s.size() - 1 - i;  // i samples before the end
        s[at] *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / static_cast<double>(n));
    }
}

// Removes the DC offset with a slow bump that is zero at both ends, so the
// silent start and the faded tail stay silent.
void removeOffset(Signal& s) {
    if (s.size() < 2) {
        return;
    }
    double sum = 0.0;
    double weight = 0.0;
    std::vector<double> bump(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        bump[i] = std::sin(kPi * static_cast<double>(i) / static_cast<double>(s.size() - 1));
        sum += s[i];
        weight += bump[i];
    }
    const double offset = sum / weight;
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] -= offset * bump[i];
    }
}

void scaleToPeak(Signal& s, double peak) {
    double top = 0.0;
    for (double v : s) {
        top = std::max(top, std::abs(v));
    }
    if (top > 0.0) {
        for (double& v : s) {
            v *= peak / top;
        }
    }
}

void finish(Signal& s, double fadeSeconds) {
    fadeTail(s, fadeSeconds);
    removeOffset(s);
    scaleToPeak(s, kPeak);
}

// ---------------------------------------------------------------------------
// A card laid on the cloth: a bright slap at the moment of contact, the
// softer noise of the card settling on the felt, and a short low thump of
// the table under it. The five card sounds differ in length, colour, decay
// and the pitch of the thump, so a run of moves does not sound mechanical.

struct CardVoice {
    double seconds;     // whole length
    uint64_t seed;
    double slapDecay;   // time constant of the contact slap, s
    double slapBright;  // low-pass cut-off of the slap, Hz
    double feltDecay;   // time constant of the felt noise, s
    double feltLow;     // high-pass cut-off of the felt noise, Hz
    double feltHigh;    // low-pass cut-off of the felt noise, Hz
    double colour;      // centre of the band that gives the card its pitch, Hz
    double colourShare; // how much of that band is mixed in
    double thumpPitch;  // start pitch of the thump, Hz; it falls by a third
    double thumpLevel;
};

Signal cardSound(const CardVoice& v) {
    Noise noise(v.seed);
    Signal out(samplesFor(v.seconds));
    LowPass slapTone(v.slapBright);
    HighPass slapFloor(300.0);
    HighPass feltFloor(v.feltLow);
    LowPass feltTone(v.feltHigh);
    BandPass band(v.colour, 1.6);
    double thumpPhase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double white = noise.white();
        const double attack = smoothRise(t, 0.0012);

        const double slap = slapFloor(slapTone(white)) * std::exp(-t / v.slapDecay);

        const double felt0 = feltTone(feltFloor(white));
        const double felt = ((1.0 - v.colourShare) * felt0 + v.colourShare * 2.5 * band(felt0)) *
                            std::exp(-t / v.feltDecay);

        const double pitch = v.thumpPitch * (0.67 + 0.33 * std::exp(-t / 0.015));
        thumpPhase += 2.0 * kPi * pitch / kRate;
        const double thump = v.thumpLevel * std::sin(thumpPhase) * std::exp(-t / 0.012);

        out[i] = attack * (1.1 * slap + 0.8 * felt + thump);
    }
    finish(out, 0.012);
    return out;
}

// ---------------------------------------------------------------------------
// The shuffle: the two halves of the deck riffled into each other, 52 quick
// flutters as the cards drop one by one, faster in the middle of the riffle
// and fading as it goes, over a soft rush of air; then the deck is squared
// with a muffled pat and the sound dies away.

Signal shuffleSound() {
    constexpr double kSeconds = 0.66;
    Signal out(samplesFor(kSeconds));
    Noise noise(0x5EEDC0DE2024ULL);

    // The flutters: when each one starts, how loud it is, how quickly it
    // dies and how bright it sounds.
    struct Flutter {
        double start;
        double level;
        double decay;
        double bright;  // cut-off of the two low-pass steps, Hz
    };
    std::vector<Flutter> flutters;
    constexpr int kCards = 52;
    double t = 0.018;
    for (int k = 0; k < kCards; ++k) {
        const double along = static_cast<double>(k) / (kCards - 1);
        const double swell = smoothRise(static_cast<double>(k), 5.0);
        const double level = swell * (1.0 - 0.55 * along) * noise.between(0.65, 1.0);
        flutters.push_back({t, level, noise.between(0.0012, 0.0026), noise.between(2400.0, 4000.0)});
        const double middle = 2.0 * along - 1.0;
        t += 0.0080 + 0.0045 * middle * middle + noise.between(-0.0012, 0.0012);
    }
    const double riffleEnd = t;

    for (const Flutter& f : flutters) {
        LowPass tone(f.bright);
        LowPass softer(f.bright);
        HighPass floor(450.0);
        const size_t first = samplesFor(f.start);
        const size_t length = samplesFor(f.decay * 7.0);
        // A flutter is the card's edge leaving the thumb and, a moment
        // later, a fainter flick as it lands on the card below.
        const double flick = noise.between(0.0015, 0.0030);
        for (size_t i = 0; i < length && first + i < out.size(); ++i) {
            const double u = static_cast<double>(i) / kRate;
            double env = smoothRise(u, 0.0004) * std::exp(-u / f.decay);
            if (u > flick) {
                env += 0.35 * std::exp(-(u - flick) / (0.7 * f.decay));
            }
            out[first + i] += f.level * env * floor(softer(tone(noise.white())));
        }
    }

    // The rush of air under the riffle.
    LowPass airTone(1400.0);
    HighPass airFloor(250.0);
    for (size_t i = 0; i < out.size(); ++i) {
        const double u = static_cast<double>(i) / kRate;
        const double env = smoothRise(u, 0.04) * (u < riffleEnd ? 1.0 - 0.5 * u / riffleEnd
                                                                : 0.5 * std::exp(-(u - riffleEnd) / 0.02));
        out[i] += 0.10 * env * airFloor(airTone(noise.white()));
    }

    // Squaring the deck.
    LowPass patTone(1800.0);
    HighPass patFloor(120.0);
    const double patStart = riffleEnd + 0.018;
    for (size_t i = samplesFor(patStart); i < out.size(); ++i) {
        const double u = static_cast<double>(i) / kRate - patStart;
        const double env = smoothRise(u, 0.002) * std::exp(-u / 0.022);
        out[i] += 0.35 * env * patFloor(patTone(noise.white()));
    }

    finish(out, 0.02);
    return out;
}

// ---------------------------------------------------------------------------
// Writing.

void put16(std::string& b, uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& b, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        b.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

std::string waveImage(const Signal& s) {
    const uint32_t dataBytes = static_cast<uint32_t>(s.size() * 2);
    std::string b;
    b.reserve(44 + dataBytes);
    b += "RIFF";
    put32(b, 36 + dataBytes);
    b += "WAVE";
    b += "fmt ";
    put32(b, 16);
    put16(b, 1);            // PCM
    put16(b, 1);            // one channel
    put32(b, kRate);
    put32(b, kRate * 2);    // bytes per second
    put16(b, 2);            // bytes per sample frame
    put16(b, 16);           // bits per sample
    b += "data";
    put32(b, dataBytes);
    for (double v : s) {
        const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        put16(b, static_cast<uint16_t>(static_cast<int16_t>(q)));
    }
    return b;
}

bool writeWave(const std::string& dir, const char* name, const Signal& s) {
    const std::string path = dir + "/" + name;
    const std::string bytes = waveImage(s);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f != nullptr) {
        ok = std::fclose(f) == 0 && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "korvat-make-sounds: cannot write %s\n", path.c_str());
    }
    return ok;
}

// The five card sounds: 1 and 3 crisp, 2 the longest and fullest, 4 dull
// and low, 5 light and quick.
const CardVoice kCards[5] = {
    {0.080, 0xC0A2D001ULL, 0.0030, 5200.0, 0.014, 220.0, 3800.0, 1900.0, 0.35, 150.0, 0.30},
    {0.110, 0xC0A2D002ULL, 0.0036, 4400.0, 0.020, 160.0, 3000.0, 1350.0, 0.40, 118.0, 0.42},
    {0.080, 0xC0A2D003ULL, 0.0026, 6000.0, 0.013, 260.0, 4300.0, 2400.0, 0.30, 170.0, 0.26},
    {0.100, 0xC0A2D004ULL, 0.0034, 3800.0, 0.018, 150.0, 2600.0, 1100.0, 0.45, 105.0, 0.48},
    {0.080, 0xC0A2D005ULL, 0.0024, 6500.0, 0.012, 300.0, 4800.0, 2900.0, 0.30, 190.0, 0.20},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvat-make-sounds OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "korvat-make-sounds: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    bool ok = writeWave(dir, "shuffle.wav", shuffleSound());
    for (int i = 0; i < 5; ++i) {
        const std::string name = "card" + std::to_string(i + 1) + ".wav";
        ok = writeWave(dir, name.c_str(), cardSound(kCards[i])) && ok;
    }
    return ok ? 0 : 1;
}
