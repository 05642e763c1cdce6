// korvat-cli: its listings, its survey and its handling of bad input.
#include <cstdio>
#include <string>

#include <unistd.h>

#include <algorithm>
#include <regex>

#include "cli/commands.h"
#include "solve/solver.h"
#include "store_test_support.h"
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
             {"survey", "--pref", "Three=-"},
             {"survey", "--pref", "Three"},
             {"survey", "--pref", "Move=9"},
             {"survey", "--games", "827,"},
             {"survey", "--games", "999"},
             {"survey", "--deals", "0"},
             {"survey", "--deals"},
             {"survey", "--first", "-1"},
             {"survey", "--first", "4294967295", "--deals", "2"},
             {"survey", "--threads", "4097"},
             {"survey", "--threads", "4096"},  // more than the cores
             {"solve", "827", "1", "--threads", "4096"},
             {"survey", "--max-states", "x"},
             {"survey", "--answer", "no"},
             {"survey", "827"},
             {"solve", "827", "0", "--max-ms", "0"},
             {"render-graph", "--log", "x", "99", "x.png"},
             {"render", "827", "0", "x.png", "--scale", "0.5"},
             {"render", "827", "0", "x.png", "--scale", "4.001"},
             {"render", "827", "0", "x.png", "--scale", "1."},
             {"render", "827", "0", "x.png", "--scale", ".5"},
             {"render", "827", "0", "x.png", "--scale", "1.2345"},
             {"render", "827", "0", "x.png", "--scale", "1,5"},
         }) {
        Output o = runCli(args);
        std::string shown;
        for (auto& a : args) shown += a + " ";
        EXPECT_EQ(o.status, 2) << shown;
        EXPECT_TRUE(o.out.empty()) << shown;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << shown << o.err;
    }
}

// Bad input changes no file: every action and option is checked before the
// deal is made and before the log is read or written.
TEST(Cli, BadInputChangesNoFileAndOutputThatFailsIsStatusOne) {
    ScratchFolder folder;
    const std::string log = folder.file("LOG.DAT"), game = folder.file("g.GAM");
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"play", "827", "777", "click:12", "bogus", "--log", log},
             {"play", "827", "777", "click:12", "click:13", "--log", log, "--save", game},
             {"play", "827", "777", "click:12", "discard:12,", "--log", log},
             {"play", "827", "777", "click:12", "move:12,0", "--log", log},
             {"play", "827", "777", "click:12", "move:9,30,0", "--log", log},  // found only in play
             {"play", "827", "777", "click:12", "--log", log, "--save", log},
             {"play", "827", "777", "click:12", "--log", log, "--save", folder.path() + "/./LOG.DAT"},
             {"play", "827", "777", "click:12", "--log", log, "--pref", "Move=9"},
         }) {
        Output o = runCli(args);
        EXPECT_EQ(o.status, 2) << args[4] << o.err;
        EXPECT_EQ(folder.names(), std::vector<std::string>{}) << args[4];
    }
    // A link to the log is the same file.
    ASSERT_EQ(runCli({"play", "827", "1", "click:12", "--log", log}).status, 0);
    ASSERT_EQ(::symlink(log.c_str(), game.c_str()), 0);
    const std::vector<uint8_t> before = fileBytes(log);
    EXPECT_EQ(runCli({"play", "827", "2", "click:12", "--log", log, "--save", game}).status, 2);
    EXPECT_EQ(fileBytes(log), before);

    // Output that cannot be written: status 1 and a word on standard error.
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::run({"play", "827", "1", "click:12"}, full, err), 1);
    EXPECT_EQ(cli::run({"games"}, full, err), 1);
    std::fclose(full);
    std::fclose(err);
}

// A survey counts, per game, the verdicts that solve gives each deal with
// the same limits and rule options, in each of its three forms.
TEST(Cli, SurveyCountsTheVerdictsOfSolve) {
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{}, {"--pref", "Three=-1", "--unlimit"}}) {
        std::vector<std::string> args{"survey", "--games", "827,838", "--deals", "4", "--first", "2",
                                      "--max-states", "3000", "--threads", "2"};
        args.insert(args.end(), options.begin(), options.end());
        std::string counts;  // "winnable unwinnable unknown" of each game, as solve finds them
        for (const char* id : {"827", "838"}) {
            int found[3] = {};
            for (int number = 2; number < 6; ++number) {
                std::vector<std::string> solve{"solve", id, std::to_string(number), "--max-states", "3000"};
                solve.insert(solve.end(), options.begin(), options.end());
                const Output o = runCli(solve);
                ASSERT_EQ(o.status, 0) << o.err;
                for (int v = 0; v < 3; ++v)
                    found[v] += o.out.rfind(std::string("{\"result\":\"") + solve::verdictName(solve::Verdict(v)) + "\"", 0) == 0;
            }
            counts += std::to_string(found[0]) + " " + std::to_string(found[1]) + " " + std::to_string(found[2]) + "\n";
        }
        const Output plain = runCli(args);
        ASSERT_EQ(plain.status, 0) << plain.err;
        std::regex row("\n(827|838) +(Klondike|Chessboard) +4 +(\\d+) +(\\d+) +(\\d+) +\\d+\\.\\d%");
        std::string shown;
        for (auto it = std::sregex_iterator(plain.out.begin(), plain.out.end(), row); it != std::sregex_iterator(); ++it)
            shown += (*it)[3].str() + " " + (*it)[4].str() + " " + (*it)[5].str() + "\n";
        EXPECT_EQ(shown, counts) << plain.out;
        EXPECT_EQ(plain.out.rfind("id    game                    deals winnable unwinnable unknown  winnable    95% "
                                  "interval    median       p99   states/s\n",
                                  0),
                  0u);
        EXPECT_EQ(std::count(plain.out.begin(), plain.out.end(), '\n'), 3);

        args.push_back("--json");
        const Output json = runCli(args);
        ASSERT_EQ(json.status, 0) << json.err;
        std::regex entry("\"deals\":4,\"winnable\":(\\d+),\"unwinnable\":(\\d+),\"unknown\":(\\d+),");
        shown.clear();
        for (auto it = std::sregex_iterator(json.out.begin(), json.out.end(), entry); it != std::sregex_iterator(); ++it)
            shown += (*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str() + "\n";
        EXPECT_EQ(shown, counts) << json.out;
        EXPECT_EQ(json.out.rfind("[{\"game\":827,\"name\":\"Klondike\",", 0), 0u) << json.out;

        args.back() = "--markdown";
        const Output markdown = runCli(args);
        ASSERT_EQ(markdown.status, 0) << markdown.err;
        EXPECT_EQ(std::count(markdown.out.begin(), markdown.out.end(), '\n'), 4);
        EXPECT_NE(markdown.out.find("\n| 838 | Chessboard | 4 | "), std::string::npos) << markdown.out;
    }
}

TEST(Cli, MessagesStayOnOneLineAndJsonIsUtf8) {
    Output o = runCli({"play", "827", "1", "click:1\n2\x1b[31m"});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("'click:1\\n2\\x1b[31m'"), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1);

    // A refused saved game's message and a name in Latin-1.
    ScratchFolder folder;
    const std::string odd = folder.file("caf\xe9\nx.GAM");
    putFile(odd, {'<', 'K', 'O', 'R', 'V', 'A', 'T', '>', 1});
    o = runCli({"load", odd});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    o = runCli({"play", "827", "1", "click:12", "--save", odd + "/no/x.GAM"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("caf\\u00e9\\nx.GAM"), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("\xe9"), std::string::npos);
    o = runCli({"play", "827", "1", "click:12", "--save", folder.file("\xc3\xa9t\xc3\xa9/x.GAM")});
    EXPECT_NE(o.out.find("\xc3\xa9t\xc3\xa9"), std::string::npos) << "UTF-8 stays as it is";
}

TEST(Cli, DiscardPressesTheTopCardOfEachPileInTurn) {
    // Pairing games take their groups by presses on the top cards.
    for (const auto& [id, piles] : std::vector<std::pair<std::string, std::string>>{
             {"841", "0,1,2,3,4,5,6,7,8"}, {"842", "3,0,11,4"}}) {
        std::vector<std::string> clicks{"play", id, "5"}, discard{"play", id, "5", "discard:" + piles};
        for (size_t at = 0; at <= piles.size(); at = piles.find(',', at) + 1) {
            clicks.push_back("click:" + piles.substr(at, piles.find(',', at) - at));
            if (piles.find(',', at) == std::string::npos) break;
        }
        Output a = runCli(clicks), b = runCli(discard);
        ASSERT_EQ(a.status, 0) << a.err;
        EXPECT_EQ(a.out, b.out) << id;
    }
    EXPECT_EQ(runCli({"play", "833", "5", "discard:0,99"}).status, 2);
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
