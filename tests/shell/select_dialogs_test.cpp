// "Select Game" and "Select logged game" driven through their dialog
// procedures, and the commands that open them.
#include <cstring>
#include <string>

#include "model/gamelog.h"
#include "play/game.h"
#include "play/pointer.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "shell/select_dialogs.h"
#include "test_support.h"

namespace korvat::test {
namespace {

int dialogsOpened = 0;

// The cards of every pile, bottom to top, with their face-down states.
std::vector<std::vector<int>> tableCards() {
    std::vector<std::vector<int>> cards;
    for (Pile* p = currentGame->layout; p; p = p->next) {
        std::vector<int> pile;
        for (Card* c = p->bottom; c; c = c->above) pile.push_back(c->value * 4 + c->faceDown);
        cards.push_back(pile);
    }
    return cards;
}

// The table of a deal as dealt afresh (it deals it: take it before setting up).
std::vector<std::vector<int>> freshDeal(int game, uint32_t number) {
    selectGame(game);
    startGame(number);
    return tableCards();
}

class SelectDialogs : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dialogsOpened = 0;
        shellHooks.openSelectGame = [] { ++dialogsOpened; };
        shellHooks.openLoggedGame = [] { ++dialogsOpened; };
        gameFileName.clear();
    }
    void TearDown() override {
        shellHooks.openSelectGame = nullptr;
        shellHooks.openLoggedGame = nullptr;
        gameFileName.clear();
        GameTest::TearDown();
    }
    // Deals from Klondike's stock: the table is no longer a fresh deal.
    void moveOnce() {
        Pile& stock = *pileAt(12);
        pressAt(stock.x + 5, stock.y + 5);
        ASSERT_GT(table.undoCount, 0);
    }
    SelectGameControls select;
    LoggedGameControls logged;
};

uint32_t okWith(SelectGameControls& select, const char* typed) {
    select.number = typed;
    EXPECT_EQ(selectGameDialog(select, DialogEvent::command(DialogId::Ok)), DialogResult::Close) << typed;
    return gameNumber;
}

TEST_F(SelectDialogs, SelectGameReadsTheTypedNumberAndDealsIt) {
    const auto deal12 = freshDeal(827, 12);
    deal(827, 77);
    gameFileName = "SAVED.GAM";
    EXPECT_EQ(selectGameDialog(select, DialogEvent::opening()), DialogResult::Stay);
    EXPECT_EQ(select.number, "77");

    EXPECT_EQ(okWith(select, "12abc"), 12u);
    EXPECT_EQ(tableCards(), deal12) << "the deal itself, not only its number";
    EXPECT_EQ(gameFileName, "") << "a dealt game is no saved game";
    EXPECT_EQ(okWith(select, ""), 0u);
    EXPECT_EQ(okWith(select, "99999999999"), 4294967295u) << "ten characters read, beyond the range";
    EXPECT_EQ(okWith(select, "-1"), 4294967295u);
    EXPECT_EQ(okWith(select, "4294967296"), 4294967295u);
    EXPECT_EQ(okWith(select, "4294967295"), 4294967295u);
    EXPECT_EQ(okWith(select, "  +31x7"), 31u);
    EXPECT_EQ(okWith(select, "\t-10"), 4294967286u);
    EXPECT_EQ(okWith(select, "123456789012"), 1234567890u) << "the eleventh character is never read";
    EXPECT_EQ(okWith(select, "- 5"), 0u) << "no digits right after the sign";
    EXPECT_EQ(okWith(select, "abc"), 0u);
}

TEST_F(SelectDialogs, UpAndDownDealAtOnceAndCancelKeepsTheLastDeal) {
    const auto deal0 = freshDeal(827, 0);
    const auto deal43 = freshDeal(827, 43);
    deal(827, 4294967295u);
    selectGameDialog(select, DialogEvent::opening());
    EXPECT_EQ(selectGameDialog(select, DialogEvent::command(DialogId::Up)), DialogResult::Stay);
    EXPECT_EQ(gameNumber, 0u);
    EXPECT_EQ(select.number, "0");
    EXPECT_EQ(tableCards(), deal0);
    EXPECT_EQ(selectGameDialog(select, DialogEvent::command(DialogId::Down)), DialogResult::Stay);
    EXPECT_EQ(gameNumber, 4294967295u);
    EXPECT_EQ(select.number, "4294967295");

    deal(827, 40);
    moveOnce();
    selectGameDialog(select, DialogEvent::opening());
    for (int i = 0; i < 3; ++i) selectGameDialog(select, DialogEvent::command(DialogId::Up));
    EXPECT_EQ(selectGameDialog(select, DialogEvent::command(DialogId::Cancel)), DialogResult::Close);
    EXPECT_EQ(gameNumber, 43u);
    EXPECT_EQ(table.undoCount, 0);
    EXPECT_EQ(tableCards(), deal43) << "the third deal stays on the table";

    // Nothing else does anything.
    const auto before = tableCards();
    select.number = "5";
    EXPECT_EQ(selectGameDialog(select, DialogEvent::command(DialogId::DealNumber)), DialogResult::Stay);
    EXPECT_EQ(selectGameDialog(select, DialogEvent::command(999)), DialogResult::Stay);
    EXPECT_EQ(selectGameDialog(select, DialogEvent::scroll(DialogId::LogScroll, ScrollRequest::PageLeft)),
              DialogResult::Stay);
    EXPECT_EQ(gameNumber, 43u);
    EXPECT_EQ(tableCards(), before);
}

TEST_F(SelectDialogs, SelectingFindsTheDealInTheLog) {
    deal(827, 12);
    const int entry = addLogEntry();
    deal(827, 3);
    EXPECT_EQ(table.logIndex, -1);
    selectGameDialog(select, DialogEvent::opening());
    okWith(select, "12");
    EXPECT_EQ(table.logIndex, entry);
    EXPECT_EQ(currentGame->commandId, 827) << "the game stays";
}

TEST_F(SelectDialogs, SelectCommandAsksFirstWhenPromptIsOn) {
    deal(827, 0);
    runCommand(Command::Select);
    EXPECT_EQ(dialogsOpened, 1);
    EXPECT_TRUE(headless.messages.empty());
    prefs.Prompt = -1;
    headless.answerYes = false;
    runCommand(Command::Select);
    EXPECT_EQ(dialogsOpened, 1);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].text, "Select new game?");
    EXPECT_EQ(headless.messages[0].caption, "ARE YOU SURE?");
    EXPECT_EQ(headless.messages[0].style, Mb::YesNo | Mb::IconQuestion);
    headless.answerYes = true;
    runCommand(Command::Select);
    EXPECT_EQ(dialogsOpened, 2);
}

// Klondike deals 5, 9 and 20 are logged, in that order, with deal 9
// completed; a Spider deal lies between them in the log.
class LoggedGame : public SelectDialogs {
protected:
    void SetUp() override {
        SelectDialogs::SetUp();
        logDeal(827, 5, "five");
        logDeal(901, 6, "spider");
        logDeal(827, 9, "nine")->status = LogStatus::Completed;
        logDeal(827, 20, "");
        deal(827, 0);
        table.logMatchCount = countLogEntries();
    }
    LogEntry* logDeal(int game, uint32_t number, const char* description) {
        deal(game, number);
        LogEntry& e = gameLog[static_cast<size_t>(addLogEntry())];
        std::strcpy(e.description, description);
        return &e;
    }
    DialogResult scroll(ScrollRequest request, int thumb = 0) {
        return loggedGameDialog(logged, DialogEvent::scroll(DialogId::LogScroll, request, thumb));
    }
    void expectShown(uint32_t number, const char* description, const char* completion, int cursor) {
        EXPECT_EQ(logged.number, std::to_string(number));
        EXPECT_EQ(logged.description, description);
        EXPECT_EQ(logged.completion, completion);
        EXPECT_EQ(logged.scroll.position, cursor);
        EXPECT_EQ(table.logCursor, cursor);
        EXPECT_EQ(gameNumber, number) << "the shown deal is on the table";
        EXPECT_EQ(table.logIndex, findLogEntry());
        EXPECT_EQ(std::string(gameLog[static_cast<size_t>(table.logIndex)].description), description);
    }
};

TEST_F(LoggedGame, OpeningOnAnUnloggedDealDealsTheFirstLoggedOne) {
    const auto deal5 = freshDeal(827, 5);
    deal(827, 0);
    EXPECT_EQ(table.logMatchCount, 3);
    gameFileName = "SAVED.GAM";
    EXPECT_EQ(loggedGameDialog(logged, DialogEvent::opening()), DialogResult::Stay);
    expectShown(5, "five", "Not completed", 0);
    EXPECT_EQ(logged.scroll.minimum, 0);
    EXPECT_EQ(logged.scroll.maximum, 2);
    EXPECT_EQ(tableCards(), deal5);
    EXPECT_EQ(gameFileName, "");
}

TEST_F(LoggedGame, OpeningOnALoggedDealLeavesItAsItIs) {
    deal(827, 9);
    gameFileName = "SAVED.GAM";
    const auto before = tableCards();
    loggedGameDialog(logged, DialogEvent::opening());
    expectShown(9, "nine", "Completed", 1);
    EXPECT_EQ(tableCards(), before);
    EXPECT_EQ(gameFileName, "SAVED.GAM") << "nothing was dealt";
}

TEST_F(LoggedGame, TheScrollBarWalksThroughTheLoggedDealsAndDealsEachOne) {
    const auto deal9 = freshDeal(827, 9);
    deal(827, 0);
    loggedGameDialog(logged, DialogEvent::opening());
    EXPECT_EQ(scroll(ScrollRequest::PageRight), DialogResult::Stay);
    expectShown(20, "", "Not completed", 2);
    scroll(ScrollRequest::LineRight);
    expectShown(20, "", "Not completed", 2);
    scroll(ScrollRequest::PageLeft);
    expectShown(5, "five", "Not completed", 0);
    scroll(ScrollRequest::LineLeft);
    expectShown(5, "five", "Not completed", 0);
    scroll(ScrollRequest::LineRight);
    expectShown(9, "nine", "Completed", 1);
    scroll(ScrollRequest::ThumbTrack, 2);
    expectShown(20, "", "Not completed", 2);
    scroll(ScrollRequest::ThumbTrack, 7);
    expectShown(20, "", "Not completed", 2);

    // Any request, even one that stays, deals the shown deal from its start.
    scroll(ScrollRequest::ThumbTrack, 1);
    ASSERT_EQ(gameNumber, 9u);
    for (ScrollRequest r : {ScrollRequest::ThumbPosition, ScrollRequest::EndScroll, ScrollRequest::Leftmost,
                            ScrollRequest::Rightmost}) {
        moveOnce();
        scroll(r);
        expectShown(9, "nine", "Completed", 1);
        EXPECT_EQ(table.undoCount, 0);
        EXPECT_EQ(tableCards(), deal9);
    }
    // Requests from elsewhere change nothing.
    EXPECT_EQ(loggedGameDialog(logged, DialogEvent::scroll(1600, ScrollRequest::PageLeft)), DialogResult::Stay);
    EXPECT_EQ(table.logCursor, 1);
}

TEST_F(LoggedGame, DescriptionsAreKeptWhileScrollingAndCutToFourteen) {
    loggedGameDialog(logged, DialogEvent::opening());
    logged.description = "first of three";
    scroll(ScrollRequest::PageRight);
    EXPECT_EQ(logged.description, "");
    logged.description = "ABCDEFGHIJKLMNO";  // fifteen
    scroll(ScrollRequest::PageLeft);
    expectShown(5, "first of three", "Not completed", 0);
    scroll(ScrollRequest::PageRight);
    expectShown(20, "ABCDEFGHIJKLMN", "Not completed", 2);
    logged.description = "last words, too long";
    EXPECT_EQ(loggedGameDialog(logged, DialogEvent::command(DialogId::Ok)), DialogResult::Close);
    const LogEntry& e = gameLog[static_cast<size_t>(nthLogEntry(2))];
    EXPECT_STREQ(e.description, "last words, to");
    EXPECT_EQ(e.description[15], '\0');
    EXPECT_STREQ(gameLog[1].description, "spider") << "another game's entry is untouched";
}

TEST_F(LoggedGame, OkEscapeAndTheCloseButtonCloseAndKeepTheDescription) {
    for (int closing : {DialogId::Ok, DialogId::Cancel}) {
        loggedGameDialog(logged, DialogEvent::opening());
        logged.description = closing == DialogId::Ok ? "typed" : "escaped";
        for (int id : {DialogId::Description, DialogId::LoggedNumber, 0})
            EXPECT_EQ(loggedGameDialog(logged, DialogEvent::command(id)), DialogResult::Stay) << id;
        EXPECT_EQ(loggedGameDialog(logged, DialogEvent::command(closing)), DialogResult::Close);
        EXPECT_STREQ(gameLog[0].description, logged.description.c_str());
    }
}

TEST_F(LoggedGame, DatabaseCommandCountsThisGamesDealsOrRefuses) {
    table.logMatchCount = 0;
    runCommand(Command::Database);
    EXPECT_EQ(table.logMatchCount, 3);
    EXPECT_EQ(dialogsOpened, 1);
    EXPECT_TRUE(headless.messages.empty()) << "no question is asked";

    selectGame(833);  // Aces Up: never played
    runCommand(Command::Database);
    EXPECT_EQ(table.logMatchCount, 0);
    EXPECT_EQ(dialogsOpened, 1);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].text, "No games of this type are in the database .");
    EXPECT_EQ(headless.messages[0].caption, "NONE YET.");
    EXPECT_EQ(headless.messages[0].style, Mb::Ok | Mb::IconStop);

    selectGame(901);
    runCommand(Command::Database);
    EXPECT_EQ(table.logMatchCount, 1);
    EXPECT_EQ(dialogsOpened, 2);
}

TEST_F(LoggedGame, WithNothingLoggedTheDialogClosesAsItOpens) {
    resetLog();
    table.logMatchCount = 0;
    const auto before = tableCards();
    EXPECT_EQ(loggedGameDialog(logged, DialogEvent::opening()), DialogResult::Close);
    EXPECT_EQ(tableCards(), before);
}

}  // namespace
}  // namespace korvat::test
