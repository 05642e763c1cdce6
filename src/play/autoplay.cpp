#include "play/autoplay.h"

#include "core/actions.h"
#include "model/catalogue.h"
#include "play/current.h"

namespace korvat {

bool autoplayPile(Pile* p) {
    if (!p) return false;
    core::Move move;
    if (!core::autoplayMove(currentRules(), currentTable(), pileIndex(*p), move)) return false;
    playMove(move);
    return true;
}

bool autoStep() {
    core::Move move;
    if (!core::autoStepMove(currentRules(), currentTable(), move)) return false;
    playMove(move);
    return true;
}

bool playStraightRun() {
    return playAction([](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) {
        return core::playStraightRun(r, t, c);
    });
}

bool playSuiteRun() {
    return playAction(
        [](const core::GameRules& r, core::Table& t, core::ChangeRecord* c) { return core::playSuiteRun(r, t, c); });
}

bool isDiscardGroup() { return core::isDiscardGroup(currentRules(), currentTable()); }

}  // namespace korvat
