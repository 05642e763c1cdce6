#include "view/graph.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/catalogue.h"
#include "model/gamelog.h"
#include "model/records.h"
#include "view/pictures.h"

namespace korvat::view {

namespace {

// Fills the rectangle from (left, top) to (right, bottom), right and bottom
// excluded, cut to the surface.
void fill(Surface& s, int left, int top, int right, int bottom, uint32_t colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, s.width);
    bottom = std::min(bottom, s.height);
    if (right <= left) return;
    for (int y = top; y < bottom; ++y) std::fill(s.row(y) + left, s.row(y) + right, colour);
}

// Text on an opaque ground: the cells it covers are filled first.
void text(Surface& s, int x, int y, const char* str) {
    const int width = static_cast<int>(std::strlen(str)) * BitmapFont::kCellWidth;
    fill(s, x, y, x + width, y + BitmapFont::kCellHeight, kGraphGround);
    drawText(s, x, y, str, textFont);
}

bool ofCurrentGame(const LogEntry& e) {
    return e.status != LogStatus::Free && e.gameIndex == table.gameIndex;
}

}  // namespace

void drawGraph(Surface& surface) {
    fill(surface, 0, 0, surface.width, surface.height, kGraphGround);

    char title[96];
    std::snprintf(title, sizeof title, "Completion %% for %s", currentGame ? currentGame->name : "");
    text(surface, 10, 2, title);

    for (int x = kGraphLeft; x <= kGraphRight; x += kGraphColumnStep)
        fill(surface, x, kGraphTop, x + 1, kGraphBottom + 1, kGraphGridColour);
    for (int n = 100, y = kGraphTop; n >= 0; n -= 10, y += kGraphRowStep) {
        char label[8];
        std::snprintf(label, sizeof label, "%3u%%", static_cast<unsigned>(n));
        text(surface, 5, y - 5, label);
        fill(surface, kGraphLeft, y, kGraphRight + 1, y + 1, kGraphGridColour);
    }

    // The deals are counted now, not when the window opened: after a change
    // of game or a newly logged deal, the bars are still the last 50 deals
    // of the game named in the title, and never run past the grid.
    int total = 0;
    for (const LogEntry& e : gameLog)
        if (ofCurrentGame(e)) ++total;
    int played = 0, completedSum = 0, x = kGraphFirstBarX;
    for (const LogEntry& e : gameLog) {
        if (!ofCurrentGame(e)) continue;
        ++played;
        if (e.status == LogStatus::Completed) completedSum -= 2 * 100;
        if (total - played < kGraphMostBars) {
            fill(surface, x, kGraphBottom + completedSum / played, x + kGraphBarWidth, kGraphBottom,
                 kGraphBarColour);
            x += kGraphColumnStep;
        }
    }
}

}  // namespace korvat::view
