#include "cli/history_commands.h"

#include <unistd.h>

#include "cli/arguments.h"
#include "cli/session.h"
#include "model/catalogue.h"
#include "shell/history_recorder.h"
#include "store/history.h"
#include "store/history_stats.h"

namespace korvat::cli {

HistoryScope::~HistoryScope() {
    if (active) historyRecorder::end();
}

void HistoryScope::open(const std::string& path, bool logRead) {
    if (path.empty()) return;
    active = true;
    historyRecorder::begin(path, historyRecorder::Mode::Batch, logRead);
}

bool HistoryScope::close() {
    if (!active) return true;
    active = false;
    return historyRecorder::end();
}

int statsCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Arguments arguments(args, 1, {{"--history", true}, {"--game", true}, {"--json", false}});
    if (!arguments.plain.empty()) throw BadInput{"unexpected argument '" + arguments.plain[0] + "'"};
    const std::string* named = arguments.value("--history");
    if (named && named->empty()) throw BadInput{"--history needs a file name"};
    const std::string path = named ? *named : history::defaultPath();
    const std::string* gameText = arguments.value("--game");
    const int game = gameText ? gameIdArgument(*gameText) : 0;

    // A history that is not there has no deals; asking does not make one.
    std::vector<history::Result> results;
    if (::access(path.c_str(), F_OK) == 0) {
        history::Database db;
        std::string error;
        if (db.open(path, 5000, error) != history::Outcome::Done || !db.readResults(results, error)) {
            std::fprintf(err, "korvat-cli: %s\n", escapedLine("cannot read the history " + path + ": " + error).c_str());
            return 1;
        }
    }
    const history::Statistics statistics = history::computeStatistics(results);
    const history::Figures& figures = game ? statistics.of(game) : statistics.all;
    const GameEntry* entry = game ? &gameCatalogue()[static_cast<size_t>(findGameRow(game))] : nullptr;
    if (arguments.has("--json")) {
        std::string json = "{\"game\":";
        if (entry) {
            json += std::to_string(game) + ",\"name\":";
            appendJsonString(json, entry->name);
        } else {
            json += "null";
        }
        json += ',';
        json.append(history::figuresJson(figures), 1);
        std::fprintf(out, "%s\n", json.c_str());
        return 0;
    }
    if (entry)
        std::fprintf(out, "%s (%d)\n", entry->name, game);
    else
        std::fprintf(out, "All games\n");
    for (const history::FigureLine& line : history::figureLines(figures))
        std::fprintf(out, "%-24s%s\n", line.label, line.value.c_str());
    return 0;
}

}  // namespace korvat::cli
