// The sounds, icons and carrying cursor that the build makes, read back
// through the resource collection exactly as the desktop program reads them.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

double dB(double ratio) { return 20.0 * std::log10(ratio); }

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
// Every sound: the format the program plays, its length and level.

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

// Heard, and not clipped.
TEST_P(EverySound, PeaksBelowFullScale) {
    const Wave w = loadWave(GetParam().path);
    ASSERT_FALSE(w.samples.empty());
    const double peak = dB(peakOf(w.samples));
    EXPECT_GE(peak, -12.0);
    EXPECT_LE(peak, -1.0);
}

INSTANTIATE_TEST_SUITE_P(Sounds, EverySound, ::testing::ValuesIn(kSounds),
                         [](const ::testing::TestParamInfo<SoundCase>& info) {
                             std::string name = info.param.path + 9;  // past ":/sounds/"
                             return name.substr(0, name.find('.'));
                         });

// Five recordings of the same sound would make the random choice pointless.
TEST(CardSounds, AreFiveDifferentSounds) {
    std::vector<Wave> waves;
    for (int i = 1; i <= 5; ++i) waves.push_back(loadWave(kSounds[i].path));
    for (size_t a = 0; a < waves.size(); ++a)
        for (size_t b = a + 1; b < waves.size(); ++b) EXPECT_NE(waves[a].samples, waves[b].samples) << a << " " << b;
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
