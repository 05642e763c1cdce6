// The records every game is played on: cards, piles and the table state.
//
// A game is nothing but a list of Pile records. Each pile holds twelve
// definition words from the game's layout and twelve run-time words; its
// cards are nodes of a doubly linked list whose nodes live in the Deck.
#pragma once

#include <cstdint>

namespace korvat {

// Card values: rank * 4 + suit. Ranks 0..12 are positions in the current
// game's rank order; suits are 0 spades, 1 clubs, 2 hearts, 3 diamonds.
constexpr int rankOf(int value) { return value >> 2; }
constexpr int suitOf(int value) { return value & 3; }
constexpr int colourOf(int value) { return value & 2; }
constexpr int kHighestRank = 12;

// Face-down states of a card.
constexpr int32_t kFaceUp = 0;
constexpr int32_t kFaceDown = 1;
constexpr int32_t kSelected = 2;  // face up and chosen for a discard group

struct Card {
    Card* below = nullptr;  // the card beneath this one; null for the bottom card
    Card* above = nullptr;  // the card lying on this one; null for the top card
    int32_t x = 0;          // left edge in client pixels (set by layoutPile)
    int32_t y = 0;          // top edge
    int32_t value = 0;      // rank * 4 + suit
    int32_t faceDown = 0;   // kFaceUp, kFaceDown or kSelected
    int32_t placed = 0;     // -1 once dealt as a start card during a deal
};

// Rule codes of the definition words.
namespace Fan {
constexpr int32_t Right = 0;
constexpr int32_t Down = 1;
constexpr int32_t Squared = -1;
}  // namespace Fan

namespace Accept {
constexpr int32_t AnyNumber = -2;
constexpr int32_t OneCard = 0;
constexpr int32_t Nothing = -1;
}  // namespace Accept

namespace RankBuild {
constexpr int32_t Up = 0;
constexpr int32_t Down = 1;
constexpr int32_t UpByTwos = 2;
constexpr int32_t DownByTwos = 3;
constexpr int32_t UpOrDown = 4;
constexpr int32_t Any = -2;
constexpr int32_t None = -1;
}  // namespace RankBuild

namespace SuitBuild {
constexpr int32_t SameColour = 0;
constexpr int32_t OppositeColour = 1;
constexpr int32_t SameSuit = 2;
constexpr int32_t DifferentSuit = 3;
constexpr int32_t Any = -2;
constexpr int32_t None = -1;
}  // namespace SuitBuild

namespace StartCard {
// 0..51: exactly that card value.
constexpr int32_t AnyKing = 52;
constexpr int32_t AnyAce = 53;
constexpr int32_t AnyQueen = 54;
constexpr int32_t FaceCard = 55;
constexpr int32_t AnyTwo = 56;    // set only by the pile editor
constexpr int32_t AnySix = 57;    // set only by the pile editor
constexpr int32_t AnySeven = 58;  // set only by the pile editor
constexpr int32_t AnyCard = -2;
constexpr int32_t Nothing = -1;
}  // namespace StartCard

namespace Removal {
constexpr int32_t SameColourRun = 0;
constexpr int32_t AlternatingRun = 1;
constexpr int32_t SameSuitRun = 2;
constexpr int32_t ChangingSuitRun = 3;
constexpr int32_t AnySuitRun = -2;
constexpr int32_t TopCard = 4;
constexpr int32_t FaceUpAndAbove = 5;
constexpr int32_t Nothing = -1;
}  // namespace Removal

// The pile's flags word.
namespace PileFlags {
constexpr uint32_t fillsSpaces = 0x1;
constexpr uint32_t autoFillFromStock = 0x2;
constexpr uint32_t stock = 0x4;
constexpr uint32_t waste = 0x8;
constexpr uint32_t reserve = 0x10;
constexpr uint32_t redealFaceDown = 0x40;
constexpr uint32_t redealRefill = 0x80;
constexpr uint32_t waitReservesToPlay = 0x100;
constexpr uint32_t waitReservesToFillSpace = 0x200;
constexpr uint32_t waitReservesToDeal = 0x400;
constexpr uint32_t waitReservesAlways = 0x800;
constexpr uint32_t waitReservesToTake = 0x1000;
constexpr uint32_t autoplayStraight = 0x2000;
constexpr uint32_t autoplaySuite = 0x4000;
constexpr uint32_t sortAscending = 0x8000;
constexpr uint32_t sortDescending = 0x10000;
constexpr uint32_t dealThree = 0x20000;
constexpr uint32_t toFoundation = 0x40000;
constexpr uint32_t kingsToBottom = 0x80000;
constexpr uint32_t foundationOnly = 0x100000;
constexpr uint32_t redealable = 0x200000;
constexpr uint32_t anySingleCard = 0x400000;
constexpr uint32_t foundation = 0x800000;
constexpr uint32_t belowWasteTop = 0x1000000;
constexpr uint32_t kingsOrBelowWasteTop = 0x2000000;
constexpr uint32_t acesOrBelowWasteTop = 0x4000000;
constexpr uint32_t rankOfPileAbove = 0x8000000;
constexpr uint32_t groupable = 0x10000000;
constexpr uint32_t fourSuitsDiscard = 0x20000000;
}  // namespace PileFlags

// One pile: 24 words. The first twelve are the definition from the layout
// (changed only by the pile editor), the rest are run-time state that
// placePiles overwrites at every start. Saved games write all 24 words.
struct Pile {
    // Definition.
    int32_t column = 0;         // grid column of the origin, in half card widths
    int32_t row = 0;            // grid row, in half card heights
    int32_t dealCount = 0;      // cards dealt at the start
    int32_t faceDownCount = 0;  // how many of those lie face down (the lowest)
    int32_t sizeLimit = 0;      // most cards the pile may hold; 0 = no limit
    int32_t fan = Fan::Squared; // Fan::Right, Fan::Down, anything else squared
    int32_t acceptCount = 0;    // Accept::*
    int32_t rankBuild = 0;      // RankBuild::*
    int32_t suitBuild = 0;      // SuitBuild::*
    int32_t startCard = 0;      // StartCard::* or an exact value 0..51
    int32_t removal = 0;        // Removal::*
    uint32_t flags = 0;         // PileFlags::*
    // Run-time.
    Pile* next = nullptr;
    Pile* prev = nullptr;
    Card* bottom = nullptr;
    Card* top = nullptr;
    Card* pickCard = nullptr;  // lowest card a press at the last hit card would take
    int32_t x = 0;             // origin in client pixels
    int32_t y = 0;
    int32_t width = 0;         // extent covered when drawn
    int32_t height = 0;
    int32_t count = 0;         // cards in the pile (fresh after layoutPile)
    int32_t driftX = 0;        // per-frame step of the win animation
    int32_t driftY = 0;
};

// The current game's settings and geometry: 24 int32 fields in this order.
struct TableState {
    int32_t undoCount;
    int32_t logIndex;       // this deal's log entry, or -1 while it has none
    int32_t gameIndex;      // catalogue row of the current game
    int32_t logMatchCount;
    int32_t logCursor;
    int32_t deckSize;       // 52, 104 or 208
    int32_t cardWidth;      // 64 large, 48 small
    int32_t cardHeight;     // 80 large, 64 small
    int32_t fanStep;        // offset between fanned cards
    int32_t smallCards;     // 1 while the small pictures are loaded
    int32_t maxColumn;      // 16 large, 24 small
    int32_t maxRow;         // 8 large, 11 small
    int32_t answer;         // last "ARE YOU SURE?" answer: 6 = Yes
    int32_t grabX;          // pointer offset inside the carried cards
    int32_t grabY;
    int32_t redealsLeft;    // -1 unlimited, else 2, 1 or 0
    int32_t baseRank;       // face shown for rank 0
    int32_t won;
    int32_t showAllCards;
    int32_t editMode;
    int32_t counterOpen;
    int32_t graphOpen;
    int32_t darkenReserves;
    int32_t pickBelowGroup;
};

extern TableState table;
// The pile holding cards on their way between piles; count > 0 means cards
// are being carried. It belongs to no layout and is never drawn into the table.
extern Pile carriedPile;
// Layout index of the pile marked in edit mode.
extern int32_t editPile;

// The client area of the main window: the table is always this size.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

// List operations. They leave `count` stale: every changing operation ends
// with layoutPile on each pile it touched.
void insertCardAbove(Pile& pile, Card* anchor, Card& card);
void unlinkCard(Pile& pile, Card& card);
void splitRun(Pile& pile, Pile& carrier, Card& card);
void joinPiles(Pile& source, Pile& target);

void layoutPile(Pile& pile);
void layoutAllPiles();

// The pile at a position of the current layout (0 or less gives the first);
// null only when the index runs past the last pile.
Pile* pileAt(int index);
// The layout index of a pile of the current game, or -1.
int pileIndex(const Pile& pile);

// The card at a position of a pile counted from its bottom (0), or null.
Card* cardAt(const Pile& pile, int position);

}  // namespace korvat
