#include "shell/help.h"

#include <cstdio>
#include <cstring>

#include "model/catalogue.h"
#include "shell/menu.h"
#include "shell/rules_text.h"

namespace korvat {

namespace {

std::string escape(const char* text) {
    std::string out;
    for (const char* c = text; *c; ++c) {
        switch (*c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '\n': out += "<br>"; break;
            default: out += *c;
        }
    }
    return out;
}

std::string menuName(const char* text) {
    std::string name;
    for (const char* c = text; *c; ++c)
        if (*c != '&') name += *c;
    return name;
}

std::string link(const char* book, int context, const std::string& text) {
    char href[64];
    std::snprintf(href, sizeof href, "help:%s#%d", book, context);
    return std::string("<a href=\"") + href + "\">" + escape(text.c_str()) + "</a>";
}

const char* kStyle =
    "<style>body{font-family:'DejaVu Sans',sans-serif;} h1{font-size:16pt;} h2{font-size:12pt;margin-top:12px;}"
    " td{padding-right:16px;vertical-align:top;}</style>";

std::string contents() {
    std::string page = std::string("<html><head>") + kStyle + "</head><body><h1>Korvat</h1>";
    page +=
        "<p>Korvat plays 113 patience games. Every deal has a number: the same game with the same number always "
        "deals the same cards, so a deal can be played again, logged and saved.</p>"
        "<h2>Playing</h2>"
        "<p>Press the left button on a card to pick it up, with the cards lying on it where the pile allows; move "
        "the pointer and release the button over the pile where the cards should go. The pile that would take "
        "them is shown darkened. Cards that no pile takes go back where they came from.</p>"
        "<p>Press the stock to deal. Press an empty stock to redeal, as long as the game allows redeals. Press a "
        "face-down top card to turn it over. In the pairing games, press cards to select them; a group the game "
        "allows is discarded at once, and a selected card pressed again is deselected.</p>"
        "<p>The right button explains the rules of the pile under the pointer, or of the whole game on an empty "
        "part of the table; in the preferences it can play cards to the foundations instead.</p>"
        "<p><b>Undo</b> takes back the last action, <b>Auto</b> plays every card it can to the foundations, "
        "<b>Step</b> plays one. Page Up and Page Down deal the next and the previous game number. <b>Rules</b> "
        "opens the page of the game being played.</p>"
        "<p><b>Redo</b> makes again, in order, the actions Undo took back, until a new move is made. A double "
        "click on a card that can be picked up sends it to a foundation that takes it.</p>"
        "<h2>Keys</h2>"
        "<p>Ctrl+N or F2 New, Ctrl+O Open, Ctrl+S Save, Ctrl+R Restart, Ctrl+Z Undo, Ctrl+Y or Ctrl+Shift+Z Redo, "
        "F1 Rules, H Hint, Ctrl+Q Exit. The game can be played without the mouse: the arrow keys move a frame "
        "from pile to pile (and along the cards of a fanned pile), Space or Enter presses the framed pile as the "
        "mouse would, and once cards are picked up a second Space or Enter puts them down there; Escape puts "
        "them back.</p>"
        "<h2>The solver</h2>"
        "<p>For every game, the solver works out whether the deal on the table can still be won; the bar under "
        "the table says so, with the moves made and the time played. <b>Hint</b> shows the next move of a "
        "winning line, or the move the solver judges most promising when it has proven none (the bar then says "
        "it is not proven), <b>Demo</b> plays a winning line to the end (any key or press stops it), <b>Where "
        "did it go wrong?</b> finds the move that lost a deal that can no longer be won, and in the preferences "
        "<b>Winnable deals only</b> makes New, Page Up and Page Down deal only numbers the solver can win.</p>";
    page += "<p>" + link("korvat.hlp", 2, "Editing a game's piles") + "</p>";
    // The games, as the menus group them.
    const char* group = nullptr;
    const char* book = nullptr;
    for (int i = 0; i < kMainMenuSize; ++i) {
        const MenuEntry& e = kMainMenu[i];
        if (e.kind == MenuKind::Popup && e.depth == 0) group = e.text;
        if (e.kind == MenuKind::Popup && e.depth == 1 && group) {
            page += "<h2>" + escape(menuName(group).c_str()) + ": " + escape(menuName(e.text).c_str()) + "</h2><p>";
            book = nullptr;
        }
        if (e.kind == MenuKind::Command && e.depth == 2) {
            if (book) page += ", ";
            book = helpBookOf(e.id);
            page += link(book, e.id, menuName(e.text));
        }
    }
    page += "</p></body></html>";
    return page;
}

std::string editorPage() {
    std::string page = std::string("<html><head>") + kStyle + "</head><body><h1>Editing a game</h1>";
    page +=
        "<p>Every game is a list of piles with rules of their own, and each pile can be changed while you play. "
        "Turn on <b>Options, Edit mode</b>: a marker shows the pile being edited.</p>"
        "<table>"
        "<tr><td>Tab</td><td>the next pile (after the last, the first)</td></tr>"
        "<tr><td>Enter</td><td>the pile's fan: to the right, downward, squared</td></tr>"
        "<tr><td>Arrow keys</td><td>move the pile by half a card; past an edge it comes in at the other</td></tr>"
        "</table>"
        "<p><b>Options, Edit current pile</b> opens the game editor for the marked pile: how many of its cards lie "
        "face down, its size limit, which cards may be taken from it, how many may be placed at once, how cards "
        "are built on it by rank and by suit, and which card may start it when it is empty. OK deals the same "
        "game number again on the changed layout.</p>"
        "<p>Changes last until the program ends. A saved game keeps the changed layout.</p>";
    page += "<p>" + link("korvat.hlp", 1, "Contents") + "</p></body></html>";
    return page;
}

// Two piles belong to one group when they differ only in place, deal counts and start card.
bool sameGroup(const Pile& a, const Pile& b) {
    return a.fan == b.fan && a.acceptCount == b.acceptCount && a.rankBuild == b.rankBuild &&
           a.suitBuild == b.suitBuild && a.removal == b.removal && a.sizeLimit == b.sizeLimit && a.flags == b.flags &&
           (a.startCard == b.startCard || (a.startCard >= 0 && a.startCard <= 51 && b.startCard >= 0 && b.startCard <= 51));
}

std::string startText(int start) {
    static const char* ranks[] = {"ace", "two", "three", "four", "five", "six", "seven",
                                  "eight", "nine", "ten", "jack", "queen", "king"};
    static const char* suits[] = {"spades", "clubs", "hearts", "diamonds"};
    if (start >= 0 && start <= 51) return std::string("the ") + ranks[start >> 2] + " of " + suits[start & 3];
    switch (start) {
        case StartCard::AnyKing: return "a king";
        case StartCard::AnyAce: return "an ace";
        case StartCard::AnyQueen: return "a queen";
        case StartCard::FaceCard: return "a jack, queen or king";
        case StartCard::AnyCard: return "any card";
        default: return "";
    }
}

std::string gamePage(const GameEntry& game) {
    std::string page = std::string("<html><head>") + kStyle + "</head><body><h1>";
    const char* menuText = gameMenuText(game.commandId);
    page += escape(menuText ? menuName(menuText).c_str() : game.name) + "</h1>";
    const uint32_t f = game.ruleFlags;
    const int decks = deckSizeOf(f) / 52;
    page += decks == 1 ? "<p>One deck.</p>" : decks == 2 ? "<p>Two decks.</p>" : "<p>Four decks.</p>";
    RulesText rules;
    gameRules(game, rules);
    if (rules.text[0]) page += "<p>" + escape(rules.text) + "</p>";
    const int redeals = (f & GameRuleFlags::twoRedeals) ? 2 : (f & GameRuleFlags::oneRedeal) ? 1 : -1;
    const RulesContext context{redeals, false, false, false};
    for (int i = 0; i < game.pileCount;) {
        int n = 1;
        while (i + n < game.pileCount && sameGroup(game.layout[i], game.layout[i + n])) ++n;
        const Pile& p = game.layout[i];
        pileRules(p, context, rules);
        std::string caption = menuName(rules.caption);
        // "THIS IS A STOCK" reads better as a heading in lower case.
        for (char& c : caption) c = static_cast<char>(c >= 'A' && c <= 'Z' && &c != &caption[0] ? c - 'A' + 'a' : c);
        char heading[96];
        std::snprintf(heading, sizeof heading, "%s (%d pile%s)", caption.c_str(), n, n == 1 ? "" : "s");
        page += "<h2>" + escape(heading) + "</h2><p>";
        int dealt = 0, down = 0;
        for (int j = i; j < i + n; ++j) {
            dealt += game.layout[j].dealCount;
            down += game.layout[j].faceDownCount;
        }
        char deal[96];
        if (dealt == 0)
            std::snprintf(deal, sizeof deal, "Dealt no cards.");
        else
            std::snprintf(deal, sizeof deal, "Dealt %d card%s, %d face down.", dealt, dealt == 1 ? "" : "s", down);
        page += deal;
        std::string start = startText(p.startCard);
        if (!start.empty()) page += " An empty pile takes " + start + (n > 1 && p.startCard >= 0 && p.startCard <= 51 ? " (each its own)" : "") + ".";
        page += "<br>" + escape(rules.text) + "</p>";
        i += n;
    }
    page += "<p>" + link("korvat.hlp", 1, "Contents") + "</p></body></html>";
    return page;
}

}  // namespace

const char* helpBookOf(int commandId) {
    if (commandId >= 500 && commandId < 800) return "unique.hlp";
    if (commandId >= 800 && commandId < 900) return "onedeck.hlp";
    return "twodeck.hlp";
}

std::string helpPage(const std::string& book, int context) {
    if (book == "korvat.hlp" && context == 1) return contents();
    if (book == "korvat.hlp" && context == 2) return editorPage();
    int row = findGameRow(context);
    if (row >= 0 && book == helpBookOf(context)) return gamePage(gameCatalogue()[static_cast<size_t>(row)]);
    return std::string("<html><body><p>There is no such help page.</p><p>") + link("korvat.hlp", 1, "Contents") +
           "</p></body></html>";
}

}  // namespace korvat
