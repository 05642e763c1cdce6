// The pile editor, "Korvat game editor" (dialog 1406): changes the rule
// codes of the edited pile of the current layout in place. Every change
// shows on the table at once and lasts until the program exits; OK deals
// the same deal again on the edited layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/records.h"
#include "shell/dialog_template.h"

namespace korvat {

namespace DialogId {
constexpr int DealCountBox = 1501;
constexpr int FaceDownBox = 1502;
constexpr int SizeLimitBox = 1503;
constexpr int FaceDownScroll = 1600;
constexpr int SizeLimitScroll = 1601;
constexpr int EditorHelp = 2000;
constexpr int FirstChoice = 2001;
constexpr int LastChoice = 2057;
}  // namespace DialogId

// The radio groups of the editor and the Pile field each one writes.
namespace EditorGroup {
constexpr int Removal = 0;      // "Card removal": removal
constexpr int RankBuild = 1;    // "Rank build": rankBuild
constexpr int SuitBuild = 2;    // "Suit build": suitBuild
constexpr int Placement = 3;    // "Card placement.": acceptCount
constexpr int StartCard = 4;    // "Pile start": startCard
constexpr int Count = 5;
}  // namespace EditorGroup

// One radio button of the editor and the value it writes.
struct EditorChoice {
    int id;
    const char* text;
    int group;  // EditorGroup
    int32_t value;
};

constexpr int kEditorChoiceCount = DialogId::LastChoice - DialogId::FirstChoice + 1;  // 57
extern const std::array<EditorChoice, kEditorChoiceCount> editorChoices;

extern const DialogTemplate pileEditorTemplate;  // 1406

// The highest size limit the editor offers.
constexpr int kEditorSizeLimit = 51;

// The contents of the controls of 1406, and the pile it edits.
struct PileEditorControls {
    Pile* pile = nullptr;   // the edited pile when the dialog opened
    std::string dealCount;  // 1501
    std::string faceDown;   // 1502
    std::string sizeLimit;  // 1503
    ScrollBarState faceDownBar;   // 1600
    ScrollBarState sizeLimitBar;  // 1601
    // The checked button of each EditorGroup; 0 when none is checked.
    std::array<int, EditorGroup::Count> checked{};
};

// The field of a pile that a group writes.
int32_t& editorField(Pile& pile, int group);

// Dialog 1406 on pileAt(editPile). Radio buttons write their value into the
// pile at once and repaint the table; the scroll bars step the face-down
// count (0..dealCount) and the size limit (0..51); Help opens the editor's
// help page; OK deals the same deal again and closes. Nothing else closes
// it, Escape included.
DialogResult pileEditorDialog(PileEditorControls& controls, const DialogEvent& event);

}  // namespace korvat
