// Finding the picture files, the fatal start-up errors and the swap of the
// card pictures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "model/drawing.h"
#include "play/game.h"
#include "view/pictures.h"
#include "view/table_drawing.h"
#include "view_test_support.h"

namespace korvat::view {
namespace {

using test::plainPicture;
using test::writeFile;

int exitStatus = -1;
int exits = 0;
void recordExit(int status) {
    exitStatus = status;
    ++exits;
}

class PictureFilesTest : public test::GameTest {
protected:
    test::ScratchFolder folder;
    void SetUp() override {
        GameTest::SetUp();
        exits = 0;
        exitStatus = -1;
        fatalExit = recordExit;
    }
    void TearDown() override {
        fatalExit = std::exit;
        drawingHooks = {};
        closeGraphics();
        GameTest::TearDown();
    }
    // The index the large card picture was filled with, read from its top left pixel.
    static int largeIndex() { return static_cast<int>(cardPicture.at(0, 0) >> 16); }
    void expectFatal(const char* text) {
        ASSERT_EQ(headless.messages.size(), 1u);
        EXPECT_EQ(headless.messages[0].caption, "FATAL ERROR!");
        EXPECT_EQ(headless.messages[0].text, text);
        EXPECT_EQ(headless.messages[0].style & Mb::IconMask, Mb::IconStop);
        EXPECT_TRUE(headless.messages[0].style & Mb::SystemModal);
        EXPECT_EQ(exits, 1);
        EXPECT_EQ(exitStatus, 1);
    }
};

TEST_F(PictureFilesTest, PcxBeforeScvAndTheCurrentFolderBeforeTheDataFolder) {
    writeFile("LARGE.PCX", plainPicture(832, 480, 1));
    writeFile("LARGE.SCV", plainPicture(832, 480, 2));
    writeFile(folder.dataPath() + "/LARGE.PCX", plainPicture(832, 480, 3));
    writeFile(folder.dataPath() + "/LARGE.SCV", plainPicture(832, 480, 4));
    ASSERT_TRUE(loadLargeCards());
    EXPECT_EQ(largeIndex(), 1);

    std::filesystem::remove("LARGE.PCX");
    ASSERT_TRUE(loadLargeCards());
    EXPECT_EQ(largeIndex(), 2);

    std::filesystem::remove("LARGE.SCV");
    ASSERT_TRUE(loadLargeCards());
    EXPECT_EQ(largeIndex(), 3);

    std::filesystem::remove(folder.dataPath() + "/LARGE.PCX");
    ASSERT_TRUE(loadLargeCards());
    EXPECT_EQ(largeIndex(), 4);
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(cardPicture.width, 832);
    EXPECT_EQ(cardPicture.height, 480);
}

TEST_F(PictureFilesTest, FilesTreatedAsNoPictureFallToTheScvName) {
    writeFile("LARGE.SCV", plainPicture(832, 480, 2));
    std::vector<uint8_t> tooShort = plainPicture(832, 480, 1);
    tooShort.resize(896);
    std::vector<uint8_t> hugeSide = plainPicture(832, 480, 1);
    hugeSide[8] = hugeSide[9] = 0xFF;
    const std::vector<uint8_t> refused[] = {
        tooShort,
        hugeSide,
        plainPicture(830, 480, 1) /* width not a multiple of 4 */,
        plainPicture(828, 480, 1) /* narrower than the grid */,
        plainPicture(832, 479, 1) /* lower than the grid */,
    };
    for (const auto& file : refused) {
        writeFile("LARGE.PCX", file);
        ASSERT_TRUE(loadLargeCards());
        EXPECT_EQ(largeIndex(), 2);
    }
    EXPECT_TRUE(headless.messages.empty());

    // With no usable name anywhere: the fatal message, then the exit with status 1.
    std::filesystem::remove("LARGE.SCV");
    EXPECT_FALSE(loadLargeCards());
    expectFatal("Unable to open graphics.");
}

TEST_F(PictureFilesTest, SmallCardsNeedTheirGrid) {
    writeFile("SMALL.PCX", plainPicture(620, 384, 1));
    writeFile("SMALL.SCV", plainPicture(624, 383, 1));
    EXPECT_FALSE(loadSmallCards());
    expectFatal("Unable to open graphics.");
    writeFile("SMALL.SCV", plainPicture(624, 384, 5));
    EXPECT_TRUE(loadSmallCards());
    EXPECT_EQ(cardPicture.width, 624);
}

TEST_F(PictureFilesTest, NoBackPictureStopsBeforeAnySurfaceIsMade) {
    writeFile("BACK.PCX", std::vector<uint8_t>(500, 0));  // too short for a palette
    EXPECT_FALSE(openGraphics());
    expectFatal("Unable to open palette.");
    EXPECT_EQ(tableImage.width, 0);
    EXPECT_EQ(dragImage.width, 0);
    EXPECT_EQ(backPicture.width, 0);
}

TEST_F(PictureFilesTest, BackPictureSmallerThanItsGridIsNoBackPicture) {
    // The palette and the picture come from the same file: BACK.SCV here.
    writeFile("BACK.PCX", plainPicture(508, 192, 1));
    std::vector<uint8_t> scv = plainPicture(512, 192, 7);
    for (size_t i = scv.size() - 768; i < scv.size(); ++i) scv[i] = 0x99;
    writeFile("BACK.SCV", scv);
    ASSERT_TRUE(openGraphics());
    EXPECT_EQ(tablePalette[7].red, 0x99);
    EXPECT_EQ(backPicture.at(0, 0), 0x999999u);
    EXPECT_TRUE(headless.messages.empty());

    // Without it, the file is as good as missing.
    std::filesystem::remove("BACK.SCV");
    closeGraphics();
    EXPECT_FALSE(openGraphics());
    expectFatal("Unable to open palette.");
}

TEST_F(PictureFilesTest, OpenGraphicsMakesTheSurfacesAndReadsTheFont) {
    test::writeTestPictures(folder.dataPath());
    ASSERT_TRUE(openGraphics());
    EXPECT_TRUE(headless.messages.empty());
    for (const Surface* s : {&windowSurface, &tableImage, &dragImage}) {
        EXPECT_EQ(s->width, 640);
        EXPECT_EQ(s->height, 480);
    }
    EXPECT_EQ(backPicture.width, 512);
    EXPECT_EQ(backPicture.height, 192);
    // The table palette is the back picture's.
    EXPECT_EQ(tablePalette[37].red, 37);
    EXPECT_EQ(tablePalette[37].green, 0xC0);
    EXPECT_EQ(tablePalette[37].blue, 0x40);
    // '!' has its ink in row 1 of its cell, 'A' in row (65 - 32) mod 16 = 1, '0' in row 0.
    ASSERT_TRUE(textFont.loaded);
    EXPECT_EQ(textFont.rows['!' - 32][1], 0xFF);
    EXPECT_EQ(textFont.rows['!' - 32][0], 0);
    EXPECT_EQ(textFont.rows['0' - 32][0], 0xFF);
    EXPECT_EQ(textFont.rows['A' - 32][1], 0xFF);
    for (int r = 0; r < 16; ++r) EXPECT_EQ(textFont.rows[0][r], 0);

    closeGraphics();
    EXPECT_EQ(tableImage.width, 0);
    EXPECT_TRUE(tableImage.pixels.empty());
    EXPECT_FALSE(textFont.loaded);
}

TEST_F(PictureFilesTest, DataFolder) {
    EXPECT_EQ(dataFolder(), folder.dataPath());
    ::unsetenv("KORVAT_DATA");
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(dataFolder(), exe + "/../share/korvat");
}

TEST_F(PictureFilesTest, GameSelectionSwapsTheCardPictures) {
    test::writeTestPictures(folder.path());
    // A small-card game chosen before the drawing starts gets the small picture.
    selectGame(901);
    ASSERT_TRUE(startGraphics());
    EXPECT_EQ(cardPicture.width, 624);
    selectGame(827);
    EXPECT_EQ(cardPicture.width, 832);
    EXPECT_EQ(table.cardWidth, 64);
    selectGame(901);
    EXPECT_EQ(cardPicture.width, 624);
    EXPECT_EQ(cardPicture.height, 384);
    EXPECT_EQ(table.cardWidth, 48);

    // A small picture that has gone missing since start-up is fatal.
    selectGame(827);
    std::filesystem::remove("SMALL.PCX");
    selectGame(901);
    expectFatal("Unable to open graphics.");
    EXPECT_EQ(cardPicture.width, 0);
    // Drawing from the missing picture draws no cards, and nothing breaks.
    startGame(0);
    repaintTable();
}

}  // namespace
}  // namespace korvat::view
