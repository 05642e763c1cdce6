#include "play/legality.h"

#include "core/legality.h"
#include "model/catalogue.h"
#include "play/current.h"

namespace korvat {

bool canPlace(const Pile& source, const Pile& target, const Card& card, int n) {
    return core::canPlace(currentRules(), currentTable(), pileIndex(source), pileIndex(target), card.value, n);
}

bool reservesEmpty() { return core::reservesEmpty(currentRules(), currentTable()); }

}  // namespace korvat
