#include "store/gamefile.h"

#include <cstring>

#include "core/deal.h"
#include "core/table.h"
#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"
#include "play/current.h"
#include "store/bytes.h"

namespace korvat {

namespace {

constexpr char kSignature[8] = {'<', 'K', 'O', 'R', 'V', 'A', 'T', '>'};
constexpr int kPileWords = 24;
// The last column and row of the grid of pile places at which a card of
// the game's size still lies whole on the 640 x 480 table.
constexpr int kLargeCardsLastColumn = 16, kLargeCardsLastRow = 9;
constexpr int kSmallCardsLastColumn = 24, kSmallCardsLastRow = 12;

GameFileCheck damaged(std::string& error, const std::string& why) {
    error = why;
    return GameFileCheck::Damaged;
}

const char* const kShort = "The file ends too early.";

// Undoing the history from its newest entry must find, at every step, a
// card where the entry says one lies. Works on the pile counts alone.
bool historyReplays(const std::vector<UndoEntry>& moves, std::vector<int> counts, std::string& error) {
    const int piles = static_cast<int>(counts.size());
    for (size_t i = moves.size(); i-- > 0;) {
        const UndoEntry& e = moves[i];
        auto refuse = [&](const char* why) {
            error = "Move " + std::to_string(i + 1) + " of the history " + why;
            return false;
        };
        if (e.sourceIndex < 0 || e.sourceIndex >= piles) return refuse("names a pile the game does not have.");
        int& source = counts[static_cast<size_t>(e.sourceIndex)];
        if (e.targetIndex == -1) {
            const bool fits = e.targetCount == -1 ? source > 0 : e.targetCount >= 0 && e.targetCount < source;
            if (!fits) return refuse("turns a card that is not there.");
            continue;
        }
        if (e.targetIndex < 0 || e.targetIndex >= piles) return refuse("names a pile the game does not have.");
        int& target = counts[static_cast<size_t>(e.targetIndex)];
        if (e.targetCount < 0 || e.targetCount >= target) return refuse("takes back cards that are not there.");
        const int moved = target - e.targetCount;
        target = e.targetCount;
        source += moved;
    }
    return true;
}

}  // namespace

GameFileCheck decodeGameFile(const uint8_t* data, size_t size, SavedGame& game, std::string& error) {
    const size_t signatureBytes = size < sizeof kSignature ? size : sizeof kSignature;
    if (signatureBytes > 0 && std::memcmp(data, kSignature, signatureBytes) != 0) return GameFileCheck::NotSavedGame;
    ByteReader in(data, size);
    SavedGame g;
    if (!in.skip(sizeof kSignature)) return damaged(error, kShort);

    uint16_t id = 0;
    if (!in.u16(id) || !in.u32(g.gameNumber)) return damaged(error, kShort);
    const int row = findGameRow(id);
    if (row < 0) return damaged(error, "It was saved from a game this program does not have (" + std::to_string(id) + ").");
    const GameEntry& entry = gameCatalogue()[static_cast<size_t>(row)];
    g.commandId = entry.commandId;
    const int deckSize = deckSizeOf(entry.ruleFlags);
    const int pileCount = entry.pileCount;

    // The cards of every pile.
    int total = 0;
    g.pileCounts.reserve(static_cast<size_t>(pileCount));
    g.cards.reserve(static_cast<size_t>(deckSize));
    for (int p = 0; p < pileCount; ++p) {
        uint16_t count = 0;
        if (!in.u16(count)) return damaged(error, kShort);
        total += count;
        if (total > deckSize)
            return damaged(error, "Its piles hold more cards than the game's " + std::to_string(deckSize) + ".");
        g.pileCounts.push_back(count);
        for (int c = 0; c < count; ++c) {
            uint16_t value = 0, faceDown = 0;
            if (!in.u16(value) || !in.u16(faceDown)) return damaged(error, kShort);
            if (value > 51) return damaged(error, "A card has the value " + std::to_string(value) + ", not 0..51.");
            if (faceDown > 2)
                return damaged(error, "A card lies neither face up nor face down (" + std::to_string(faceDown) + ").");
            g.cards.push_back({value, faceDown});
        }
    }
    if (total != deckSize)
        return damaged(error, "Its piles hold " + std::to_string(total) + " cards, not the game's " +
                                  std::to_string(deckSize) + ".");
    // Every card of the game's decks once per deck: no card twice and none
    // missing.
    int copies[52] = {};
    for (const SavedCard& c : g.cards) ++copies[c.value];
    for (int value = 0; value < 52; ++value)
        if (copies[value] != deckSize / 52)
            return damaged(error, "The card of value " + std::to_string(value) + " is there " +
                                      std::to_string(copies[value]) + " times, not " +
                                      std::to_string(deckSize / 52) + ".");

    // The move history.
    uint16_t moveCount = 0;
    if (!in.u16(moveCount)) return damaged(error, kShort);
    if (moveCount > kMaxSavedMoves)
        return damaged(error, "It records " + std::to_string(moveCount) + " moves; at most " +
                                  std::to_string(kMaxSavedMoves) + " are kept.");
    g.moves.reserve(moveCount);
    for (int m = 0; m < moveCount; ++m) {
        UndoEntry e{};
        if (!in.i32(e.targetIndex) || !in.i32(e.sourceIndex) || !in.i32(e.targetCount) || !in.i32(e.chained))
            return damaged(error, kShort);
        g.moves.push_back(e);
    }
    if (!historyReplays(g.moves, g.pileCounts, error)) return GameFileCheck::Damaged;

    // The layout, when it was saved: all of it or none.
    if (!in.atEnd()) {
        uint16_t storedPiles = 0;
        if (!in.u16(storedPiles)) return damaged(error, kShort);
        if (storedPiles != pileCount)
            return damaged(error, "It describes " + std::to_string(storedPiles) + " piles; the game has " +
                                      std::to_string(pileCount) + ".");
        int dealt = 0;
        // The places the game's card size allows.
        const bool small = (entry.ruleFlags & GameRuleFlags::smallCards) != 0;
        const int lastColumn = small ? kSmallCardsLastColumn : kLargeCardsLastColumn;
        const int lastRow = small ? kSmallCardsLastRow : kLargeCardsLastRow;
        g.definitions.reserve(storedPiles);
        for (int p = 0; p < storedPiles; ++p) {
            int32_t words[kPileWords];
            for (int32_t& w : words)
                if (!in.i32(w)) return damaged(error, kShort);
            const SavedPileDefinition d{words[0], words[1], words[2], words[3], words[4], words[5], words[6]};
            const std::string which = "Pile " + std::to_string(p + 1) + " ";
            if (d.column < 0 || d.column > lastColumn || d.row < 0 || d.row > lastRow)
                return damaged(error, which + "lies off the table.");
            if (d.dealCount < 0 || d.dealCount > deckSize || d.faceDownCount < 0 || d.faceDownCount > d.dealCount)
                return damaged(error, which + "is dealt an impossible number of cards.");
            if (d.sizeLimit < 0 || d.sizeLimit > 51) return damaged(error, which + "has an impossible size limit.");
            if (d.fan < -1 || d.fan > 2) return damaged(error, which + "is fanned in no known direction.");
            if (d.acceptCount != Accept::AnyNumber && d.acceptCount != Accept::OneCard &&
                d.acceptCount != Accept::Nothing)
                return damaged(error, which + "has an unknown placement rule.");
            dealt += d.dealCount;
            g.definitions.push_back(d);
        }
        if (dealt != deckSize)
            return damaged(error, "Its layout deals " + std::to_string(dealt) + " cards, not the game's " +
                                      std::to_string(deckSize) + ".");
        if (!in.atEnd()) return damaged(error, "There is more in the file than a saved game holds.");
    }
    game = std::move(g);
    return GameFileCheck::Good;
}

std::vector<uint8_t> encodeGameFile() {
    ByteWriter out;
    out.bytes(kSignature, sizeof kSignature);
    out.u16(static_cast<uint16_t>(currentGame->commandId));
    out.u32(gameNumber);
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        int count = 0;
        for (const Card* c = p->bottom; c; c = c->above) ++count;
        out.u16(static_cast<uint16_t>(count));
        for (const Card* c = p->bottom; c; c = c->above) {
            out.u16(static_cast<uint16_t>(c->value));
            out.u16(static_cast<uint16_t>(c->faceDown));
        }
    }
    int moves = table.undoCount;
    if (moves < 0 || moves > kMaxSavedMoves) moves = 0;
    out.u16(static_cast<uint16_t>(moves));
    for (int i = 0; i < moves; ++i) {
        const UndoEntry& e = undoBuffer[static_cast<size_t>(i)];
        out.i32(e.targetIndex);
        out.i32(e.sourceIndex);
        out.i32(e.targetCount);
        out.i32(e.chained);
    }
    out.u16(static_cast<uint16_t>(currentGame->pileCount));
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        const int32_t definition[12] = {p->column,    p->row,       p->dealCount, p->faceDownCount,
                                        p->sizeLimit, p->fan,       p->acceptCount, p->rankBuild,
                                        p->suitBuild, p->startCard, p->removal,   static_cast<int32_t>(p->flags)};
        for (int32_t w : definition) out.i32(w);
        // The links (next, prev, bottom, top, pickCard) mean nothing in a
        // file; they are stored as zero.
        for (int i = 0; i < 5; ++i) out.i32(0);
        const int32_t runTime[7] = {p->x, p->y, p->width, p->height, p->count, p->driftX, p->driftY};
        for (int32_t w : runTime) out.i32(w);
    }
    return out.data();
}

void restoreSavedGame(const SavedGame& g) {
    selectGame(g.commandId);
    gameNumber = g.gameNumber;
    // The deal generator stands past the high rank, where a redeal of the
    // game read starts from.
    int highRank = 0;
    dealRandom = core::dealGenerator(currentGame->ruleFlags, g.gameNumber, &highRank);
    if (currentGame->ruleFlags & GameRuleFlags::randomHigh) table.baseRank = highRank;
    placePiles();
    // The cards as saved, each sorted pile in its order.
    const core::GameRules rules = currentRules();
    core::Table t = core::emptyTable(rules);
    t.redealsLeft = static_cast<int8_t>(table.redealsLeft);
    size_t slot = 0;
    for (int p = 0; p < rules.pileCount; ++p) {
        const int count = g.pileCounts[static_cast<size_t>(p)];
        for (int i = 0; i < count; ++i, ++slot) {
            const uint8_t card = core::cardByte(g.cards[slot].value, g.cards[slot].faceDown);
            t.push(p, &card, 1);
        }
        t.sortPile(rules.pile(p), p);
    }
    setCurrentTable(t);
    table.undoCount = static_cast<int32_t>(g.moves.size());
    for (size_t i = 0; i < g.moves.size(); ++i) undoBuffer[i] = g.moves[i];
    if (!g.definitions.empty()) {
        int index = 0;
        for (Pile* p = currentGame->layout; p; p = p->next, ++index) {
            const SavedPileDefinition& d = g.definitions[static_cast<size_t>(index)];
            p->column = d.column;
            p->row = d.row;
            p->dealCount = d.dealCount;
            p->faceDownCount = d.faceDownCount;
            p->sizeLimit = d.sizeLimit;
            p->fan = d.fan;
            p->acceptCount = d.acceptCount;
        }
        positionPiles();
        layoutAllPiles();
    }
    if (prefs.Sound) platform().playSound(kShuffleSound);
    repaintTable();
}

bool readGameFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    const char* caption = "MAJOR ERROR!";
    if (!readFileBytes(path, kMaxGameFileBytes + 1, bytes, error)) {
        const std::string text = "I'm sorry, but I cannot read this file.\n\n" + error;
        platform().messageBox(text.c_str(), caption, Mb::Ok | Mb::IconExclamation);
        return false;
    }
    SavedGame game;
    switch (decodeGameFile(bytes.data(), bytes.size(), game, error)) {
        case GameFileCheck::NotSavedGame:
            platform().messageBox("I'm sorry, but I can only load saved Korvat games.", caption,
                                  Mb::Ok | Mb::IconExclamation);
            return false;
        case GameFileCheck::Damaged: {
            const std::string text = "I'm sorry, but this saved game is damaged, so I cannot load it.\n\n" + error;
            platform().messageBox(text.c_str(), caption, Mb::Ok | Mb::IconExclamation);
            return false;
        }
        case GameFileCheck::Good: break;
    }
    if (beforeDealHook) beforeDealHook(true);
    restoreSavedGame(game);
    return true;
}

bool writeGameFile(const std::string& path, std::string& error) {
    return writeFileReplacing(path, encodeGameFile(), error);
}

}  // namespace korvat
