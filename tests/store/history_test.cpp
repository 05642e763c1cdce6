// The history of the deals played, end to end: deals played and won at the
// table become rows and figures; two programs writing at once lose nothing;
// a locked history waits and a damaged one is reported and kept; a game log
// is taken in once. And the survey's odds that the game chooser shows.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "model/gamelog.h"
#include "model/score.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "play/stock.h"
#include "shell/commands.h"
#include "shell/game_odds.h"
#include "shell/history_recorder.h"
#include "store/history.h"
#include "store/history_stats.h"
#include "store/logfile.h"
#include "store/persistence.h"
#include "store_test_support.h"
#include "test_support.h"

namespace korvat::test {
namespace {

using historyRecorder::Mode;

class History : public TableTest {
protected:
    ScratchFolder folder;
    std::string path;
    static int64_t now;
    int64_t (*systemClock)() = nullptr;

    void SetUp() override {
        TableTest::SetUp();
        path = folder.file("history.sqlite");
        now = 1'700'000'000'000;
        systemClock = historyRecorder::wallClock;
        historyRecorder::wallClock = [] { return now; };
    }
    void TearDown() override {
        historyRecorder::end();
        historyRecorder::wallClock = systemClock;
        TableTest::TearDown();
    }
    void pass(int seconds) {
        headless.clock += static_cast<uint32_t>(seconds) * 1000;
        now += seconds * 1000;
    }
    // A deal with one move in it, left unwon when the next deal is dealt.
    void play(int id, uint32_t number, int seconds = 10) {
        deal(id, number);
        recordMove(pile(1), pile(0), 0);
        pass(seconds);
    }
    // A deal won after `seconds` with `moves` moves (at least two): every
    // card on the foundations but one, which the last move brings home.
    void win(int id, uint32_t number, int seconds, int moves = 2) {
        deal(id, number);
        winHere(seconds, moves);
    }
    void winHere(int seconds, int moves) {
        for (Pile* p = currentGame->layout; p; p = p->next) {
            p->bottom = p->top = nullptr;
            layoutPile(*p);
        }
        nextSlot = 0;
        std::vector<Pile*> homes;
        Pile* other = nullptr;
        for (Pile* p = currentGame->layout; p; p = p->next)
            (p->flags & PileFlags::foundation ? homes.push_back(p) : void(other = other ? other : p));
        ASSERT_FALSE(homes.empty());
        ASSERT_NE(other, nullptr);
        for (int i = 0; i < table.deckSize - 1; ++i) put(*homes[static_cast<size_t>(i) % homes.size()], i % 52);
        put(*other, 51);
        for (int i = 1; i < moves; ++i) recordMove(*other, *other, 0);
        pass(seconds);
        moveCard(*other, *other->top, *homes[0], 0);
        lastScore = 0;
        scoreTick();
        ASSERT_EQ(table.won, 1);
    }
    std::vector<history::DealRow> rows() {
        history::Database db;
        std::string error;
        std::vector<history::DealRow> out;
        EXPECT_EQ(db.open(path, 1000, error), history::Outcome::Done) << error;
        EXPECT_TRUE(db.readRows(out, error)) << error;
        return out;
    }
    history::Statistics statistics() {
        history::Database db;
        std::string error;
        std::vector<history::Result> results;
        EXPECT_EQ(db.open(path, 1000, error), history::Outcome::Done) << error;
        EXPECT_TRUE(db.readResults(results, error)) << error;
        return history::computeStatistics(results);
    }
};
int64_t History::now = 0;

TEST_F(History, PlayedAndWonDealsGiveTheirFigures) {
    historyRecorder::begin(path, Mode::Batch, false);
    // Klondike (827) and Forty Thieves (904), in this order: won, lost, lost,
    // won, won, won.
    win(827, 1, 65, 4);
    play(827, 2);
    commandRestart();  // the same deal goes on in its row
    recordMove(pile(1), pile(0), 0);
    play(904, 3);
    win(904, 4, 30);
    win(827, 5, 50, 3);
    deal(827, 6);
    historyRecorder::helpUsed(historyRecorder::Help::Hint);  // before the first move
    moveCard(pile(12), *pile(12).top, pile(11), 0);  // from the stock
    commandUndo();
    winHere(70, 5);
    EXPECT_EQ(historyRecorder::pending(), 0) << "each finished deal is written at once";
    EXPECT_TRUE(historyRecorder::end());

    const std::vector<history::DealRow> r = rows();
    ASSERT_EQ(r.size(), 6u);
    const uint32_t numbers[] = {1, 2, 3, 4, 5, 6};
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].number, numbers[i]);
        EXPECT_EQ(r[i].game, i == 2 || i == 3 ? 904 : 827);
        EXPECT_EQ(r[i].won, i != 1 && i != 2) << i;
        EXPECT_STREQ(r[i].finish, r[i].won ? history::Finish::Won : history::Finish::Left) << i;
        EXPECT_LT(r[i].started, r[i].ended) << i;
        EXPECT_EQ(r[i].three, 0);
        EXPECT_EQ(r[i].hint, i == 5 ? 1 : 0) << i;
        EXPECT_EQ(r[i].undo, i == 5 ? 1 : 0) << i;
        EXPECT_EQ(r[i].demo, 0) << i;
    }
    EXPECT_EQ(r[0].timeMs, 65000);
    EXPECT_EQ(r[0].moves, 4);
    EXPECT_EQ(r[5].moves, 5) << "the move taken back is not counted";
    EXPECT_EQ(r[5].timeMs, 70000) << "counted from the move after every move was taken back";
    EXPECT_EQ(r[1].moves, 1) << "counted from the restart, as the status bar counts";

    const history::Statistics s = statistics();
    const history::Figures& all = s.all;
    EXPECT_EQ(all.played, 6);
    EXPECT_EQ(all.won, 4);
    EXPECT_EQ(all.currentStreak, 3) << "across games";
    EXPECT_EQ(all.longestWinStreak, 3);
    EXPECT_EQ(all.longestLossStreak, 2);
    EXPECT_EQ(all.bestTimeMs, 30000);
    EXPECT_EQ(all.fewestMoves, 2);
    const history::Figures& klondike = s.of(827);
    EXPECT_EQ(klondike.played, 4);
    EXPECT_EQ(klondike.won, 3);
    EXPECT_EQ(klondike.currentStreak, 2);
    EXPECT_EQ(klondike.longestWinStreak, 2);
    EXPECT_EQ(klondike.longestLossStreak, 1);
    EXPECT_EQ(klondike.bestTimeMs, 50000);
    EXPECT_EQ(klondike.averageTimeMs(), (65000 + 50000 + 70000) / 3);
    EXPECT_EQ(klondike.fewestMoves, 3);
    const history::Figures& thieves = s.of(904);
    EXPECT_EQ(thieves.played, 2);
    EXPECT_EQ(thieves.currentStreak, 1);
    EXPECT_EQ(thieves.longestLossStreak, 1);
    EXPECT_EQ(s.of(901).played, 0);
    EXPECT_EQ(history::figuresJson(s.of(901)),
              "{\"played\":0,\"won\":0,\"winPercent\":0.0,\"currentStreak\":0,\"longestWinStreak\":0,"
              "\"longestLossStreak\":0,\"bestTimeMs\":null,\"averageTimeMs\":null,\"fewestMoves\":null}");
    EXPECT_EQ(history::figureLines(klondike)[2].value, "75.0%");
    EXPECT_EQ(history::figureLines(thieves)[3].value, "1 won");
    EXPECT_EQ(history::figureLines(klondike)[6].value, "0:50");
    EXPECT_TRUE(headless.messages.empty());
}

TEST_F(History, TwoProgramsWritingAtOnceLoseNothing) {
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            historyRecorder::begin(path, Mode::Batch, false);
            for (uint32_t i = 0; i < 100; ++i) play(827, static_cast<uint32_t>(c) * 1000 + i, 1);
            const bool whole = historyRecorder::end();
            _exit(whole && headless.messages.empty() ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<uint32_t> numbers;
    for (const history::DealRow& r : rows()) numbers.insert(r.number);
    EXPECT_EQ(numbers.size(), 200u);
}

TEST_F(History, ALockedHistoryHoldsUpNoMoveAndIsWrittenOnceFree) {
    historyRecorder::begin(path, Mode::Batch, false);
    historyRecorder::end();  // made
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    historyRecorder::begin(path, Mode::Window, false);
    historyRecorder::tick();
    play(827, 1);
    deal(827, 2);  // the first deal is left
    for (int i = 0; i < 5; ++i) historyRecorder::tick();
    EXPECT_EQ(historyRecorder::pending(), 1) << "kept while the other program holds the lock";
    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    historyRecorder::tick();
    EXPECT_EQ(historyRecorder::pending(), 0);
    sqlite3_close(other);
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_TRUE(headless.messages.empty());
}

TEST_F(History, ADamagedHistoryIsReportedOnceAndKeptAndTheLogGoesOn) {
    const std::vector<uint8_t> damaged(4096, 0x5A);
    putFile(path, damaged);
    logFilePath = folder.file("LOG.DAT");
    logWritable = true;
    logChanged = noteLogChanged;
    historyRecorder::begin(path, Mode::Window, true);
    for (uint32_t n = 1; n <= 3; ++n) {
        play(827, n);
        historyRecorder::tick();
        writeLogIfChanged();
    }
    historyRecorder::end();
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].caption, "MODERATE ERROR");
    EXPECT_NE(headless.messages[0].text.find("could not be opened"), std::string::npos);
    EXPECT_NE(headless.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(fileBytes(path), damaged);
    GameLog disk{};
    std::string error;
    ASSERT_TRUE(readLogFile(logFilePath, disk, error)) << error;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(disk[static_cast<size_t>(i)].gameNumber, static_cast<uint32_t>(i + 1));
    logChanged = nullptr;
    logFilePath = "LOG.DAT";
    logWritable = false;
}

TEST_F(History, TheGameLogIsTakenInOnce) {
    gameLog[0] = {7, findGameRow(827), LogStatus::Completed, "won"};
    gameLog[1] = {8, findGameRow(827), LogStatus::Started, ""};
    gameLog[2] = {9, findGameRow(901), LogStatus::Started, ""};
    // A log that could not be read is not taken in, and does not count as taken.
    historyRecorder::begin(path, Mode::Batch, false);
    historyRecorder::end();
    historyRecorder::begin(path, Mode::Window, true);
    historyRecorder::tick();
    play(901, 10);
    historyRecorder::end();
    historyRecorder::begin(path, Mode::Batch, true);
    historyRecorder::end();

    const std::vector<history::DealRow> r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].number, 7u);
    EXPECT_TRUE(r[0].won);
    EXPECT_EQ(r[0].started, -1);
    EXPECT_EQ(r[0].timeMs, -1);
    EXPECT_EQ(r[2].game, 901);
    EXPECT_FALSE(r[2].won);
    EXPECT_EQ(r[3].number, 10u);
    const history::Statistics s = statistics();
    EXPECT_EQ(s.of(827).played, 2);
    EXPECT_EQ(s.of(827).won, 1);
    EXPECT_EQ(s.of(827).bestTimeMs, -1) << "an imported deal has no time";
    EXPECT_EQ(s.all.currentStreak, -3);
}

TEST_F(History, KorvatCliRecordsAndPrintsTheFigures) {
    CliOutput o = runCli({"stats", "--history", path, "--game", "827"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("Klondike (827)\nPlayed                  0\n"), std::string::npos) << o.out;
    EXPECT_FALSE(fileExists(path)) << "asking makes no history";

    o = runCli({"play", "827", "1", "--history", path, "click:12", "pageup", "click:12"});
    ASSERT_EQ(o.status, 0) << o.err;
    o = runCli({"stats", "--history", path, "--json"});
    EXPECT_EQ(o.out,
              "{\"game\":null,\"played\":2,\"won\":0,\"winPercent\":0.0,\"currentStreak\":-2,\"longestWinStreak\":0,"
              "\"longestLossStreak\":2,\"bestTimeMs\":null,\"averageTimeMs\":null,\"fewestMoves\":null}\n");
    EXPECT_EQ(runCli({"stats", "--game", "901", "--history", path, "--json"}).out.substr(0, 38),
              "{\"game\":901,\"name\":\"Spider\",\"played\":0");

    // A damaged history: said in the messages, status 1, the log written as ever.
    const std::string damaged = folder.file("damaged.sqlite"), log = folder.file("LOG.DAT");
    putFile(damaged, std::vector<uint8_t>(2048, 1));
    o = runCli({"play", "827", "3", "--history", damaged, "--log", log, "click:12"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("could not be opened"), std::string::npos) << o.out;
    EXPECT_EQ(fileBytes(damaged), std::vector<uint8_t>(2048, 1));
    GameLog disk{};
    std::string error;
    ASSERT_TRUE(readLogFile(log, disk, error)) << error;
    EXPECT_EQ(disk[0].gameNumber, 3u);
    EXPECT_EQ(runCli({"stats", "--history", damaged}).status, 1);
    EXPECT_EQ(runCli({"play", "827", "3", "--history", log, "--log", log}).status, 2);
}

TEST(GameOdds, EveryGameHasTheSurveysOdds) {
    for (const GameEntry& g : gameCatalogue()) {
        const GameOdds* o = oddsOf(g.commandId);
        ASSERT_NE(o, nullptr) << g.name;
        EXPECT_EQ(o->winnable + o->unwinnable + o->unknown, o->deals) << g.name;
        EXPECT_LE(o->lowTenths, o->highTenths) << g.name;
    }
    EXPECT_NE(oddsText(827).find(" deals proved winnable (95% interval "), std::string::npos);
    EXPECT_EQ(oddsText(1), "Not surveyed");
}

}  // namespace
}  // namespace korvat::test
