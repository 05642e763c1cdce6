// The right button's rules explanation: every sentence, its order, the
// caption, the darkened reserves and the repaints, and the same through
// korvat-cli play.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "shell/rules_text.h"
#include "test_support.h"

namespace korvat::test {
namespace {

constexpr const char* kGameWide = "SPECIAL INFO ON THIS GAME";
constexpr const char* kStock = "THIS IS A STOCK";
constexpr const char* kFoundation = "THIS IS A FOUNDATION";
constexpr const char* kTableau = "THIS IS A TABLEAU";
constexpr const char* kReserve = "THIS IS A RESERVE";
constexpr const char* kWaste = "THIS IS A WASTE PILE";

// The flag sentences in the order the explanation gives them.
struct FlagSentence {
    uint32_t flag;
    const char* text;
    const char* caption;  // null: the caption stays as it was
    bool darkens;
};
const FlagSentence kFlagSentences[] = {
    {PileFlags::sortAscending, "This pile will be sorted in ascending order.\n", nullptr, false},
    {PileFlags::sortDescending, "This pile will be sorted in descending order.\n", nullptr, false},
    {PileFlags::belowWasteTop,
     "Only cards with the same suit and lower rank, than the last card in any other waste pile, can be played here.\n",
     kFoundation, false},
    {PileFlags::kingsOrBelowWasteTop,
     "Only kings, or cards with the same suit and lower rank, than the last card in any other waste pile, can be "
     "played here.\n",
     kFoundation, false},
    {PileFlags::acesOrBelowWasteTop,
     "Only aces, or cards with the same suit and lower rank, than the last card in any other waste pile, can be "
     "played here.\n",
     kFoundation, false},
    {PileFlags::rankOfPileAbove,
     "Any card of the same rank as any card in the pile immediatly above it can be played here.\n", kTableau, false},
    {PileFlags::fillsSpaces, "This pile automatically fills spaces in tableaus.\n", kStock, false},
    {PileFlags::foundationOnly, "Cards in this pile can only be played to a foundation.\n", kTableau, false},
    {PileFlags::reserve, "Empty this pile for more play options.\n", kReserve, false},
    {PileFlags::waste, "This pile will be dealt a card when the stock is selected.\n", kWaste, false},
    {PileFlags::autoFillFromStock, "Empty spaces are automatically filled by the stock.\n", kTableau, false},
    {PileFlags::waitReservesToFillSpace,
     "All darkened piles must be empty before playing cards to spaces in this pile.\n", kTableau, true},
    {PileFlags::waitReservesToPlay, "All darkened piles must be empty before playing cards to this pile.\n",
     kTableau, true},
    {PileFlags::waitReservesAlways, "All darkened piles must be empty before playing cards to this pile.\n",
     kTableau, true},
    {PileFlags::waitReservesToDeal, "All darkened piles must be empty before dealing cards from this pile.\n", kStock,
     true},
    {PileFlags::waitReservesToTake, "All darkened piles must be empty before taking cards from this pile.\n",
     kReserve, true},
    {PileFlags::stock, "This pile deals a card to waste piles, reserves or tableaus.\n", kStock, false},
    {PileFlags::autoplaySuite, "If an A-K suite is found, it is autoplayed to a foundation.\n", kTableau, false},
    {PileFlags::autoplayStraight, "If an A-K straight is found, it is autoplayed to a foundation.\n", kTableau,
     false},
    {PileFlags::groupable, "This card can be grouped with others.\n", kTableau, false},
    {PileFlags::anySingleCard, "Any single card can be removed from this pile.\n", kReserve, false},
    {PileFlags::foundation, "Complete this pile to win the game.\n", kFoundation, false},
};

// The game-wide sentences in their order: the flag word's bits.
const std::pair<uint32_t, const char*> kGameSentences[] = {
    {0x100, "Discard pairs of cards of the same rank.\n"},
    {0x200, "Discard pairs of cards that total ten.\n"},
    {0x400, "Discard pairs of cards that total eleven.\n"},
    {0x800, "Discard pairs of cards that total thirteen.  Jacks equal eleven and queens equal twelve.\n"},
    {0x1000,
     "Discard pairs of cards that total fourteen.  Jacks equal eleven, queens equal twelve and kings equal "
     "thirteen.\n"},
    {0x2000, "Discard face cards in triplets.  One jack, one queen and one king.\n"},
    {0x4000, "Discard tens and higher in quartets of the same rank.\n"},
    {0x8000, "Discard nines and lower in groups that add up to fifteen.\n"},
    {0x10000, "Discard kings singly.\n"},
    {0x1, "There is one redeal allowed.\n"},
    {0x2, "There are two redeals allowed.\n"},
    {0x20, "Aces are high.\n"},
    {0x40, "Queens are high.\n"},
    {0x80, "A random rank will be high in this game.\n"},
};

// What the table looked like at each repaint.
std::vector<int> repaintsDarkened;

class Rules : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        repaintsDarkened.clear();
        drawingHooks.composeAndPresent = [] { repaintsDarkened.push_back(table.darkenReserves); };
    }
    void TearDown() override {
        drawingHooks.composeAndPresent = nullptr;
        TableTest::TearDown();
    }
    // A pile that says nothing but the count line: no build, no removal, no flags.
    Pile& silentPile(int index) {
        Pile& p = pile(index);
        p.rankBuild = RankBuild::None;
        p.suitBuild = SuitBuild::None;
        p.removal = Removal::Nothing;
        p.sizeLimit = 0;
        p.flags = 0;
        return p;
    }
    // Explains and returns the one box shown.
    RecordedMessage explain(Pile* p) {
        headless.messages.clear();
        explainRules(p);
        EXPECT_EQ(headless.messages.size(), 1u);
        return headless.messages.empty() ? RecordedMessage{} : headless.messages.back();
    }
};

TEST_F(Rules, KlondikeFoundationTableauAndStockAsDealt) {
    deal(827, 0);
    const RecordedMessage foundation = explain(&pile(0));
    EXPECT_EQ(foundation.caption, kFoundation);
    EXPECT_EQ(foundation.text,
              "Build up in the same suit.\n\nComplete this pile to win the game.\n\nThis pile contains 0 card(s).");
    EXPECT_EQ(foundation.style, Mb::Ok | Mb::IconInformation);

    const RecordedMessage tableau = explain(&pile(4));
    EXPECT_EQ(tableau.caption, kGameWide) << "toFoundation has no sentence and no caption";
    EXPECT_EQ(tableau.text,
              "Build down in the opposite color.\n\n"
              "Only the top card or built group of cards are available for play.\n"
              "\nThis pile contains 1 card(s).");

    const std::string dealsToWaste = "This pile deals a card to waste piles, reserves or tableaus.\n";
    const std::string count = "\nThis pile contains 24 card(s).";
    prefs.Three = -1;
    const RecordedMessage stock = explain(&pile(12));
    EXPECT_EQ(stock.caption, kStock);
    EXPECT_EQ(stock.text, "This pile can be redealt 2 time(s).\nThis pile will deal three cards at a time.\n" +
                              dealsToWaste + count);
    prefs.Three = 0;
    EXPECT_EQ(explain(&pile(12)).text, "This pile can be redealt 2 time(s).\n" + dealsToWaste + count);
    table.redealsLeft = 0;  // both redeals used
    EXPECT_EQ(explain(&pile(12)).text, dealsToWaste + count);
    prefs.Unlimit = -1;  // the allowance no longer counts
    EXPECT_EQ(explain(&pile(12)).text, "This pile has unlimited redeals.\n" + dealsToWaste + count);
    prefs.Unlimit = 0;
    table.redealsLeft = -1;
    EXPECT_EQ(explain(&pile(12)).text, "This pile has unlimited redeals.\n" + dealsToWaste + count);
    table.redealsLeft = 1;
    EXPECT_EQ(explain(&pile(12)).text, "This pile can be redealt 1 time(s).\n" + dealsToWaste + count);
}

TEST_F(Rules, TheEmptyTableExplainsTheGameAndAGameWithoutFlagsShowsNothing) {
    deal(827, 0);
    RecordedMessage game = explain(nullptr);
    EXPECT_EQ(game.caption, kGameWide);
    EXPECT_EQ(game.text, "There are two redeals allowed.\n");
    prefs.Unlimit = -1;
    deal(827, 0);
    EXPECT_EQ(explain(nullptr).text, "There are two redeals allowed.\n") << "the catalogue's flags, as they are";

    deal(827, 0);  // every flag alone, then all of them in order
    std::string all;
    for (const auto& [flag, text] : kGameSentences) {
        currentGame->ruleFlags = flag;
        game = explain(nullptr);
        EXPECT_EQ(game.text, text);
        EXPECT_EQ(game.caption, kGameWide);
        all += text;
    }
    currentGame->ruleFlags = 0x1FFFF;
    EXPECT_EQ(explain(nullptr).text, all);

    currentGame->ruleFlags = GameRuleFlags::twoDecks | GameRuleFlags::smallCards;  // no sentence of their own
    headless.messages.clear();
    repaintsDarkened.clear();
    explainRules(nullptr);
    EXPECT_TRUE(headless.messages.empty());
    EXPECT_EQ(repaintsDarkened, std::vector<int>{0}) << "the table is repainted all the same";
}

TEST_F(Rules, EverySentenceOfAPileWithItsCaption) {
    emptyTable(827);
    Pile& p = silentPile(5);
    const std::string empty = "\nThis pile contains 0 card(s).";
    EXPECT_EQ(explain(&p).text, empty);
    EXPECT_EQ(explain(&p).caption, kGameWide);

    const std::pair<int, const char*> ranks[] = {{0, "Build up "},          {1, "Build down "},
                                                 {2, "Build by twos up "},  {3, "Build by twos down "},
                                                 {4, "Build up or down "},  {-2, "Build any card "},
                                                 {-1, ""},                  {5, ""}};
    for (auto [code, text] : ranks) {
        p.rankBuild = code;
        EXPECT_EQ(explain(&p).text, text + empty) << code;
    }
    p.rankBuild = RankBuild::None;
    const std::pair<int, const char*> suits[] = {{0, "in the same color.\n\n"},  {1, "in the opposite color.\n\n"},
                                                 {2, "in the same suit.\n\n"},   {3, "in a different suit.\n\n"},
                                                 {-2, "in any suit.\n\n"},       {-1, ""},
                                                 {4, ""}};
    for (auto [code, text] : suits) {
        p.suitBuild = code;
        EXPECT_EQ(explain(&p).text, text + empty) << code;
    }
    p.suitBuild = SuitBuild::None;
    const char* const run = "Only the top card or built group of cards are available for play.\n";
    const std::pair<int, const char*> removals[] = {
        {0, run}, {1, run}, {2, run}, {3, run}, {-2, run}, {4, "Only the top card is available for play.\n"},
        {5, "Any face up card and all below it are available for play.\n"}, {-1, ""}, {6, ""}};
    for (auto [code, text] : removals) {
        p.removal = code;
        EXPECT_EQ(explain(&p).text, text + empty) << code;
    }
    p.removal = Removal::Nothing;
    p.sizeLimit = 13;
    EXPECT_EQ(explain(&p).text, "This pile can only contain 13 card(s) at a time.\n" + empty);
    p.sizeLimit = 0;

    for (const FlagSentence& s : kFlagSentences) {
        p.flags = s.flag;
        const RecordedMessage m = explain(&p);
        EXPECT_EQ(m.text, s.text + empty) << std::hex << s.flag;
        EXPECT_EQ(m.caption, s.caption ? s.caption : kGameWide) << std::hex << s.flag;
    }
    // Stock flags say nothing unless their preference or allowance speaks.
    p.flags = PileFlags::dealThree | PileFlags::redealable;
    table.redealsLeft = 0;
    EXPECT_EQ(explain(&p).text, empty);
    EXPECT_EQ(explain(&p).caption, kGameWide);
}

TEST_F(Rules, EverythingAtOnceInOrderAndTheLastCaptionWins) {
    emptyTable(827);
    Pile& p = pile(5);
    put(p, 0);
    put(p, 5);
    p.rankBuild = RankBuild::UpOrDown;
    p.suitBuild = SuitBuild::DifferentSuit;
    p.removal = Removal::FaceUpAndAbove;
    p.sizeLimit = 7;
    p.flags = PileFlags::redealable | PileFlags::dealThree;
    table.redealsLeft = 1;
    prefs.Three = -1;
    std::string expected =
        "Build up or down in a different suit.\n\nAny face up card and all below it are available for play.\n"
        "This pile can only contain 7 card(s) at a time.\nThis pile can be redealt 1 time(s).\n"
        "This pile will deal three cards at a time.\n";
    for (const FlagSentence& s : kFlagSentences) {
        p.flags |= s.flag;
        expected += s.text;
    }
    expected += "\nThis pile contains 2 card(s).";
    RecordedMessage m = explain(&p);
    EXPECT_EQ(m.text, expected) << "nothing cut off, nothing out of order";
    EXPECT_EQ(m.caption, kFoundation);

    // Earlier captions give way to later ones.
    p.flags = PileFlags::stock | PileFlags::reserve;
    EXPECT_EQ(explain(&p).caption, kStock);
    p.flags = PileFlags::reserve | PileFlags::waste;
    EXPECT_EQ(explain(&p).caption, kWaste);
    p.flags = PileFlags::foundation | PileFlags::sortAscending;
    EXPECT_EQ(explain(&p).caption, kFoundation) << "an item without a caption changes nothing";
    p.flags = PileFlags::waitReservesToPlay | PileFlags::waitReservesAlways;
    EXPECT_EQ(explain(&p).text,
              "Build up or down in a different suit.\n\nAny face up card and all below it are available for play.\n"
              "This pile can only contain 7 card(s) at a time.\n"
              "All darkened piles must be empty before playing cards to this pile.\n"
              "All darkened piles must be empty before playing cards to this pile.\n"
              "\nThis pile contains 2 card(s).");
}

TEST_F(Rules, ReservesAreDarkWhileTheBoxIsUpAndOnlyThen) {
    emptyTable(827);
    static int darkWhileShown = -1;
    struct Watching : HeadlessPlatform {
        int messageBox(const char* text, const char* caption, unsigned style) override {
            darkWhileShown = table.darkenReserves;
            return HeadlessPlatform::messageBox(text, caption, style);
        }
    } watching;
    setPlatform(&watching);
    Pile& p = silentPile(5);
    for (const FlagSentence& s : kFlagSentences) {
        p.flags = s.flag;
        repaintsDarkened.clear();
        darkWhileShown = -1;
        explainRules(&p);
        EXPECT_EQ(darkWhileShown, s.darkens ? 1 : 0) << std::hex << s.flag;
        // A darkening sentence repaints the dark table before the box; the
        // table is repainted normally after it in every case.
        const std::vector<int> expected = s.darkens ? std::vector<int>{1, 0} : std::vector<int>{0};
        EXPECT_EQ(repaintsDarkened, expected) << std::hex << s.flag;
        EXPECT_EQ(table.darkenReserves, 0);
    }
    // A game-wide explanation never darkens.
    darkWhileShown = -1;
    explainRules(nullptr);
    EXPECT_EQ(darkWhileShown, 0);
    setPlatform(&headless);
}

// korvat-cli play with the right button: the explanation is one of the
// messages the run prints.
std::string cliPlay(std::vector<std::string> args) {
    resetLog();
    lastScore = 0;
    CliOutput run = runCli(args);
    const std::string& text = run.out;
    EXPECT_EQ(run.status, 0);
    const size_t at = text.find("\"messages\":");
    return at == std::string::npos ? "<none>" : text.substr(at, text.size() - at - 2);
}

TEST(RulesFromTheCli, TheRightButtonShowsTheExplanationAsAMessage) {
    // Klondike's stock lies at 251,352; nothing lies at 630,470.
    EXPECT_EQ(cliPlay({"play", "827", "0", "right:260,360"}),
              "\"messages\":[{\"caption\":\"THIS IS A STOCK\",\"text\":\"This pile can be redealt 2 time(s).\\n"
              "This pile deals a card to waste piles, reserves or tableaus.\\n\\nThis pile contains 24 card(s).\"}]");
    EXPECT_EQ(cliPlay({"play", "827", "0", "right:630,470"}),
              "\"messages\":[{\"caption\":\"SPECIAL INFO ON THIS GAME\",\"text\":\"There are two redeals allowed.\\n\"}]");
    EXPECT_EQ(cliPlay({"play", "827", "0", "--pref", "Right=1", "right:630,470"}), "\"messages\":[]");
    EXPECT_EQ(cliPlay({"play", "506", "0", "right:630,470"}), "\"messages\":[]") << "Salt Marsh has no game-wide rule";
}

}  // namespace
}  // namespace korvat::test
