#include "play/game.h"
#include "shell/editor_dialog.h"

#include <algorithm>
#include <cstdio>

#include "model/deck.h"
#include "model/drawing.h"
#include "model/platform.h"

namespace korvat {

namespace {

using G = ControlKind;

// The start-card grid: one row per rank, "Any" and then one button per suit.
struct StartRow {
    const char* title;
    int rank;
    int32_t anyValue;
};
constexpr StartRow kStartRows[] = {
    {"Ace", 0, StartCard::AnyAce},     {"Two", 1, StartCard::AnyTwo},       {"Six", 5, StartCard::AnySix},
    {"Seven", 6, StartCard::AnySeven}, {"Queen", 11, StartCard::AnyQueen}, {"King", 12, StartCard::AnyKing},
};
constexpr const char* kSuitTexts[] = {"S", "C", "H", "D"};

constexpr std::array<EditorChoice, kEditorChoiceCount> makeChoices() {
    std::array<EditorChoice, kEditorChoiceCount> c{{
        {2001, "No cards.", EditorGroup::Removal, Removal::Nothing},
        {2002, "Any cards.", EditorGroup::Removal, Removal::FaceUpAndAbove},
        {2003, "Top card only.", EditorGroup::Removal, Removal::TopCard},
        {2004, "Down in any suit.", EditorGroup::Removal, Removal::AnySuitRun},
        {2005, "Down in same suit.", EditorGroup::Removal, Removal::SameSuitRun},
        {2006, "Down in diff. suit.", EditorGroup::Removal, Removal::ChangingSuitRun},
        {2007, "Down in same color.", EditorGroup::Removal, Removal::SameColourRun},
        {2008, "Down in diff. color.", EditorGroup::Removal, Removal::AlternatingRun},
        {2009, "None.", EditorGroup::RankBuild, RankBuild::None},
        {2010, "Any rank.", EditorGroup::RankBuild, RankBuild::Any},
        {2011, "Build down.", EditorGroup::RankBuild, RankBuild::Down},
        {2012, "Build up.", EditorGroup::RankBuild, RankBuild::Up},
        {2013, "Down by twos.", EditorGroup::RankBuild, RankBuild::DownByTwos},
        {2014, "Up by twos.", EditorGroup::RankBuild, RankBuild::UpByTwos},
        {2015, "Up or down.", EditorGroup::RankBuild, RankBuild::UpOrDown},
        {2016, "None.", EditorGroup::SuitBuild, SuitBuild::None},
        {2017, "Any suit.", EditorGroup::SuitBuild, SuitBuild::Any},
        {2018, "Diff. suit.", EditorGroup::SuitBuild, SuitBuild::DifferentSuit},
        {2019, "Same suit.", EditorGroup::SuitBuild, SuitBuild::SameSuit},
        {2020, "Diff. color.", EditorGroup::SuitBuild, SuitBuild::OppositeColour},
        {2021, "Same color.", EditorGroup::SuitBuild, SuitBuild::SameColour},
        {2022, "None.", EditorGroup::Placement, Accept::Nothing},
        {2023, "One card.", EditorGroup::Placement, Accept::OneCard},
        {2024, "Any amount.", EditorGroup::Placement, Accept::AnyNumber},
        {2025, "Nothing.", EditorGroup::StartCard, StartCard::Nothing},
        {2026, "Any card.", EditorGroup::StartCard, StartCard::AnyCard},
        {2027, "Face card.", EditorGroup::StartCard, StartCard::FaceCard},
    }};
    int i = 27;
    for (const StartRow& row : kStartRows) {
        c[static_cast<size_t>(i)] = {DialogId::FirstChoice + i, "Any", EditorGroup::StartCard, row.anyValue};
        ++i;
        for (int suit = 0; suit < 4; ++suit, ++i)
            c[static_cast<size_t>(i)] = {DialogId::FirstChoice + i, kSuitTexts[suit], EditorGroup::StartCard,
                                         row.rank * 4 + suit};
    }
    return c;
}

// Where each radio button stands: the columns stack their buttons 10 units
// apart; the start-card grid has a row of five per rank.
constexpr DialogControl choiceControl(const EditorChoice& choice) {
    const int k = choice.id - DialogId::FirstChoice;
    DialogControl c{G::RadioButton, choice.id, choice.text, 0, 0, 0, 10, choice.group};
    if (k < 8) {
        c.x = 10, c.y = 105 + 10 * k, c.width = 80;
    } else if (k < 15) {
        c.x = 105, c.y = 15 + 10 * (k - 8), c.width = 60;
    } else if (k < 21) {
        c.x = 105, c.y = 105 + 10 * (k - 15), c.width = 60;
    } else if (k < 24) {
        c.x = 105, c.y = 185 + 10 * (k - 21), c.width = 60;
    } else if (k < 27) {
        c.x = 180, c.y = 15 + 10 * (k - 24), c.width = 90;
    } else {
        const int row = (k - 27) / 5, column = (k - 27) % 5;
        c.y = 55 + 30 * row;
        c.x = column == 0 ? 185 : 195 + 15 * column;
        c.width = column == 0 ? 25 : 15;
    }
    return c;
}

constexpr int kFixedControls = 8 + 6 + 3 + 2 + 2;  // group boxes, inner boxes, edits, scroll bars, buttons
constexpr int kEditorControlCount = kFixedControls + kEditorChoiceCount;

constexpr std::array<DialogControl, kEditorControlCount> makeControls(
    const std::array<EditorChoice, kEditorChoiceCount>& choices) {
    std::array<DialogControl, kEditorControlCount> c{{
        {G::GroupBox, -1, "Initial pile size", 5, 5, 90, 25},
        {G::ReadOnlyEdit, DialogId::DealCountBox, "", 10, 15, 20, 13},
        {G::GroupBox, -1, "Initial face down", 5, 35, 90, 25},
        {G::ReadOnlyEdit, DialogId::FaceDownBox, "", 10, 45, 20, 13},
        {G::ScrollBar, DialogId::FaceDownScroll, "", 35, 45, 55, 10},
        {G::GroupBox, -1, "Size limit", 5, 65, 90, 25},
        {G::ReadOnlyEdit, DialogId::SizeLimitBox, "", 10, 75, 20, 13},
        {G::ScrollBar, DialogId::SizeLimitScroll, "", 35, 75, 55, 10},
        {G::GroupBox, -1, "Card removal", 5, 95, 90, 95},
        {G::GroupBox, -1, "Rank build", 100, 5, 70, 85},
        {G::GroupBox, -1, "Suit build", 100, 95, 70, 75},
        {G::GroupBox, -1, "Card placement.", 100, 175, 70, 50},
        {G::GroupBox, -1, "Pile start", 175, 5, 105, 220},
        {G::GroupBox, -1, "Ace", 180, 45, 95, 25},
        {G::GroupBox, -1, "Two", 180, 75, 95, 25},
        {G::GroupBox, -1, "Six", 180, 105, 95, 25},
        {G::GroupBox, -1, "Seven", 180, 135, 95, 25},
        {G::GroupBox, -1, "Queen", 180, 165, 95, 25},
        {G::GroupBox, -1, "King", 180, 195, 95, 25},
        {G::DefaultPushButton, DialogId::Ok, "OK", 55, 200, 40, 20},
        {G::PushButton, DialogId::EditorHelp, "Help", 5, 200, 40, 20},
    }};
    for (int i = 0; i < kEditorChoiceCount; ++i)
        c[static_cast<size_t>(kFixedControls + i)] = choiceControl(choices[static_cast<size_t>(i)]);
    return c;
}

constexpr std::array<DialogControl, kEditorControlCount> kEditorControls = makeControls(makeChoices());

std::string unsignedText(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return text;
}

const EditorChoice* findChoice(int id) {
    if (id < DialogId::FirstChoice || id > DialogId::LastChoice) return nullptr;
    return &editorChoices[static_cast<size_t>(id - DialogId::FirstChoice)];
}

void showCounts(PileEditorControls& controls) {
    const Pile& p = *controls.pile;
    controls.dealCount = unsignedText(p.dealCount);
    controls.faceDown = unsignedText(p.faceDownCount);
    controls.sizeLimit = unsignedText(p.sizeLimit);
    controls.faceDownBar = {0, p.dealCount, p.faceDownCount};
    controls.sizeLimitBar = {0, kEditorSizeLimit, p.sizeLimit};
}

// A scroll request on one of the two bars: the new value of its field.
int32_t scrolled(int32_t value, int32_t highest, const DialogEvent& event) {
    switch (event.request) {
        case ScrollRequest::LineLeft: return std::max(value - 1, 0);
        case ScrollRequest::LineRight: return std::min(value + 1, highest);
        case ScrollRequest::PageLeft: return 0;
        case ScrollRequest::PageRight: return highest;
        default: return value;  // the scroll box is not dragged to a value
    }
}

void relayAndRepaint() {
    layoutAllPiles();
    repaintTable();
}

}  // namespace

const std::array<EditorChoice, kEditorChoiceCount> editorChoices = makeChoices();

const DialogTemplate pileEditorTemplate = {
    1406, "Korvat game editor", "MS Sans Serif", 8, 283, 231, kEditorControls.data(), kEditorControlCount};

int32_t& editorField(Pile& pile, int group) {
    switch (group) {
        case EditorGroup::Removal: return pile.removal;
        case EditorGroup::RankBuild: return pile.rankBuild;
        case EditorGroup::SuitBuild: return pile.suitBuild;
        case EditorGroup::Placement: return pile.acceptCount;
        default: return pile.startCard;
    }
}

DialogResult pileEditorDialog(PileEditorControls& controls, const DialogEvent& event) {
    if (event.kind == DialogEvent::Opening) {
        controls.pile = pileAt(editPile);
        if (!controls.pile) return DialogResult::Close;
        controls.checked.fill(0);
        for (const EditorChoice& choice : editorChoices)
            if (editorField(*controls.pile, choice.group) == choice.value) controls.checked[choice.group] = choice.id;
        showCounts(controls);
        return DialogResult::Stay;
    }
    if (!controls.pile) return DialogResult::Close;
    Pile& p = *controls.pile;

    if (event.kind == DialogEvent::Scroll) {
        if (event.id == DialogId::FaceDownScroll) {
            p.faceDownCount = scrolled(p.faceDownCount, p.dealCount, event);
            controls.faceDownBar.position = p.faceDownCount;
            controls.faceDown = unsignedText(p.faceDownCount);
        } else if (event.id == DialogId::SizeLimitScroll) {
            p.sizeLimit = scrolled(p.sizeLimit, kEditorSizeLimit, event);
            controls.sizeLimitBar.position = p.sizeLimit;
            controls.sizeLimit = unsignedText(p.sizeLimit);
        }
        return DialogResult::Stay;
    }

    switch (event.id) {
        case DialogId::Ok:
            p.faceDownCount = static_cast<int32_t>(readUnsigned(controls.faceDown.c_str(), 16));
            p.sizeLimit = static_cast<int32_t>(readUnsigned(controls.sizeLimit.c_str(), 16));
            // The same deal again, on the edited layout; the saved game's name stays.
            startGame(gameNumber);
            relayAndRepaint();
            return DialogResult::Close;
        case DialogId::EditorHelp:
            platform().openHelp("korvat.hlp", 2);
            return DialogResult::Stay;
        default:
            if (const EditorChoice* choice = findChoice(event.id)) {
                editorField(p, choice->group) = choice->value;
                controls.checked[choice->group] = choice->id;
            }
            relayAndRepaint();  // Escape among the rest: nothing closes
            return DialogResult::Stay;
    }
}

}  // namespace korvat
