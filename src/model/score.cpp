#include "model/score.h"

#include <cstdio>

#include "model/catalogue.h"
#include "model/deck.h"
#include "model/drawing.h"
#include "model/gamelog.h"
#include "model/platform.h"
#include "model/preferences.h"
#include "model/records.h"

namespace korvat {

int32_t lastScore = 0;
static char statusText[100];

int cardsOnFoundations() {
    int score = 0;
    if (!currentGame) return 0;
    for (Pile* p = currentGame->layout; p; p = p->next)
        if (p->flags & PileFlags::foundation) score += p->count;
    return score;
}

int money() { return 5 * cardsOnFoundations() - table.deckSize; }

void updateStatusLine() {
    if (!currentGame) return;
    char number[20] = "";
    if (prefs.Seed) std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(gameNumber));
    const char* name = currentGame->name;
    const int index = table.logIndex;
    if (index < 0 || index >= kLogEntries) {
        std::snprintf(statusText, sizeof statusText, "%s  %s  Not started", name, number);
    } else if (gameLog[static_cast<size_t>(index)].status == LogStatus::Completed) {
        std::snprintf(statusText, sizeof statusText, "%s  %s  Completed before.", name, number);
    } else {
        std::snprintf(statusText, sizeof statusText, "%s  %s  Score %u.  Money $%d.  Never completed.",
                      name, number, static_cast<unsigned>(cardsOnFoundations()), money());
    }
    platform().setTitle(statusText);
}

const char* statusLine() { return statusText; }

void (*dealWonHook)() = nullptr;
bool (*wonByDemo)() = nullptr;

void checkWin() {
    if (cardsOnFoundations() != table.deckSize || table.won == 1) return;
    table.won = 1;
    if (dealWonHook) dealWonHook();
    // A deal Demo finished stays as the player left it in the log.
    const bool byDemo = wonByDemo && wonByDemo();
    if (!byDemo && table.logIndex >= 0 && table.logIndex < kLogEntries) {
        gameLog[static_cast<size_t>(table.logIndex)].status = LogStatus::Completed;
        if (logChanged) logChanged();
    }
    platform().animationBegins();
    for (int frame = 0; frame < 50; ++frame) {
        for (Pile* p = currentGame->layout; p; p = p->next) {
            p->x += p->driftX;
            p->y += p->driftY;
            layoutPile(*p);
        }
        repaintTable();
        platform().frameShown();
    }
    for (int frame = 0; frame < 50; ++frame) {
        for (Pile* p = currentGame->layout; p; p = p->next) {
            p->x -= p->driftX;
            p->y -= p->driftY;
            layoutPile(*p);
        }
        repaintTable();
        platform().frameShown();
    }
}

void (*afterScoreTick)() = nullptr;

void scoreTick() {
    int score = cardsOnFoundations();
    if (score != lastScore) {
        lastScore = score;
        checkWin();
        updateStatusLine();
    }
    if (afterScoreTick) afterScoreTick();
}

}  // namespace korvat
