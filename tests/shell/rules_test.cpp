// The right button's rules explanation: every rule code of every pile put
// into words, nothing lost or cut off, the caption, the darkened reserves
// and the repaints, and the same through korvat-cli play.
#include <cstdio>
#include <map>
#include <set>
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

// Flags that say nothing of their own: the preferences and the redeals
// left speak for the stock's, the others are how the rules deal.
constexpr uint32_t kUnspokenFlags = PileFlags::dealThree | PileFlags::redealable | PileFlags::redealFaceDown |
                                    PileFlags::redealRefill | PileFlags::toFoundation | PileFlags::kingsToBottom |
                                    PileFlags::fourSuitsDiscard;

// A pile that says nothing: no build, no removal, no size limit, no flags.
Pile silent() {
    Pile p;
    p.rankBuild = RankBuild::None;
    p.suitBuild = SuitBuild::None;
    p.removal = Removal::Nothing;
    return p;
}

std::string words(const Pile& p) {
    static RulesText text;
    pileRules(p, {0, false, false, false}, text);
    return text.text;
}

// The words of each rule code of the pile alone, by the code: "rank -2",
// "suit 0", "removal 4", "size 13", "flag 256".
std::map<std::string, std::string> pieces(const Pile& pile) {
    std::map<std::string, std::string> out;
    Pile p = silent();
    p.rankBuild = pile.rankBuild;
    out["rank " + std::to_string(pile.rankBuild)] = words(p);
    p = silent();
    p.suitBuild = pile.suitBuild;
    out["suit " + std::to_string(pile.suitBuild)] = words(p);
    p = silent();
    p.removal = pile.removal;
    out["removal " + std::to_string(pile.removal)] = words(p);
    p = silent();
    p.sizeLimit = pile.sizeLimit;
    out["size " + std::to_string(pile.sizeLimit)] = words(p);
    for (uint32_t bit = 1; bit; bit <<= 1) {
        if (!(pile.flags & bit)) continue;
        p = silent();
        p.flags = bit;
        out["flag " + std::to_string(bit)] = words(p);
    }
    return out;
}

TEST(RulesWords, EveryCodeOfEveryPileIsSaidOnceAndDifferentCodesDifferently) {
    std::map<std::string, std::string> said;  // every code met: its words alone
    int piles = 0;
    uint32_t flags = 0;  // every flag a pile of the catalogue holds
    for (const GameEntry& game : gameCatalogue())
        for (int i = 0; i < game.pileCount; ++i, ++piles) {
            const Pile& pile = game.layout[i];
            flags |= pile.flags;
            SCOPED_TRACE(std::to_string(game.commandId) + " pile " + std::to_string(i));
            // The whole is its pieces, each once: nothing lost, nothing cut off.
            const std::string whole = words(pile);
            size_t sum = 0;
            for (const auto& [code, text] : pieces(pile)) {
                said[code] = text;
                sum += text.size();
                EXPECT_NE(whole.find(text), std::string::npos) << code;
            }
            EXPECT_EQ(whole.size(), sum);
        }
    EXPECT_GT(piles, 1000);
    // Every code a pile may hold, and the longest explanation, whole.
    Pile all = silent();
    for (int code = -2; code <= 5; ++code) {
        Pile p = silent();
        p.rankBuild = code;
        p.suitBuild = code;
        p.removal = code;
        p.sizeLimit = code + 2;
        for (const auto& piece : pieces(p)) said.insert(piece);
    }
    all.flags = flags & ~kUnspokenFlags;
    all.rankBuild = RankBuild::UpOrDown;
    all.suitBuild = SuitBuild::DifferentSuit;
    all.removal = Removal::FaceUpAndAbove;
    all.sizeLimit = 13;
    for (const auto& piece : pieces(all)) said.insert(piece);
    const std::string longest = words(all);
    size_t sum = 0;
    for (const auto& [code, text] : pieces(all)) sum += text.size();
    EXPECT_EQ(longest.size(), sum) << "the longest explanation is cut off";

    // Every code but None (and codes past the last) and every flag but the
    // unspoken ones has words; different codes have different words, but
    // for the runs a press may take, which share one sentence, and the two
    // waits before cards are played to a pile.
    std::map<std::string, std::set<std::string>> codesOf;
    for (const auto& [code, text] : said) {
        const bool spoken = code.rfind("flag ", 0) == 0 ? !(std::stoul(code.substr(5)) & kUnspokenFlags)
                            : code.rfind("size ", 0) == 0 ? code != "size 0"
                            : code.rfind("rank ", 0) == 0 ? code != "rank -1" && code != "rank 5"
                            : code.rfind("suit ", 0) == 0 ? code != "suit -1" && code != "suit 4" && code != "suit 5"
                                                           : code != "removal -1";
        EXPECT_EQ(text.empty(), !spoken) << code;
        if (spoken) codesOf[text].insert(code);
    }
    EXPECT_GT(said.size(), 50u);
    const std::set<std::string> runs = {"removal -2", "removal 0", "removal 1", "removal 2", "removal 3"};
    const std::set<std::string> waits = {"flag " + std::to_string(PileFlags::waitReservesToPlay),
                                         "flag " + std::to_string(PileFlags::waitReservesAlways)};
    for (const auto& [text, codes] : codesOf)
        if (codes.size() > 1) {
            EXPECT_TRUE(codes == runs || codes == waits) << text;
        }
}

TEST(RulesWords, EveryGameWideCodeIsSaidOnceInTheGameRules) {
    GameEntry game;
    RulesText text;
    std::set<std::string> seen;
    size_t sum = 0;
    for (uint32_t bit = 1; bit < 0x20000; bit <<= 1) {
        game.ruleFlags = bit;
        gameRules(game, text);
        const std::string said = text.text;
        EXPECT_EQ(text.caption, std::string(kGameWide));
        // The decks and the card size say nothing.
        const bool spoken = !(bit & (GameRuleFlags::twoDecks | GameRuleFlags::fourDecks | GameRuleFlags::smallCards));
        EXPECT_EQ(said.empty(), !spoken) << std::hex << bit;
        if (said.empty()) continue;
        EXPECT_TRUE(seen.insert(said).second) << said;
        sum += said.size();
    }
    game.ruleFlags = 0x1FFFF;
    gameRules(game, text);
    EXPECT_EQ(std::string(text.text).size(), sum) << "nothing lost, nothing cut off";
    for (const std::string& said : seen) EXPECT_NE(std::string(text.text).find(said), std::string::npos);
}

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
    for (uint32_t flag = 1; flag; flag <<= 1) {
        p.flags = flag;
        // A pile whose words speak of darkened piles darkens them.
        const bool darkens = words(p).find("darkened") != std::string::npos;
        repaintsDarkened.clear();
        darkWhileShown = -1;
        explainRules(&p);
        EXPECT_EQ(darkWhileShown, darkens ? 1 : 0) << std::hex << flag;
        // A darkening sentence repaints the dark table before the box; the
        // table is repainted normally after it in every case.
        const std::vector<int> expected = darkens ? std::vector<int>{1, 0} : std::vector<int>{0};
        EXPECT_EQ(repaintsDarkened, expected) << std::hex << flag;
        EXPECT_EQ(table.darkenReserves, 0);
    }
    // A game-wide explanation never darkens; with no words it shows no box
    // but the table is repainted all the same.
    darkWhileShown = -1;
    explainRules(nullptr);
    EXPECT_EQ(darkWhileShown, 0);
    const uint32_t flags = currentGame->ruleFlags;
    currentGame->ruleFlags = GameRuleFlags::twoDecks | GameRuleFlags::smallCards;
    watching.messages.clear();
    repaintsDarkened.clear();
    explainRules(nullptr);
    currentGame->ruleFlags = flags;
    EXPECT_TRUE(watching.messages.empty());
    EXPECT_EQ(repaintsDarkened, std::vector<int>{0});
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
