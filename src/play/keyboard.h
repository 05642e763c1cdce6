// Keyboard play: a focus frame on one pile, moved by the arrow keys; Space
// or Enter presses there as the pointer would (lifting cards, dealing,
// turning, selecting, redealing), and with cards lifted carries them to the
// framed pile and lets go there; Escape puts them back. The frame shows only
// while the keys are in use, and never in edit mode, which keeps its own keys.
#pragma once

namespace korvat {

namespace PlayKey {
constexpr int Left = 1, Right = 2, Up = 3, Down = 4, Press = 5, Cancel = 6;
}

// A key of keyboard play. False when keyboard play leaves it to others (in
// edit mode, or Escape with nothing to cancel).
bool keyboardPlay(int key);

// The mouse was used: the frame goes, and cards the keys carry go back.
void mouseUsed();

// The frame's rectangle in table pixels, while it shows: around the cards a
// press would take (or the top card, or the empty pile's place); while cards
// are carried, around the pile they would go to.
bool focusFrame(int& x, int& y, int& width, int& height);

// Where the frame is: the pile's layout index and the card a press goes to
// (counted from the pile's bottom card), for tests.
int focusPile();
int focusCard();

// Hides the frame and puts it back on the first pile (a new table in the
// same process).
void resetKeyboardPlay();

}  // namespace korvat
