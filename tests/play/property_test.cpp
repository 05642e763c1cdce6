// Random play of every game through the pointer: after any sequence of
// legal actions every card lies in exactly one pile, and undoing every
// recorded action brings back the deal.
//
// Each sequence is written down in korvat-cli's action syntax, so a failure
// prints a command line that replays it.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/session.h"
#include "model/gamelog.h"
#include "model/score.h"
#include "play/autoplay.h"
#include "core/legality.h"
#include "play/current.h"
#include "play/card_moves.h"
#include "play/pointer.h"
#include "test_support.h"

namespace korvat::test {
namespace {

struct PileImage {
    std::vector<int> values;
    std::vector<int> faces;
};
using TableImage = std::vector<PileImage>;

TableImage snapshot() {
    TableImage image;
    for (const Pile* p = currentGame->layout; p; p = p->next) image.push_back({values(*p), faceStates(*p)});
    return image;
}

bool hasFlag(uint32_t flag) {
    for (const Pile* p = currentGame->layout; p; p = p->next)
        if (p->flags & flag) return true;
    return false;
}

// Compares two images pile by pile. Piles with `unordered` flags are
// compared as collections of values and of face states: their order may
// legitimately change (a card taken from the middle comes back on top, a
// sort exchanges values under the face states).
std::string differences(const TableImage& was, const TableImage& is, uint32_t unordered) {
    std::ostringstream out;
    const Pile* p = currentGame->layout;
    for (size_t i = 0; i < was.size() && p; ++i, p = p->next) {
        PileImage a = was[i], b = is[i];
        if (p->flags & unordered) {
            std::sort(a.values.begin(), a.values.end());
            std::sort(b.values.begin(), b.values.end());
            std::sort(a.faces.begin(), a.faces.end());
            std::sort(b.faces.begin(), b.faces.end());
        }
        if (a.values != b.values || a.faces != b.faces) {
            out << " pile " << i << ":";
            for (size_t k = 0; k < was[i].values.size(); ++k) out << ' ' << was[i].values[k] << '/' << was[i].faces[k];
            out << " ->";
            for (size_t k = 0; k < is[i].values.size(); ++k) out << ' ' << is[i].values[k] << '/' << is[i].faces[k];
            out << ";";
        }
    }
    return out.str();
}

// Every card of the deck lies in exactly one pile, each pile's links agree
// in both directions and its count is right, the values are those of the
// deck, and nothing is being carried.
::testing::AssertionResult tableIsWhole() {
    const int size = table.deckSize;
    std::vector<int> owner(static_cast<size_t>(size), -1);
    std::vector<int> valueCount(52, 0);
    int index = 0;
    for (const Pile* p = currentGame->layout; p; p = p->next, ++index) {
        const Card* previous = nullptr;
        int n = 0;
        for (const Card* c = p->bottom; c; c = c->above) {
            const auto slot = reinterpret_cast<uintptr_t>(c) - reinterpret_cast<uintptr_t>(&deck[0]);
            if (slot % sizeof(Card) != 0 || slot / sizeof(Card) >= static_cast<size_t>(size))
                return ::testing::AssertionFailure() << "pile " << index << " links a card outside the deck";
            const size_t s = slot / sizeof(Card);
            if (owner[s] != -1)
                return ::testing::AssertionFailure()
                       << "deck slot " << s << " lies in pile " << owner[s] << " and again in pile " << index;
            owner[s] = index;
            if (c->below != previous)
                return ::testing::AssertionFailure() << "pile " << index << ": card " << n << " has a wrong below link";
            if (c->value < 0 || c->value > 51 || c->faceDown < 0 || c->faceDown > 2)
                return ::testing::AssertionFailure() << "pile " << index << ": card " << n << " holds value "
                                                     << c->value << " face " << c->faceDown;
            ++valueCount[static_cast<size_t>(c->value)];
            previous = c;
            ++n;
        }
        if (p->top != previous) return ::testing::AssertionFailure() << "pile " << index << ": top is not the last card";
        if (p->count != n)
            return ::testing::AssertionFailure() << "pile " << index << ": count " << p->count << " but " << n << " cards";
    }
    for (int s = 0; s < size; ++s)
        if (owner[static_cast<size_t>(s)] == -1) return ::testing::AssertionFailure() << "deck slot " << s << " lies in no pile";
    for (int v = 0; v < 52; ++v)
        if (valueCount[static_cast<size_t>(v)] != size / 52)
            return ::testing::AssertionFailure() << "value " << v << " occurs " << valueCount[static_cast<size_t>(v)] << " times";
    if (carriedPile.count != 0 || carriedPile.bottom || carriedPile.top)
        return ::testing::AssertionFailure() << "cards are still carried";
    if (dropTarget) return ::testing::AssertionFailure() << "a drop target is still marked";
    return ::testing::AssertionSuccess();
}

// The first pile, in layout order, whose extent holds the point.
Pile* pileUnder(int x, int y) {
    for (Pile* p = currentGame->layout; p; p = p->next)
        if (p->x <= x && x < p->x + p->width && p->y <= y && y < p->y + p->height) return p;
    return nullptr;
}

struct Point {
    int x, y;
};

// The centre of the pile's top card, or of its empty area.
Point centreOf(const Pile& p) {
    const int x = p.top ? p.top->x : p.x, y = p.top ? p.top->y : p.y;
    return {x + table.cardWidth / 2, y + table.cardHeight / 2};
}

// A point of the card that no card above it covers.
Point visiblePoint(const Pile& p, const Card& c) {
    Point pt{c.x + table.cardWidth / 2, c.y + table.cardHeight / 2};
    if (&c != p.top) {
        if (p.fan == Fan::Right) pt.x = c.x + table.fanStep / 2;
        if (p.fan == Fan::Down) pt.y = c.y + table.fanStep / 2;
    }
    return pt;
}

bool squared(const Pile& p) { return p.fan != Fan::Right && p.fan != Fan::Down; }

// A running digest of everything a player or a file could see: the table,
// the undo history, the title, the messages, the current log entry and the
// effect generator (which the card sounds and redeals draw from).
struct Digest {
    uint64_t value = 1469598103934665603ull;
    void add(const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
    }
    void add(const std::string& s) { add(s.data(), s.size()); }
    void add(int64_t v) { add(&v, sizeof v); }
    void addState(const HeadlessPlatform& headless) {
        add(cli::dealJson());
        add(table.undoCount);
        for (int i = 0; i < table.undoCount && i < kUndoEntries; ++i) {
            const UndoEntry& e = undoBuffer[static_cast<size_t>(i)];
            add(e.targetIndex), add(e.sourceIndex), add(e.targetCount), add(e.chained);
        }
        add(statusLine());
        add(static_cast<int64_t>(headless.messages.size()));
        add(table.logIndex);
        if (table.logIndex >= 0 && table.logIndex < kLogEntries) {
            const LogEntry& e = gameLog[static_cast<size_t>(table.logIndex)];
            add(e.gameNumber), add(e.gameIndex), add(e.status);
        }
        add(table.won), add(table.redealsLeft), add(effectRandom.state);
    }
};

// The digests of the random games below, as recorded from the engine before
// it was rebuilt on the game core: "command-id number digest" per line.
// KORVAT_RECORD_DIGESTS=FILE appends this run's digests to FILE instead.
uint64_t expectedDigest(int id, uint32_t number, bool& found) {
    std::ifstream in(KORVAT_TEST_DATA_DIR "/play_digests.txt");
    int i;
    uint32_t n;
    unsigned long long d;
    found = false;
    while (in >> i >> n >> std::hex >> d >> std::dec)
        if (i == id && n == number) {
            found = true;
            return d;
        }
    return 0;
}

class RandomPlay : public GameTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        GameTest::SetUp();
        resetLog();
        prefs.Move = 0;
    }

    enum Kind { Drag, DropNowhere, Stock, Turn, Select, Redeal, Step, Auto, Undo, AnyPoint, Right, Tick, KindCount };

    std::mt19937 rng;
    std::vector<std::string> script;  // korvat-cli actions so far
    std::string options;              // korvat-cli options of this run

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    std::string replay() const {
        std::ostringstream out;
        out << "korvat-cli play " << currentGame->commandId << ' ' << gameNumber << options;
        for (const std::string& a : script) out << ' ' << a;
        return out.str();
    }

    void press(Point p) {
        script.push_back("press:" + std::to_string(p.x) + "," + std::to_string(p.y));
        pressAt(p.x, p.y);
    }
    void drag(Point p) {
        script.push_back("drag:" + std::to_string(p.x) + "," + std::to_string(p.y));
        dragTo(p.x, p.y);
    }
    void letGo() {
        script.push_back("release");
        release();
    }

    // Carries the lifted cards over a few random points, then onto a pile
    // that accepts them (or nowhere), and drops them. Returns the pile aimed at.
    Pile* carryAndDrop(bool nowhere, std::string& failure) {
        for (int i = below(3); i > 0; --i) drag({below(720) - 40, below(560) - 40});
        Pile* target = nullptr;
        if (nowhere) {
            drag({-1000, -1000});
            if (dropTarget) failure = "a drop target is marked with the cards far off the table";
        } else {
            std::vector<Pile*> accepting;
            for (Pile* t = currentGame->layout; t; t = t->next) {
                Point c = centreOf(*t);
                if (pileUnder(c.x, c.y) == t && core::canPlace(currentRules(), currentTable(), pileIndex(*sourcePile), pileIndex(*t), carriedPile.bottom->value,
                                   carriedPile.count))
                    accepting.push_back(t);
            }
            // Mostly to another pile: putting the cards back is the rarer choice.
            if (accepting.size() > 1 && below(8) != 0)
                accepting.erase(std::remove(accepting.begin(), accepting.end(), sourcePile), accepting.end());
            if (!accepting.empty()) {
                target = accepting[static_cast<size_t>(below(static_cast<int>(accepting.size())))];
                Point c = centreOf(*target);
                drag({c.x - table.cardWidth / 2 + table.grabX, c.y - table.cardHeight / 2 + table.grabY});
                if (dropTarget != target) failure = "the carried cards lie on an accepting pile that is not marked";
            } else {
                drag({-1000, -1000});
            }
        }
        letGo();
        return target;
    }

    // One random action of the given kind; false when none is possible now.
    bool act(Kind kind, std::string& failure) {
        const int undoBefore = table.undoCount;
        switch (kind) {
            case Drag:
            case DropNowhere: {
                struct Candidate {
                    Pile* pile;
                    Card* group;
                    Point at;
                };
                std::vector<Candidate> candidates;
                for (Pile* p = currentGame->layout; p; p = p->next) {
                    if (!p->top || (p->flags & (PileFlags::stock | PileFlags::groupable))) continue;
                    for (Card* c = p->top; c; c = c->below) {
                        if (squared(*p) && c != p->top) break;
                        Point at = visiblePoint(*p, *c);
                        if (pileUnder(at.x, at.y) != p || hitTest(at.x, at.y) != p) continue;
                        if (p->pickCard && p->pickCard->faceDown == kFaceUp) candidates.push_back({p, p->pickCard, at});
                    }
                }
                if (candidates.empty()) return false;
                const Candidate& c = candidates[static_cast<size_t>(below(static_cast<int>(candidates.size())))];
                const bool single = c.pile->flags & PileFlags::anySingleCard;
                int n = 1;
                if (!single)
                    for (Card* k = c.group; k != c.pile->top; k = k->above) ++n;
                Card* top = single ? c.group : c.pile->top;
                const TableImage before = snapshot();
                std::vector<Card*> lifted;
                for (Card* k = c.group; k; k = single ? nullptr : k->above) lifted.push_back(k);
                press(c.at);
                if (!carrying() || carriedPile.bottom != c.group || carriedPile.top != top || carriedPile.count != n ||
                    sourcePile != c.pile) {
                    failure = "the press did not lift the group the hit test offered";
                    return true;
                }
                Pile* target = carryAndDrop(kind == DropNowhere, failure);
                if (!failure.empty()) return true;
                if (!target) {
                    if (table.undoCount != undoBefore) failure = "a drop nowhere wrote an undo entry";
                    std::string d = differences(before, snapshot(),
                                                PileFlags::anySingleCard | PileFlags::sortAscending |
                                                    PileFlags::sortDescending);
                    if (!d.empty()) failure = "a drop nowhere changed the table:" + d;
                } else if (target != c.pile && table.undoCount <= undoBefore) {
                    failure = "a move to another pile wrote no undo entry";
                } else if (target != c.pile && table.undoCount == undoBefore + 1 &&
                           !(target->flags & (PileFlags::sortAscending | PileFlags::sortDescending))) {
                    // Nothing automatic followed: the cards lie on the target, in order.
                    Card* k = target->top;
                    for (size_t i = lifted.size(); i-- > 0 && k; k = k->below)
                        if (k != lifted[i]) failure = "the dropped cards are not on top of the target in their order";
                    if (lifted.size() > static_cast<size_t>(target->count))
                        failure = "the target holds fewer cards than were dropped on it";
                }
                return true;
            }
            case Turn: {
                std::vector<Pile*> candidates;
                for (Pile* p = currentGame->layout; p; p = p->next) {
                    if (!p->top || p->top->faceDown != kFaceDown) continue;
                    if (p->flags & (PileFlags::stock | PileFlags::groupable)) continue;
                    Point at = centreOf(*p);
                    if (hitTest(at.x, at.y) == p && p->pickCard == p->top) candidates.push_back(p);
                }
                if (candidates.empty()) return false;
                Pile* p = candidates[static_cast<size_t>(below(static_cast<int>(candidates.size())))];
                press(centreOf(*p));
                letGo();
                if (p->top->faceDown != kFaceUp || table.undoCount != undoBefore + 1)
                    failure = "pressing a face-down top card did not turn it and record the turn";
                return true;
            }
            case Stock:
            case Select:
            case Redeal: {
                std::vector<Pile*> candidates;
                for (Pile* p = currentGame->layout; p; p = p->next) {
                    Point at = centreOf(*p);
                    if (pileUnder(at.x, at.y) != p) continue;
                    if (kind == Stock && p->top && (p->flags & PileFlags::stock)) candidates.push_back(p);
                    if (kind == Select && p->top && (p->flags & PileFlags::groupable) && !(p->flags & PileFlags::stock))
                        candidates.push_back(p);
                    if (kind == Redeal && !p->top && (p->flags & PileFlags::redealable) && table.redealsLeft != 0)
                        candidates.push_back(p);
                }
                if (candidates.empty()) return false;
                if (kind == Select && below(4) != 0) {
                    // Mostly a card that completes a group, when there is one.
                    std::vector<Pile*> completing;
                    for (Pile* p : candidates) {
                        const int was = p->top->faceDown;
                        p->top->faceDown = was == kSelected ? kFaceUp : kSelected;
                        if (isDiscardGroup()) completing.push_back(p);
                        p->top->faceDown = was;
                    }
                    if (!completing.empty()) candidates = completing;
                }
                Pile* p = candidates[static_cast<size_t>(below(static_cast<int>(candidates.size())))];
                const int stockBefore = p->count;
                const int redealsBefore = table.redealsLeft;
                const bool canDeal = !selectionPending() &&
                                     (!(p->flags & PileFlags::waitReservesToDeal) || core::reservesEmpty(currentRules(), currentTable())) &&
                                     hasFlag(PileFlags::waste);
                press(centreOf(*p));
                letGo();
                if (kind == Stock && canDeal && (p->count >= stockBefore || table.undoCount <= undoBefore))
                    failure = "a press on the stock dealt nothing";
                if (kind == Redeal) {
                    if (redealsBefore > 0 && !prefs.Unlimit && table.redealsLeft != redealsBefore - 1)
                        failure = "a redeal did not use up a redeal";
                    for (const Pile* q = currentGame->layout; q; q = q->next)
                        if (q != p && q->count && (q->flags & PileFlags::redealFaceDown) &&
                            !(q->flags & PileFlags::redealRefill))
                            failure = "a redeal left cards on a pile it gathers";
                }
                return true;
            }
            case Step: {
                script.push_back("step");
                const TableImage before = snapshot();
                const bool moved = autoStep();
                if (moved && table.undoCount <= undoBefore) failure = "a step changed the table without recording it";
                if (!moved && !differences(before, snapshot(), 0).empty()) failure = "a step that moved nothing changed the table";
                return true;
            }
            case Auto: {
                script.push_back("auto");
                for (int steps = 0; autoStep(); ++steps) {
                    if (steps > 4 * table.deckSize) {
                        failure = "Auto does not stop";
                        return true;
                    }
                }
                return true;
            }
            case Right: {
                Pile* p = pileAt(below(currentGame->pileCount));
                Point at = centreOf(*p);
                script.push_back("right:" + std::to_string(at.x) + "," + std::to_string(at.y));
                const TableImage before = snapshot();
                rightPressAt(at.x, at.y);
                if (table.undoCount == undoBefore && !differences(before, snapshot(), 0).empty())
                    failure = "the right button changed the table without recording it";
                return true;
            }
            case Tick: {
                script.push_back("tick");
                std::vector<Point> origins;
                for (const Pile* p = currentGame->layout; p; p = p->next) origins.push_back({p->x, p->y});
                scoreTick();
                size_t i = 0;
                for (const Pile* p = currentGame->layout; p; p = p->next, ++i)
                    if (p->x != origins[i].x || p->y != origins[i].y) failure = "a pile is not back at its place after a tick";
                if (cardsOnFoundations() == table.deckSize && table.won != 1) failure = "a completed deal is not won";
                return true;
            }
            case Undo: {
                if (table.undoCount == 0 || selectionPending()) return false;
                script.push_back("undo");
                undo();
                if (table.undoCount >= undoBefore) failure = "undo took nothing back";
                return true;
            }
            case AnyPoint: {
                press({below(640), below(480)});
                if (carrying()) carryAndDrop(below(2) == 0, failure);
                return true;
            }
            default: return false;
        }
    }

    // Plays one deal at random, checking the table after every action, then
    // undoes everything and compares with the deal when undo is exact.
    Digest digest;

    void playAndUndo(uint32_t number, int actions, unsigned seed) {
        rng.seed(seed);
        digest = Digest{};
        prefs.Three = below(2) ? -1 : 0;
        prefs.Unlimit = below(4) == 0 ? -1 : 0;
        prefs.Right = 1;
        prefs.Sound = below(2) ? -1 : 0;  // each card sound draws from the effect generator
        options = std::string(" --pref Move=0 --pref Right=1") + (prefs.Sound ? " --pref Sound=-1" : "") + (prefs.Three ? " --pref Three=-1" : "") + (prefs.Unlimit ? " --unlimit" : "");
        script.clear();
        deal(GetParam(), number);
        const TableImage dealt = snapshot();
        ASSERT_TRUE(tableIsWhole()) << "as dealt: " << replay();

        static constexpr int kWeights[KindCount] = {40, 3, 12, 8, 16, 4, 6, 2, 4, 4, 4, 2};
        std::discrete_distribution<int> kinds(std::begin(kWeights), std::end(kWeights));
        for (int i = 0; i < actions && table.undoCount < 1000; ++i) {
            std::string failure;
            for (int tries = 0; tries < 20 && !act(static_cast<Kind>(kinds(rng)), failure); ++tries) {
            }
            ASSERT_TRUE(failure.empty()) << failure << "\n  " << replay();
            ASSERT_TRUE(tableIsWhole()) << "\n  " << replay();
            digest.addState(headless);
            ASSERT_TRUE(table.undoCount == 0 || table.logIndex >= 0) << "a recorded move did not enter the deal in the log";
            ASSERT_TRUE(headless.messages.empty())
                << "message \"" << headless.messages[0].caption << "\": " << headless.messages[0].text << "\n  " << replay();
        }

        // Undo refuses while a selection is open, so clear it first.
        for (Pile* p = currentGame->layout; p; p = p->next)
            for (Card* c = p->bottom; c; c = c->above)
                if (c->faceDown == kSelected) c->faceDown = kFaceUp;
        while (table.undoCount > 0) {
            const int before = table.undoCount;
            undo();
            script.push_back("undo");
            ASSERT_LT(table.undoCount, before) << replay();
            ASSERT_TRUE(headless.messages.empty())
                << "message \"" << headless.messages[0].caption << "\": " << headless.messages[0].text << "\n  " << replay();
            ASSERT_TRUE(tableIsWhole()) << "while undoing: " << replay();
            digest.addState(headless);
        }
        checkDigest(number);
        if (!hasFlag(PileFlags::sortAscending | PileFlags::sortDescending)) {
            const std::string d = differences(dealt, snapshot(), PileFlags::anySingleCard);
            EXPECT_TRUE(d.empty()) << "undoing everything does not bring back the deal:" << d << "\n  " << replay();
        }
    }

    // The same random game must see exactly what it saw when recorded.
    void checkDigest(uint32_t number) {
        const int id = currentGame->commandId;
        if (const char* record = std::getenv("KORVAT_RECORD_DIGESTS")) {
            if (std::FILE* f = std::fopen(record, "a")) {
                std::fprintf(f, "%d %u %016llx\n", id, number, static_cast<unsigned long long>(digest.value));
                std::fclose(f);
            }
            return;
        }
        bool found = false;
        const uint64_t expected = expectedDigest(id, number, found);
        ASSERT_TRUE(found) << "no recorded digest for game " << id << " number " << number;
        EXPECT_EQ(digest.value, expected) << "the game played differently from the recorded one: " << replay();
    }
};

TEST_P(RandomPlay, EveryCardStaysInOnePileAndUndoRestoresTheDeal) {
    const int id = GetParam();
    const uint32_t numbers[] = {0u, 1000u + static_cast<uint32_t>(id) * 7919u, 4294967295u};
    for (unsigned k = 0; k < 3 && !HasFatalFailure(); ++k) playAndUndo(numbers[k], 300, static_cast<unsigned>(id) * 10u + k);
}

std::vector<int> everyGame() {
    std::vector<int> ids;
    for (const GameEntry& g : gameCatalogue()) ids.push_back(g.commandId);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(AllGames, RandomPlay, ::testing::ValuesIn(everyGame()),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = std::to_string(info.param) + "_";
                             for (const char* c = gameCatalogue()[static_cast<size_t>(findGameRow(info.param))].name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

}  // namespace
}  // namespace korvat::test
