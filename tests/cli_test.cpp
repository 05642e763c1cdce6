// korvat-cli: its listings and its handling of bad input.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "test_support.h"

namespace korvat::test {
namespace {

using Output = CliOutput;

TEST(Cli, GamesListsEveryRow) {
    Output o = runCli({"games"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.err.empty());
    EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 113);
    EXPECT_EQ(o.out.substr(0, o.out.find('\n') + 1), "0\t506\tSalt Marsh\t11\t0x0\n");
    EXPECT_NE(o.out.find("\n37\t841\tFifteens\t18\t0xc000\n"), std::string::npos);
    EXPECT_NE(o.out.find("\n112\t923\tSultan\t19\t0x46\n"), std::string::npos);
}

TEST(Cli, DealPrintsTheTable) {
    Output o = runCli({"deal", "827", "0"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.rfind("{\"game\":827,\"row\":48,\"name\":\"Klondike\",\"number\":0,\"deckSize\":52,"
                          "\"baseRank\":0,\"redealsLeft\":2,\"cardWidth\":64,\"cardHeight\":80,\"fanStep\":16,"
                          "\"piles\":[{\"x\":181,\"y\":8,\"count\":0,\"cards\":[]},",
                          0),
              0u);
    EXPECT_NE(o.out.find("{\"x\":76,\"y\":94,\"count\":1,\"cards\":[[21,0]]}"), std::string::npos);
    EXPECT_EQ(o.out.back(), '\n');
    Output u = runCli({"deal", "827", "4294967295", "--unlimit"});
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_NE(u.out.find("\"number\":4294967295,"), std::string::npos);
    EXPECT_NE(u.out.find("\"redealsLeft\":-1,"), std::string::npos);
}

TEST(Cli, BadInputIsOneLineOnStderrAndStatusTwo) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {},
             {"shuffle"},
             {"deal"},
             {"deal", "827"},
             {"deal", "999", "1"},
             {"deal", "abc", "1"},
             {"deal", "827", "4294967296"},
             {"deal", "827", "-1"},
             {"deal", "827", "+5"},
             {"deal", "827", "1.5"},
             {"deal", "827", " 1"},
             {"deal", "827", "1", "2"},
             {"deal", "827", "1", "--fast"},
             {"games", "extra"},
         }) {
        Output o = runCli(args);
        std::string shown;
        for (auto& a : args) shown += a + " ";
        EXPECT_EQ(o.status, 2) << shown;
        EXPECT_TRUE(o.out.empty()) << shown;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << shown << o.err;
    }
}

}  // namespace
}  // namespace korvat::test

#include <QImage>

namespace korvat::test {
namespace {

TEST(CliRender, WritesTheTableAndAFrameOfAGlide) {
    const std::string table = ::testing::TempDir() + "korvat-render-table.png";
    Output o = runCli({"render", "827", "0", table, "click:12"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(o.out.empty());
    QImage image(QString::fromStdString(table));
    ASSERT_EQ(image.width(), 640);
    ASSERT_EQ(image.height(), 480);
    // The stock (pile 12) at (251, 352) shows a card back, the waste (321, 352) the dealt jack.
    const QRgb stock = image.pixel(251 + 32, 352 + 40);
    const QRgb waste = image.pixel(321 + 20, 352 + 30);
    EXPECT_NE(stock, waste);

    // Half way through the glide of the next card the card is between the piles.
    const std::string frame = ::testing::TempDir() + "korvat-render-frame.png";
    o = runCli({"render", "827", "0", frame, "--frame", "32", "--pref", "Move=2", "click:12"});
    ASSERT_EQ(o.status, 0) << o.err;
    QImage mid(QString::fromStdString(frame));
    ASSERT_EQ(mid.width(), 640);
    EXPECT_NE(mid.pixel(286 + 32, 352 + 40), image.pixel(286 + 32, 352 + 40)) << "the card in flight";

    o = runCli({"render", "827", "0", frame, "--frame", "999", "click:12"});
    EXPECT_EQ(o.status, 2);
    o = runCli({"render", "827", "0"});
    EXPECT_EQ(o.status, 2);
    o = runCli({"render", "827", "0", "/nonexistent-folder/x.png"});
    EXPECT_EQ(o.status, 1);
    EXPECT_FALSE(o.err.empty());
}

}  // namespace
}  // namespace korvat::test
