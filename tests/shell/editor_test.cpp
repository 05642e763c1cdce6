// Edit mode, its keys and the pile editor "Korvat game editor" driven
// through its dialog procedure.
#include <cstring>
#include <string>

#include "play/game.h"
#include "core/legality.h"
#include "play/current.h"
#include "play/pointer.h"
#include "shell/editor_dialog.h"
#include "shell/menu.h"
#include "shell/program.h"
#include "shell/rules_text.h"
#include "test_support.h"

namespace korvat::test {
namespace {

int editorsOpened = 0;
int repaints = 0;

class Editor : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        editorsOpened = repaints = 0;
        shellHooks.openPileEditor = [] { ++editorsOpened; };
        drawingHooks.composeAndPresent = [] { ++repaints; };
        table.editMode = 0;
        deal(827, 0);
        repaints = 0;
    }
    void TearDown() override {
        shellHooks.openPileEditor = nullptr;
        drawingHooks.composeAndPresent = nullptr;
        table.editMode = 0;
        GameTest::TearDown();
    }
    // Opens the editor on a pile of the current layout.
    void open(int index) {
        editPile = index;
        ASSERT_EQ(pileEditorDialog(controls, DialogEvent::opening()), DialogResult::Stay);
        ASSERT_EQ(controls.pile, pileAt(index));
    }
    DialogResult click(int id) { return pileEditorDialog(controls, DialogEvent::command(id)); }
    void scroll(int bar, ScrollRequest request, int thumb = 0) {
        EXPECT_EQ(pileEditorDialog(controls, DialogEvent::scroll(bar, request, thumb)), DialogResult::Stay);
    }
    int checked(int group) const { return controls.checked[static_cast<size_t>(group)]; }
    PileEditorControls controls;
};

const DialogControl& controlOf(int id) {
    const DialogControl* c = findControl(pileEditorTemplate, id);
    EXPECT_NE(c, nullptr) << id;
    static const DialogControl none{ControlKind::GroupBox, 0, "", 0, 0, 0, 0};
    return c ? *c : none;
}

bool inside(const DialogControl& inner, const DialogControl& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

const DialogControl* groupBoxNamed(const char* title) {
    for (int i = 0; i < pileEditorTemplate.controlCount; ++i) {
        const DialogControl& c = pileEditorTemplate.controls[i];
        if (c.kind == ControlKind::GroupBox && std::strcmp(c.text, title) == 0) return &c;
    }
    return nullptr;
}

TEST(EditorTemplate, EveryChoiceStandsInItsBoxAndNoTwoOverlap) {
    EXPECT_STREQ(pileEditorTemplate.title, "Korvat game editor");
    EXPECT_EQ(pileEditorTemplate.width, 283);
    EXPECT_EQ(pileEditorTemplate.height, 231);
    const char* const boxes[] = {"Card removal", "Rank build", "Suit build", "Card placement.", "Pile start"};
    for (const EditorChoice& choice : editorChoices) {
        const DialogControl& c = controlOf(choice.id);
        EXPECT_EQ(c.kind, ControlKind::RadioButton);
        EXPECT_STREQ(c.text, choice.text);
        EXPECT_EQ(c.group, choice.group);
        const DialogControl* box = groupBoxNamed(boxes[choice.group]);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(inside(c, *box)) << choice.id;
        EXPECT_TRUE(inside(c, {ControlKind::GroupBox, 0, "", 0, 0, 283, 231})) << choice.id;
    }
    for (int i = 0; i < pileEditorTemplate.controlCount; ++i)
        for (int j = i + 1; j < pileEditorTemplate.controlCount; ++j) {
            const DialogControl& a = pileEditorTemplate.controls[i];
            const DialogControl& b = pileEditorTemplate.controls[j];
            if (a.kind == ControlKind::GroupBox || b.kind == ControlKind::GroupBox) continue;
            const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                               b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << a.id << " and " << b.id;
        }
    // The grid of start cards: a row per rank box, "Any" and the four suits.
    const std::pair<const char*, int> rows[] = {{"Ace", 0}, {"Two", 1}, {"Six", 5}, {"Seven", 6}, {"Queen", 11},
                                                {"King", 12}};
    int id = 2028;
    for (auto [title, rank] : rows) {
        const DialogControl* box = groupBoxNamed(title);
        ASSERT_NE(box, nullptr) << title;
        EXPECT_STREQ(controlOf(id).text, "Any");
        EXPECT_TRUE(inside(controlOf(id), *box)) << title;
        ++id;
        for (int suit = 0; suit < 4; ++suit, ++id) {
            EXPECT_STREQ(controlOf(id).text, std::string(1, "SCHD"[suit]).c_str());
            EXPECT_TRUE(inside(controlOf(id), *box)) << title << suit;
            EXPECT_EQ(editorChoices[static_cast<size_t>(id - 2001)].value, rank * 4 + suit);
        }
    }
}

TEST_F(Editor, OpeningChecksTheButtonsOfThePilesCodes) {
    open(0);  // a foundation: build up in suit, one card at a time, ace of spades first, nothing taken
    EXPECT_EQ(checked(EditorGroup::Removal), 2001);
    EXPECT_EQ(checked(EditorGroup::RankBuild), 2012);
    EXPECT_EQ(checked(EditorGroup::SuitBuild), 2019);
    EXPECT_EQ(checked(EditorGroup::Placement), 2023);
    EXPECT_EQ(checked(EditorGroup::StartCard), 2029);
    EXPECT_EQ(controls.dealCount, "0");
    open(10);  // the last tableau pile: seven cards, six face down, a king first
    EXPECT_EQ(checked(EditorGroup::StartCard), 2053);
    EXPECT_EQ(checked(EditorGroup::Removal), 2008);
    EXPECT_EQ(controls.dealCount, "7");
    EXPECT_EQ(controls.faceDown, "6");
    EXPECT_EQ(controls.sizeLimit, "0");
    EXPECT_EQ(controls.faceDownBar.maximum, 7);
    EXPECT_EQ(controls.faceDownBar.position, 6);
    EXPECT_EQ(controls.sizeLimitBar.maximum, 51);

    pileAt(3)->startCard = 51;  // the king of diamonds
    pileAt(3)->rankBuild = 9;   // no button has it
    open(3);
    EXPECT_EQ(checked(EditorGroup::StartCard), 2057);
    EXPECT_STREQ(findControl(pileEditorTemplate, 2057)->text, "D");
    EXPECT_TRUE(inside(controlOf(2057), *groupBoxNamed("King")));
    EXPECT_EQ(checked(EditorGroup::RankBuild), 0);
    open(11);  // the waste: nothing first
    EXPECT_EQ(checked(EditorGroup::StartCard), 2025);
    EXPECT_EQ(repaints, 0) << "opening changes nothing";
}

TEST_F(Editor, EveryChoiceWritesItsValueAndIsCheckedWhenOpenedAgain) {
    open(5);
    for (const EditorChoice& choice : editorChoices) {
        repaints = 0;
        EXPECT_EQ(click(choice.id), DialogResult::Stay);
        EXPECT_EQ(editorField(*pileAt(5), choice.group), choice.value) << choice.id;
        EXPECT_EQ(checked(choice.group), choice.id);
        EXPECT_EQ(repaints, 1) << "shown on the table at once";
        PileEditorControls again;
        pileEditorDialog(again, DialogEvent::opening());
        EXPECT_EQ(again.checked[static_cast<size_t>(choice.group)], choice.id) << "one value, one button";
    }
    EXPECT_EQ(pileAt(5)->acceptCount, Accept::AnyNumber);
    EXPECT_EQ(pileAt(5)->startCard, 51);
}

TEST_F(Editor, TheScrollBarsStepFaceDownCountAndSizeLimitWithinTheirRanges) {
    open(10);
    Pile& p = *pileAt(10);
    scroll(DialogId::FaceDownScroll, ScrollRequest::LineRight);
    EXPECT_EQ(p.faceDownCount, 7);
    scroll(DialogId::FaceDownScroll, ScrollRequest::LineRight);
    EXPECT_EQ(p.faceDownCount, 7) << "never above the initial size";
    EXPECT_EQ(controls.faceDown, "7");
    EXPECT_EQ(controls.faceDownBar.position, 7);
    scroll(DialogId::FaceDownScroll, ScrollRequest::PageLeft);
    EXPECT_EQ(p.faceDownCount, 0);
    scroll(DialogId::FaceDownScroll, ScrollRequest::LineLeft);
    EXPECT_EQ(p.faceDownCount, 0);
    EXPECT_EQ(controls.faceDown, "0");
    scroll(DialogId::FaceDownScroll, ScrollRequest::PageRight);
    EXPECT_EQ(p.faceDownCount, 7) << "page right: the initial size";
    scroll(DialogId::FaceDownScroll, ScrollRequest::ThumbTrack, 2);
    EXPECT_EQ(p.faceDownCount, 7) << "the scroll box is not dragged to a value";
    EXPECT_EQ(controls.faceDownBar.position, 7);

    p.sizeLimit = 49;
    open(10);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::LineRight);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::LineRight);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::LineRight);
    EXPECT_EQ(p.sizeLimit, 51);
    EXPECT_EQ(controls.sizeLimit, "51");
    EXPECT_EQ(controls.sizeLimitBar.position, 51);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::PageLeft);
    EXPECT_EQ(p.sizeLimit, 0);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::LineLeft);
    EXPECT_EQ(p.sizeLimit, 0);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::PageRight);
    EXPECT_EQ(p.sizeLimit, 51);
    scroll(DialogId::SizeLimitScroll, ScrollRequest::EndScroll);
    EXPECT_EQ(p.sizeLimit, 51);
    EXPECT_EQ(p.faceDownCount, 7) << "each bar its own field";
    EXPECT_EQ(repaints, 0) << "scrolling does not repaint";
}

TEST_F(Editor, OkDealsTheSameDealOnTheEditedLayoutAndTheEditStays) {
    deal(827, 31);
    gameFileName = "SAVED.GAM";
    Pile& stock = *pileAt(12);
    pressAt(stock.x + 5, stock.y + 5);
    ASSERT_GT(table.undoCount, 0);
    open(4);
    EXPECT_EQ(click(2012), DialogResult::Stay);  // "Build up."
    scroll(DialogId::FaceDownScroll, ScrollRequest::LineRight);  // nothing face down was dealt here: 0 -> 1
    EXPECT_EQ(click(DialogId::Ok), DialogResult::Close);
    EXPECT_EQ(gameNumber, 31u);
    EXPECT_EQ(table.undoCount, 0) << "dealt again";
    EXPECT_EQ(gameFileName, "SAVED.GAM") << "the saved game's name stays";
    Pile& p = *pileAt(4);
    EXPECT_EQ(p.rankBuild, RankBuild::Up);
    EXPECT_EQ(faceStates(p), std::vector<int>{kFaceDown});
    const std::vector<int> dealt = values(p);

    // A card one rank up in a different colour may now go on it, one rank down may not.
    p.bottom->faceDown = kFaceUp;
    const int top = p.top->value;
    Card up{}, down{};
    up.value = rankOf(top) < 12 ? (rankOf(top) + 1) * 4 + (suitOf(top) ^ 2) : -1;
    down.value = rankOf(top) > 0 ? (rankOf(top) - 1) * 4 + (suitOf(top) ^ 2) : -1;
    Pile& source = *pileAt(11);
    if (up.value >= 0) {
        EXPECT_TRUE(core::canPlace(currentRules(), currentTable(), pileIndex(source), pileIndex(p), up.value, 1));
    }
    if (down.value >= 0) {
        EXPECT_FALSE(core::canPlace(currentRules(), currentTable(), pileIndex(source), pileIndex(p), down.value, 1));
    }
    RulesText rules;
    pileRules(p, currentRulesContext(), rules);
    EXPECT_EQ(std::string(rules.text).rfind("Build up in the opposite color.", 0), 0u) << rules.text;

    // Another game and back: the edit is in the layout itself.
    runCommand(901);
    runCommand(827);
    EXPECT_EQ(pileAt(4)->rankBuild, RankBuild::Up);
    EXPECT_EQ(pileAt(4)->faceDownCount, 1);
    startGame(31);
    EXPECT_EQ(values(*pileAt(4)), dealt);
}

TEST_F(Editor, OkReadsTheShownCountsBackAndNothingElseCloses) {
    open(6);
    controls.faceDown = "1";
    controls.sizeLimit = "12";
    for (int id : {DialogId::Cancel, 0, 1999, DialogId::FaceDownBox, 2058}) {
        repaints = 0;
        EXPECT_EQ(click(id), DialogResult::Stay) << id;
        EXPECT_EQ(repaints, 1) << "laid out and repainted";
    }
    EXPECT_EQ(click(DialogId::EditorHelp), DialogResult::Stay);
    EXPECT_EQ(headless.helpFile, "korvat.hlp");
    EXPECT_EQ(headless.helpContext, 2);
    EXPECT_EQ(click(DialogId::Ok), DialogResult::Close);
    EXPECT_EQ(pileAt(6)->faceDownCount, 1);
    EXPECT_EQ(pileAt(6)->sizeLimit, 12);
    EXPECT_EQ(faceStates(*pileAt(6)), (std::vector<int>{kFaceDown, kFaceUp, kFaceUp}));
}

TEST_F(Editor, EditModeCommandsAndTheirMessages) {
    runCommand(Command::EditPile);
    EXPECT_EQ(editorsOpened, 0);
    ASSERT_EQ(headless.messages.size(), 1u);
    EXPECT_EQ(headless.messages[0].text, "Not in edit mode.  Turn on Edit mode in 'Options' menu.");
    EXPECT_EQ(headless.messages[0].caption, "NOT IN EDIT MODE.");
    EXPECT_EQ(headless.messages[0].style, Mb::Ok | Mb::IconStop);

    repaints = 0;
    runCommand(Command::EditMode);
    EXPECT_EQ(table.editMode, 1);
    EXPECT_EQ(repaints, 1);
    runCommand(Command::EditPile);
    EXPECT_EQ(editorsOpened, 1);
    EXPECT_EQ(headless.messages.size(), 1u) << "Prompt off: no question";
    prefs.Prompt = -1;
    headless.answerYes = false;
    runCommand(Command::EditPile);
    EXPECT_EQ(editorsOpened, 1);
    EXPECT_EQ(headless.messages.back().text, "Edit this game?  The game will have to be restarted.");
    EXPECT_EQ(headless.messages.back().caption, "ARE YOU SURE?");
    headless.answerYes = true;
    runCommand(Command::EditPile);
    EXPECT_EQ(editorsOpened, 2);

    runCommand(Command::EditMode);
    EXPECT_EQ(table.editMode, 0);
    EXPECT_EQ(repaints, 2);
    runCommand(Command::New);
    EXPECT_EQ(table.editMode, 0) << "a new game leaves edit mode as it is";
    runCommand(Command::EditMode);
    runCommand(901);
    EXPECT_EQ(table.editMode, 1);
    EXPECT_EQ(editPile, 0) << "a new game edits its first pile";
}

TEST_F(Editor, EditModeKeysWrapAroundTheLayoutAndTheGrid) {
    keyDown(Key::Tab);
    keyDown(Key::Right);
    EXPECT_EQ(editPile, 0) << "nothing outside edit mode";
    EXPECT_EQ(pileAt(0)->column, 5);

    table.editMode = 1;
    for (int i = 0; i < 12; ++i) keyDown(Key::Tab);
    EXPECT_EQ(editPile, 12);
    keyDown(Key::Tab);
    EXPECT_EQ(editPile, 0) << "the last pile wraps to the first";

    Pile& p = *pileAt(0);  // column 5, row 0
    keyDown(Key::Up);
    EXPECT_EQ(p.row, table.maxRow);
    EXPECT_EQ(p.y, 8 * 43 + 8) << "placed on the grid at once";
    keyDown(Key::Down);
    EXPECT_EQ(p.row, 0);
    for (int i = 0; i < 5; ++i) keyDown(Key::Left);
    EXPECT_EQ(p.column, 0);
    keyDown(Key::Left);
    EXPECT_EQ(p.column, 16);
    keyDown(Key::Right);
    EXPECT_EQ(p.column, 0);
    EXPECT_EQ(p.x, 6);

    editPile = 4;  // fanned downward
    keyDown(Key::Enter);
    EXPECT_EQ(pileAt(4)->fan, 2);
    keyDown(Key::Enter);
    EXPECT_EQ(pileAt(4)->fan, 0);
    keyDown(Key::Enter);
    EXPECT_EQ(pileAt(4)->fan, 1);
    editPile = 12;  // squared
    keyDown(Key::Enter);
    EXPECT_EQ(pileAt(12)->fan, 0);
}

}  // namespace
}  // namespace korvat::test
