// Feeds arbitrary bytes to the saved-game reader. Whatever the bytes, the
// reader stays inside its buffers; a file it accepts puts a whole table in
// place whose history undoes to the end, and what the program then writes
// is a file the reader accepts again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/records.h"
#include "play/game.h"
#include "play/card_moves.h"
#include "store/gamefile.h"

using namespace korvat;

namespace {

void abortUnless(bool ok) {
    if (!ok) std::abort();
}

// Every card of the deck in exactly one pile, the links consistent.
void checkTable() {
    std::vector<int> owner(static_cast<size_t>(table.deckSize), 0);
    for (const Pile* p = currentGame->layout; p; p = p->next) {
        const Card* below = nullptr;
        int n = 0;
        for (const Card* c = p->bottom; c; c = c->above, ++n) {
            const ptrdiff_t slot = c - deck.data();
            abortUnless(slot >= 0 && slot < table.deckSize);
            abortUnless(owner[static_cast<size_t>(slot)]++ == 0);
            abortUnless(c->below == below);
            abortUnless(c->value >= 0 && c->value <= 51 && c->faceDown >= 0 && c->faceDown <= 2);
            below = c;
        }
        abortUnless(p->top == below && p->count == n);
    }
    for (int o : owner) abortUnless(o == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        selectGame(827);
        startGame();
        ready = true;
    }
    SavedGame game;
    std::string error;
    const GameFileCheck check = decodeGameFile(data, size, game, error);
    if (check != GameFileCheck::Good) {
        abortUnless(check == GameFileCheck::NotSavedGame || !error.empty());
        return 0;
    }
    restoreSavedGame(game);
    checkTable();
    const std::vector<uint8_t> again = encodeGameFile();
    SavedGame reread;
    abortUnless(decodeGameFile(again.data(), again.size(), reread, error) == GameFileCheck::Good);
    // The whole history undoes: every entry finds its cards.
    while (table.undoCount > 0) {
        const int before = table.undoCount;
        for (Pile* p = currentGame->layout; p; p = p->next)
            if (p->top && p->top->faceDown == kSelected) p->top->faceDown = kFaceUp;
        undo();
        abortUnless(table.undoCount < before);
    }
    checkTable();
    // The next input starts from the layouts as compiled in.
    reloadCatalogue();
    selectGame(827);
    startGame();
    return 0;
}
