#include "shell/rules_text.h"

#include <cstdio>
#include <cstring>

#include "core/rules.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"

namespace korvat {

namespace {

constexpr const char* kGameCaption = "SPECIAL INFO ON THIS GAME";
constexpr const char* kStock = "THIS IS A STOCK";
constexpr const char* kFoundation = "THIS IS A FOUNDATION";
constexpr const char* kTableau = "THIS IS A TABLEAU";
constexpr const char* kReserve = "THIS IS A RESERVE";
constexpr const char* kWaste = "THIS IS A WASTE PILE";

void append(RulesText& out, const char* text) {
    size_t used = std::strlen(out.text);
    std::snprintf(out.text + used, sizeof out.text - used, "%s", text);
}

void appendNumber(RulesText& out, const char* format, unsigned value) {
    size_t used = std::strlen(out.text);
    std::snprintf(out.text + used, sizeof out.text - used, format, value);
}

// A flag's sentence and the caption it gives the box (null for none).
struct FlagItem {
    uint32_t flag;
    const char* text;
    const char* caption;
    bool darkens;
};

constexpr FlagItem kFlagItems[] = {
    {PileFlags::sortAscending, "This pile will be sorted in ascending order.\n", nullptr, false},
    {PileFlags::sortDescending, "This pile will be sorted in descending order.\n", nullptr, false},
    {PileFlags::belowWasteTop,
     "Only cards with the same suit and lower rank, than the last card in any other waste pile, can be played "
     "here.\n",
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
    {PileFlags::waitReservesToPlay, "All darkened piles must be empty before playing cards to this pile.\n", kTableau,
     true},
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

struct GameItem {
    uint32_t flag;
    const char* text;
};

constexpr GameItem kGameItems[] = {
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

}  // namespace

RulesContext currentRulesContext() {
    const core::RuleOptions options = core::ruleOptions(prefs);
    return {table.redealsLeft, options.three, options.unlimit, true};
}

void pileRules(const Pile& p, const RulesContext& context, RulesText& out) {
    out.text[0] = '\0';
    out.caption = kGameCaption;
    out.darkens = false;
    switch (p.rankBuild) {
        case RankBuild::Up: append(out, "Build up "); break;
        case RankBuild::Down: append(out, "Build down "); break;
        case RankBuild::UpByTwos: append(out, "Build by twos up "); break;
        case RankBuild::DownByTwos: append(out, "Build by twos down "); break;
        case RankBuild::UpOrDown: append(out, "Build up or down "); break;
        case RankBuild::Any: append(out, "Build any card "); break;
        default: break;
    }
    switch (p.suitBuild) {
        case SuitBuild::SameColour: append(out, "in the same color.\n\n"); break;
        case SuitBuild::OppositeColour: append(out, "in the opposite color.\n\n"); break;
        case SuitBuild::SameSuit: append(out, "in the same suit.\n\n"); break;
        case SuitBuild::DifferentSuit: append(out, "in a different suit.\n\n"); break;
        case SuitBuild::Any: append(out, "in any suit.\n\n"); break;
        default: break;
    }
    switch (p.removal) {
        case Removal::SameColourRun:
        case Removal::AlternatingRun:
        case Removal::SameSuitRun:
        case Removal::ChangingSuitRun:
        case Removal::AnySuitRun:
            append(out, "Only the top card or built group of cards are available for play.\n");
            break;
        case Removal::TopCard: append(out, "Only the top card is available for play.\n"); break;
        case Removal::FaceUpAndAbove: append(out, "Any face up card and all below it are available for play.\n"); break;
        default: break;
    }
    if (p.sizeLimit != 0)
        appendNumber(out, "This pile can only contain %u card(s) at a time.\n", static_cast<unsigned>(p.sizeLimit));
    if (p.flags & PileFlags::redealable) {
        if (context.redealsLeft > 0 && !context.unlimit) {
            appendNumber(out, "This pile can be redealt %u time(s).\n", static_cast<unsigned>(context.redealsLeft));
            out.caption = kStock;
        } else if (context.redealsLeft == -1 || context.unlimit) {
            append(out, "This pile has unlimited redeals.\n");
            out.caption = kStock;
        }
    }
    if ((p.flags & PileFlags::dealThree) && context.three) {
        append(out, "This pile will deal three cards at a time.\n");
        out.caption = kStock;
    }
    for (const FlagItem& item : kFlagItems) {
        if (!(p.flags & item.flag)) continue;
        append(out, item.text);
        if (item.caption) out.caption = item.caption;
        if (item.darkens) out.darkens = true;
    }
    if (context.countLine)
        appendNumber(out, "\nThis pile contains %u card(s).", static_cast<unsigned>(p.count));
}

void gameRules(const GameEntry& game, RulesText& out) {
    out.text[0] = '\0';
    out.caption = kGameCaption;
    out.darkens = false;
    for (const GameItem& item : kGameItems)
        if (game.ruleFlags & item.flag) append(out, item.text);
}

void explainRules(Pile* pile) {
    static RulesText rules;
    if (pile)
        pileRules(*pile, currentRulesContext(), rules);
    else
        gameRules(*currentGame, rules);
    if (rules.darkens) {
        table.darkenReserves = 1;
        repaintTable();
    }
    if (rules.text[0]) platform().messageBox(rules.text, rules.caption, Mb::Ok | Mb::IconInformation);
    table.darkenReserves = 0;
    repaintTable();
}

}  // namespace korvat
