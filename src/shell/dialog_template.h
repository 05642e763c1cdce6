// What the program's dialogs are made of, without a toolkit: each dialog is
// a template (its controls with their ids, texts and places in dialog
// units) and a dialog procedure that takes one event at a time (the
// opening, a command from a control, a scroll request) and answers by
// changing the game and the contents of its controls. The desktop program
// builds the windows from the templates and only shows what the
// procedures leave in the controls.
#pragma once

#include <cstdint>

namespace korvat {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    CentredText,   // static text, centred
    Icon,          // an icon resource, by its number in `id`
    Edit,          // edit box with a border
    ReadOnlyEdit,  // read-only edit box without a border
    ScrollBar,     // horizontal scroll bar
    GroupBox,
    RadioButton,   // automatic: `group` names its radio group
};

struct DialogControl {
    ControlKind kind;
    int id;            // -1 for controls that send nothing
    const char* text;  // "&" marks the mnemonic
    int x, y, width, height;  // dialog units; an icon takes its own size
    int group = 0;     // radio buttons: their group, from 0
};

struct DialogTemplate {
    int resource;      // dialog resource number
    const char* title;
    const char* font;  // the face named by the dialog; the desktop takes a stand-in
    int pointSize;
    int width, height;  // client area, dialog units
    const DialogControl* controls;
    int controlCount;
};

// Control ids every dialog shares.
namespace DialogId {
constexpr int Ok = 1;
constexpr int Cancel = 2;  // also the Escape key
}  // namespace DialogId

// Requests of a horizontal scroll bar.
enum class ScrollRequest {
    LineLeft,       // the left arrow
    LineRight,      // the right arrow
    PageLeft,       // a click left of the scroll box
    PageRight,      // a click right of the scroll box
    ThumbTrack,     // the scroll box being dragged, to `thumb`
    ThumbPosition,  // the scroll box let go
    Leftmost,
    Rightmost,
    EndScroll,
};

struct ScrollBarState {
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t position = 0;
};

// One event for a dialog procedure.
struct DialogEvent {
    enum Kind { Opening, Command, Scroll } kind = Opening;
    int id = 0;  // the control that sent a command or a scroll request
    ScrollRequest request = ScrollRequest::EndScroll;
    int thumb = 0;  // the scroll box's position, for ThumbTrack

    static DialogEvent opening() { return {}; }
    static DialogEvent command(int id) { return {Command, id, ScrollRequest::EndScroll, 0}; }
    static DialogEvent scroll(int id, ScrollRequest request, int thumb = 0) { return {Scroll, id, request, thumb}; }
};

// What a dialog procedure asks of its window.
enum class DialogResult { Stay, Close };

// The control of a template with that id, or null.
const DialogControl* findControl(const DialogTemplate& dialog, int id);

// Reads a text as an unsigned 32-bit decimal number, the way the dialogs
// read their number boxes: at most the first `limit` characters; leading
// white space, then an optional sign, then digits up to the first other
// character. No digits give 0, a value past 4294967295 gives 4294967295,
// and a minus sign negates the value modulo 2^32.
uint32_t readUnsigned(const char* text, int limit);

}  // namespace korvat
