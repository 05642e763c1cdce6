// The sounds, icons and carrying cursor that the build makes, read back
// through the resource collection exactly as the desktop program reads them.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

QByteArray resource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// ---------------------------------------------------------------------------
// Reading a RIFF WAVE image.

uint32_t le32(const QByteArray& b, qsizetype at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    }
    return v;
}
uint16_t le16(const QByteArray& b, qsizetype at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

struct Wave {
    uint16_t format = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
    std::vector<double> samples;  // full scale is 1.0

    double seconds() const { return static_cast<double>(samples.size()) / rate; }
};

// Walks the chunks of a RIFF WAVE image; nothing, with the reason, when the
// image is not one or its sizes do not agree.
std::optional<Wave> parseWave(const QByteArray& b, std::string* why) {
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE") {
        *why = "no RIFF WAVE header";
        return std::nullopt;
    }
    if (le32(b, 4) + 8 != static_cast<uint32_t>(b.size())) {
        *why = "RIFF size " + std::to_string(le32(b, 4)) + " does not match a file of " + std::to_string(b.size());
        return std::nullopt;
    }
    Wave w;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const uint32_t size = le32(b, at + 4);
        const qsizetype body = at + 8;
        if (body + static_cast<qsizetype>(size) > b.size()) {
            *why = "chunk " + id.toStdString() + " runs past the end";
            return std::nullopt;
        }
        if (id == "fmt ") {
            if (size < 16) {
                *why = "short fmt chunk";
                return std::nullopt;
            }
            w.format = le16(b, body);
            w.channels = le16(b, body + 2);
            w.rate = le32(b, body + 4);
            w.byteRate = le32(b, body + 8);
            w.blockAlign = le16(b, body + 12);
            w.bits = le16(b, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                *why = "data before fmt";
                return std::nullopt;
            }
            if (size % 2 != 0) {
                *why = "odd data size";
                return std::nullopt;
            }
            for (uint32_t i = 0; i < size; i += 2) {
                w.samples.push_back(static_cast<int16_t>(le16(b, body + i)) / 32768.0);
            }
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (at != b.size() || !haveFormat || !haveData) {
        *why = "chunks do not fill the file, or fmt or data is missing";
        return std::nullopt;
    }
    return w;
}

// ---------------------------------------------------------------------------
// Measurements.

double peakOf(const std::vector<double>& s, size_t from = 0, size_t to = SIZE_MAX) {
    double top = 0.0;
    for (size_t i = from; i < std::min(to, s.size()); ++i) {
        top = std::max(top, std::abs(s[i]));
    }
    return top;
}

double rmsOf(const std::vector<double>& s, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        sum += s[i] * s[i];
    }
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

double dB(double ratio) { return 20.0 * std::log10(ratio); }

// The power spectrum averaged over Hann-windowed frames of 256 samples,
// half overlapping; bin k is k * rate / 256 Hz.
std::vector<double> averageSpectrum(const std::vector<double>& s) {
    constexpr size_t kFrame = 256;
    constexpr double kPi = std::numbers::pi;
    std::vector<double> power(kFrame / 2 + 1, 0.0);
    std::vector<double> window(kFrame);
    for (size_t i = 0; i < kFrame; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / kFrame);
    }
    for (size_t start = 0; start + kFrame <= s.size(); start += kFrame / 2) {
        for (size_t k = 0; k < power.size(); ++k) {
            double re = 0.0;
            double im = 0.0;
            for (size_t i = 0; i < kFrame; ++i) {
                const double v = s[start + i] * window[i];
                const double a = 2.0 * kPi * static_cast<double>(k * i) / kFrame;
                re += v * std::cos(a);
                im -= v * std::sin(a);
            }
            power[k] += re * re + im * im;
        }
    }
    return power;
}

// Geometric over arithmetic mean of the spectrum without its DC bin: 1 for
// white noise, near 0 for a tone.
double spectralFlatness(const std::vector<double>& power) {
    double logSum = 0.0;
    double sum = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        logSum += std::log(power[k] + 1e-30);
        sum += power[k];
    }
    const double n = static_cast<double>(power.size() - 1);
    return std::exp(logSum / n) / (sum / n);
}

double centroidHz(const std::vector<double>& power, double rate) {
    double weighted = 0.0;
    double sum = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        weighted += power[k] * static_cast<double>(k);
        sum += power[k];
    }
    return weighted / sum * rate / static_cast<double>(2 * (power.size() - 1));
}

double shareAbove(const std::vector<double>& power, double hz, double rate) {
    double above = 0.0;
    double sum = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        sum += power[k];
        if (static_cast<double>(k) * rate / static_cast<double>(2 * (power.size() - 1)) >= hz) {
            above += power[k];
        }
    }
    return above / sum;
}

struct SoundCase {
    const char* path;
    double seconds;
};

void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.path; }

const SoundCase kSounds[] = {
    {":/sounds/shuffle.wav", 0.66}, {":/sounds/card1.wav", 0.08}, {":/sounds/card2.wav", 0.11},
    {":/sounds/card3.wav", 0.08},   {":/sounds/card4.wav", 0.10}, {":/sounds/card5.wav", 0.08},
};

Wave loadWave(const char* path) {
    const QByteArray bytes = resource(QString::fromLatin1(path));
    std::string why;
    const auto wave = parseWave(bytes, &why);
    if (!wave) {
        ADD_FAILURE() << path << ": " << why;
        return {};
    }
    return *wave;
}

// ---------------------------------------------------------------------------
// Every sound: the format the program plays, and a clean level and ending.

class EverySound : public ::testing::TestWithParam<SoundCase> {};

TEST_P(EverySound, IsMonoPcm22050Hz16Bit) {
    const Wave w = loadWave(GetParam().path);
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 22050u);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.blockAlign, 2);
    EXPECT_EQ(w.byteRate, 44100u);
}

TEST_P(EverySound, LastsAboutItsTargetLength) {
    const Wave w = loadWave(GetParam().path);
    ASSERT_FALSE(w.samples.empty());
    EXPECT_NEAR(w.seconds(), GetParam().seconds, 0.15 * GetParam().seconds);
}

TEST_P(EverySound, PeaksNearMinusThreeDecibelsWithoutClipping) {
    const Wave w = loadWave(GetParam().path);
    ASSERT_FALSE(w.samples.empty());
    const double peak = dB(peakOf(w.samples));
    EXPECT_GE(peak, -6.0);
    EXPECT_LE(peak, -1.0);
}

TEST_P(EverySound, HasNoDcOffset) {
    const Wave w = loadWave(GetParam().path);
    ASSERT_FALSE(w.samples.empty());
    double sum = 0.0;
    for (double v : w.samples) {
        sum += v;
    }
    EXPECT_LT(std::abs(sum / static_cast<double>(w.samples.size())), 1e-3);
}

// A sound that starts or stops away from zero clicks, and the last 5 ms are
// what is left when one sound ends on its own.
TEST_P(EverySound, StartsFromSilenceAndFadesOut) {
    const Wave w = loadWave(GetParam().path);
    ASSERT_GT(w.samples.size(), 200u);
    EXPECT_LT(std::abs(w.samples.front()), 0.01);
    EXPECT_LT(std::abs(w.samples.back()), 0.001);
    const size_t fiveMs = w.rate * 5 / 1000;
    const double tail = peakOf(w.samples, w.samples.size() - fiveMs);
    EXPECT_LT(dB(tail / peakOf(w.samples)), -40.0) << "the last 5 ms peak at " << tail;
}

// Noise-like rather than a tone, and not harsh: most of the energy lies
// below 6 kHz.
TEST_P(EverySound, IsSoftNoiseRatherThanATone) {
    const Wave w = loadWave(GetParam().path);
    ASSERT_GT(w.samples.size(), 512u);
    const std::vector<double> power = averageSpectrum(w.samples);
    EXPECT_GE(spectralFlatness(power), 0.3);
    EXPECT_LT(shareAbove(power, 6000.0, w.rate), 0.25);
}

INSTANTIATE_TEST_SUITE_P(Sounds, EverySound, ::testing::ValuesIn(kSounds),
                         [](const ::testing::TestParamInfo<SoundCase>& info) {
                             std::string name = info.param.path + 9;  // past ":/sounds/"
                             return name.substr(0, name.find('.'));
                         });

// ---------------------------------------------------------------------------
// The card sounds: short snaps, all different.

TEST(CardSounds, HitAtOnceAndDieAway) {
    for (int i = 1; i <= 5; ++i) {
        const Wave w = loadWave(kSounds[i].path);
        ASSERT_FALSE(w.samples.empty());
        SCOPED_TRACE(kSounds[i].path);
        const size_t peakAt = static_cast<size_t>(
            std::max_element(w.samples.begin(), w.samples.end(),
                             [](double a, double b) { return std::abs(a) < std::abs(b); }) -
            w.samples.begin());
        EXPECT_LT(static_cast<double>(peakAt) / w.rate, 0.015);
        const size_t half = w.samples.size() / 2;
        EXPECT_LT(dB(rmsOf(w.samples, half, w.samples.size()) / rmsOf(w.samples, 0, half)), -20.0);
    }
}

// Five recordings of the same sound would make the random choice pointless:
// each pair differs in length or clearly in colour.
TEST(CardSounds, AreFiveDifferentSounds) {
    std::vector<Wave> waves;
    std::vector<double> centroids;
    for (int i = 1; i <= 5; ++i) {
        waves.push_back(loadWave(kSounds[i].path));
        ASSERT_GT(waves.back().samples.size(), 512u);
        centroids.push_back(centroidHz(averageSpectrum(waves.back().samples), 22050.0));
    }
    for (size_t a = 0; a < waves.size(); ++a) {
        for (size_t b = a + 1; b < waves.size(); ++b) {
            SCOPED_TRACE("card" + std::to_string(a + 1) + " and card" + std::to_string(b + 1));
            EXPECT_NE(waves[a].samples, waves[b].samples);
            const bool longer = waves[a].samples.size() != waves[b].samples.size();
            const double colour = std::abs(centroids[a] - centroids[b]) / std::max(centroids[a], centroids[b]);
            EXPECT_TRUE(longer || colour > 0.05)
                << "same length, centroids " << centroids[a] << " and " << centroids[b] << " Hz";
        }
    }
}

// ---------------------------------------------------------------------------
// The shuffle: a riffle of many separate flutters that dies away.

TEST(ShuffleSound, IsARiffleOfManyFlutters) {
    const Wave w = loadWave(":/sounds/shuffle.wav");
    ASSERT_FALSE(w.samples.empty());
    // Peaks of 1 ms frames. A flutter is a frame that is the loudest within
    // 3 ms either side and at least 6 dB above the quietest of the 6 ms
    // before it: a burst that stands out of the sound around it.
    const size_t frame = w.rate / 1000;
    std::vector<double> level;
    for (size_t at = 0; at + frame <= w.samples.size(); at += frame) {
        level.push_back(peakOf(w.samples, at, at + frame));
    }
    int flutters = 0;
    for (size_t i = 6; i + 3 < level.size(); ++i) {
        const double around = *std::max_element(level.begin() + static_cast<long>(i) - 3,
                                                level.begin() + static_cast<long>(i) + 4);
        const double before = *std::min_element(level.begin() + static_cast<long>(i) - 6,
                                                 level.begin() + static_cast<long>(i));
        if (level[i] == around && level[i] >= 2.0 * before && level[i] > 0.05) {
            ++flutters;
        }
    }
    EXPECT_GE(flutters, 25);
}

TEST(ShuffleSound, DiesAway) {
    const Wave w = loadWave(":/sounds/shuffle.wav");
    ASSERT_FALSE(w.samples.empty());
    const size_t third = w.samples.size() / 3;
    const double first = rmsOf(w.samples, 0, third);
    const double last = rmsOf(w.samples, 2 * third, w.samples.size());
    EXPECT_LT(last, first);
}

// ---------------------------------------------------------------------------
// Icons and the cursor.

struct IconCase {
    const char* path;
    int size;
};

void PrintTo(const IconCase& c, std::ostream* os) { *os << c.path; }

const IconCase kIcons[] = {
    {":/icons/korvat.png", 64},      {":/icons/korvat-32.png", 32},   {":/icons/korvat-16.png", 16},
    {":/icons/korvat-small.png", 32}, {":/icons/select-1107.png", 32}, {":/icons/select-1105.png", 32},
    {":/icons/carry-cursor.png", 32},
};

class EveryIcon : public ::testing::TestWithParam<IconCase> {};

TEST_P(EveryIcon, HasItsSize) {
    const QImage img(QString::fromLatin1(GetParam().path));
    ASSERT_FALSE(img.isNull()) << GetParam().path;
    EXPECT_EQ(img.width(), GetParam().size);
    EXPECT_EQ(img.height(), GetParam().size);
    EXPECT_TRUE(img.hasAlphaChannel());
}

// Transparent all round its edge, so that nothing is cut off and the
// title bar or dialog shows through the corners; solid in the middle.
TEST_P(EveryIcon, StandsOnATransparentBackground) {
    const QImage img = QImage(QString::fromLatin1(GetParam().path)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(img.isNull());
    const int last = img.width() - 1;
    int opaqueEdge = 0;
    int opaque = 0;
    for (int y = 0; y <= last; ++y) {
        for (int x = 0; x <= last; ++x) {
            const int alpha = qAlpha(img.pixel(x, y));
            if ((x == 0 || y == 0 || x == last || y == last) && alpha != 0) {
                ++opaqueEdge;
            }
            opaque += alpha == 255 ? 1 : 0;
        }
    }
    EXPECT_EQ(opaqueEdge, 0);
    EXPECT_GT(opaque, img.width() * img.height() / 4);
    EXPECT_LT(opaque, img.width() * img.height() * 9 / 10);
}

INSTANTIATE_TEST_SUITE_P(Icons, EveryIcon, ::testing::ValuesIn(kIcons),
                         [](const ::testing::TestParamInfo<IconCase>& info) {
                             std::string name = info.param.path + 8;  // past ":/icons/"
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(Icons, MainIconShowsRedAndBlueAtEverySize) {
    for (const char* path : {":/icons/korvat.png", ":/icons/korvat-32.png", ":/icons/korvat-16.png"}) {
        SCOPED_TRACE(path);
        const QImage img = QImage(QString::fromLatin1(path)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(img.isNull());
        int red = 0;
        int blue = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = QColor::fromRgba(img.pixel(x, y));
                if (c.alpha() == 255 && c.red() > 150 && c.green() < 80 && c.blue() < 80) {
                    ++red;
                }
                if (c.alpha() == 255 && c.blue() > 120 && c.red() < 80) {
                    ++blue;
                }
            }
        }
        EXPECT_GE(red, img.width() * img.height() / 40);
        EXPECT_GE(blue, img.width() * img.height() / 40);
    }
}

TEST(CarryCursor, HotSpotIsOnTheArrowTip) {
    const QImage img = QImage(QStringLiteral(":/icons/carry-cursor.png")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(img.isNull());
    bool okX = false;
    bool okY = false;
    const int x = img.text(QStringLiteral("HotSpotX")).toInt(&okX);
    const int y = img.text(QStringLiteral("HotSpotY")).toInt(&okY);
    ASSERT_TRUE(okX && okY) << "the picture does not carry its hot spot";
    ASSERT_TRUE(img.rect().contains(x, y)) << x << "," << y;
    // The tip is drawn, and it is the tip: nothing of the arrow lies above
    // or left of it.
    EXPECT_EQ(qAlpha(img.pixel(x, y)), 255);
    for (int yy = 0; yy < img.height(); ++yy) {
        for (int xx = 0; xx < img.width(); ++xx) {
            if (yy < y || xx < x) {
                EXPECT_EQ(qAlpha(img.pixel(xx, yy)), 0) << "at " << xx << "," << yy;
            }
        }
    }
}

}  // namespace
