#include "play/game.h"
#include "shell/select_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/deck.h"
#include "model/gamelog.h"
#include "model/records.h"
#include "shell/program.h"

namespace korvat {

namespace {

constexpr DialogControl kSelectGameControls[] = {
    {ControlKind::PushButton, DialogId::Down, "&Down", 5, 65, 50, 15},
    {ControlKind::PushButton, DialogId::Up, "&Up", 75, 65, 50, 15},
    {ControlKind::PushButton, DialogId::Ok, "&OK", 5, 85, 50, 15},
    {ControlKind::PushButton, DialogId::Cancel, "&Cancel", 75, 85, 50, 15},
    {ControlKind::CentredText, -1, "Enter number from 0 to 4294967295", 5, 30, 119, 9},
    {ControlKind::Icon, 1107, "", 5, 5, 0, 0},
    {ControlKind::Icon, 1105, "", 105, 5, 0, 0},
    {ControlKind::Edit, DialogId::DealNumber, "", 41, 45, 47, 12},
};

constexpr DialogControl kLoggedGameControls[] = {
    {ControlKind::DefaultPushButton, DialogId::Ok, "OK", 45, 85, 50, 15},
    {ControlKind::ReadOnlyEdit, DialogId::LoggedNumber, "", 10, 10, 45, 13},
    {ControlKind::Edit, DialogId::Description, "", 70, 10, 60, 13},
    {ControlKind::ReadOnlyEdit, DialogId::Completion, "", 10, 40, 120, 13},
    {ControlKind::ScrollBar, DialogId::LogScroll, "", 5, 70, 130, 10},
    {ControlKind::GroupBox, -1, "Seed", 5, 0, 55, 30},
    {ControlKind::GroupBox, -1, "Game description", 65, 0, 70, 30},
    {ControlKind::GroupBox, -1, "Status", 5, 30, 130, 30},
};

std::string numberText(uint32_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(n));
    return text;
}

// Deals gameNumber of the current game: the table behind the dialog shows it at once.
void dealShown() {
    startGame(gameNumber);
    gameFileName.clear();
}

// The typed description goes into the shown entry, cut to what the log keeps.
void keepDescription(const LoggedGameControls& controls) {
    if (table.logIndex < 0 || table.logIndex >= kLogEntries) return;
    LogEntry& entry = gameLog[static_cast<size_t>(table.logIndex)];
    const size_t n = std::min(controls.description.size(), static_cast<size_t>(kDescriptionChars));
    std::memset(entry.description, 0, sizeof entry.description);
    std::memcpy(entry.description, controls.description.data(), n);
}

void showEntry(LoggedGameControls& controls) {
    const LogEntry& entry = gameLog[static_cast<size_t>(table.logIndex)];
    controls.description.assign(entry.description, strnlen(entry.description, sizeof entry.description));
    controls.number = numberText(entry.gameNumber);
    controls.completion = entry.status == LogStatus::Completed ? "Completed" : "Not completed";
}

// Makes the logged deal at that place among this game's logged deals the
// shown one, and deals it.
void goToLoggedDeal(LoggedGameControls& controls, int position) {
    table.logCursor = position;
    table.logIndex = nthLogEntry(position);
    controls.scroll.position = position;
    showEntry(controls);
    gameNumber = gameLog[static_cast<size_t>(table.logIndex)].gameNumber;
    dealShown();
}

}  // namespace

const DialogTemplate selectGameTemplate = {
    1400, "Select Game", "Times New Roman", 12, 132, 103, kSelectGameControls, std::size(kSelectGameControls)};

const DialogTemplate loggedGameTemplate = {
    1405, "Select logged game", "Fixedsys", 8, 140, 103, kLoggedGameControls, std::size(kLoggedGameControls)};

DialogResult selectGameDialog(SelectGameControls& controls, const DialogEvent& event) {
    if (event.kind == DialogEvent::Opening) {
        controls.number = numberText(gameNumber);
        return DialogResult::Stay;
    }
    if (event.kind != DialogEvent::Command) return DialogResult::Stay;
    switch (event.id) {
        case DialogId::Ok:
            gameNumber = readUnsigned(controls.number.c_str(), kDealNumberChars);
            dealShown();
            return DialogResult::Close;
        case DialogId::Up:
        case DialogId::Down:
            gameNumber += event.id == DialogId::Up ? 1u : 0xFFFFFFFFu;
            controls.number = numberText(gameNumber);
            dealShown();
            return DialogResult::Stay;
        case DialogId::Cancel: return DialogResult::Close;
        default: return DialogResult::Stay;
    }
}

DialogResult loggedGameDialog(LoggedGameControls& controls, const DialogEvent& event) {
    switch (event.kind) {
        case DialogEvent::Opening: {
            const int last = std::max(table.logMatchCount - 1, 0);
            controls.scroll = {0, last, 0};
            const int position = logPosition();
            if (nthLogEntry(std::max(position, 0)) < 0) return DialogResult::Close;  // nothing logged
            if (position < 0) {
                // The current deal is not logged: the first logged deal replaces it.
                goToLoggedDeal(controls, 0);
                return DialogResult::Stay;
            }
            table.logCursor = position;
            table.logIndex = nthLogEntry(position);
            controls.scroll.position = position;
            showEntry(controls);
            return DialogResult::Stay;
        }
        case DialogEvent::Command:
            // Escape and the close button leave the browser as OK does.
            if (event.id != DialogId::Ok && event.id != DialogId::Cancel) return DialogResult::Stay;
            keepDescription(controls);
            return DialogResult::Close;
        case DialogEvent::Scroll: {
            if (event.id != DialogId::LogScroll) return DialogResult::Stay;
            keepDescription(controls);
            const int last = std::max(table.logMatchCount - 1, 0);
            int p = table.logCursor;
            switch (event.request) {
                case ScrollRequest::LineLeft: p = std::max(p - 1, 0); break;
                case ScrollRequest::LineRight: p = std::min(p + 1, last); break;
                case ScrollRequest::PageLeft: p = 0; break;
                case ScrollRequest::PageRight: p = last; break;
                case ScrollRequest::ThumbTrack: p = std::clamp(event.thumb, 0, last); break;
                default: break;
            }
            if (nthLogEntry(p) < 0) return DialogResult::Stay;
            goToLoggedDeal(controls, p);
            return DialogResult::Stay;
        }
    }
    return DialogResult::Stay;
}

}  // namespace korvat
