// korvat-cli's reading of options, numbers, game ids and preferences.
#include "cli/arguments.h"

#include <algorithm>

#include "model/catalogue.h"

namespace korvat::cli {

Arguments::Arguments(const std::vector<std::string>& args, size_t first, std::vector<Option> options) {
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help") throw HelpAsked{};
        const auto option = std::find_if(options.begin(), options.end(), [&](const Option& o) { return o.name == a; });
        if (option != options.end()) {
            if (!option->takesValue) {
                given_.emplace_back(a, "");
            } else {
                if (i + 1 >= args.size()) throw BadInput{a + " needs a value"};
                given_.emplace_back(a, args[++i]);
            }
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            throw BadInput{"unknown option '" + a + "'"};
        } else {
            plain.push_back(a);
        }
    }
}

std::vector<Option> sessionOptions(std::initializer_list<Option> more) {
    std::vector<Option> options{{"--unlimit", false}, {"--pref", true}, {"--answer", true}};
    options.insert(options.end(), more);
    return options;
}

bool Arguments::has(std::string_view option) const { return value(option) != nullptr; }

const std::string* Arguments::value(std::string_view option) const {
    for (auto g = given_.rbegin(); g != given_.rend(); ++g)
        if (g->first == option) return &g->second;
    return nullptr;
}

std::vector<std::string> Arguments::values(std::string_view option) const {
    std::vector<std::string> out;
    for (const auto& [name, value] : given_)
        if (name == option) out.push_back(value);
    return out;
}

bool Arguments::number(std::string_view option, int64_t lowest, int64_t highest, int64_t& out) const {
    bool given = false;
    for (const std::string& text : values(option)) {
        out = numberArgument(option, text, lowest, highest);
        given = true;
    }
    return given;
}

bool Arguments::decimal(std::string_view option, int64_t lowest, int64_t highest, int64_t& out) const {
    bool given = false;
    for (const std::string& text : values(option)) {
        if (!parseDecimal(text, lowest, highest, out)) {
            const auto written = [](int64_t t) {
                std::string w = std::to_string(t / 1000);
                if (t % 1000) {
                    w += '.' + std::to_string(1000 + t % 1000).substr(1);
                    while (w.back() == '0') w.pop_back();
                }
                return w;
            };
            throw BadInput{std::string(option) + " takes a number from " + written(lowest) + " to " + written(highest) +
                           ", such as 1.5"};
        }
        given = true;
    }
    return given;
}

bool parseDecimal(std::string_view text, int64_t lowest, int64_t highest, int64_t& out) {
    const size_t point = text.find('.');
    int64_t whole = 0, part = 0;
    if (!parseNumber(text.substr(0, point), 0, highest / 1000 + 1, whole)) return false;
    if (point != std::string_view::npos) {
        const std::string_view digits = text.substr(point + 1);
        if (digits.empty() || digits.size() > 3 || !parseNumber(digits, 0, 999, part)) return false;
        for (size_t n = digits.size(); n < 3; ++n) part *= 10;
    }
    out = whole * 1000 + part;
    return out >= lowest && out <= highest;
}

bool parseNumber(std::string_view text, int64_t lowest, int64_t highest, int64_t& out) {
    const bool negative = lowest < 0 && !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) return false;
    // Digits past the range's end stop the reading, so nothing overflows.
    const uint64_t limit = negative ? static_cast<uint64_t>(-lowest) : static_cast<uint64_t>(std::max<int64_t>(highest, 0));
    uint64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > limit) return false;
    }
    out = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return out >= lowest && out <= highest;
}

int64_t numberArgument(std::string_view option, const std::string& text, int64_t lowest, int64_t highest) {
    int64_t v = 0;
    if (!parseNumber(text, lowest, highest, v))
        throw BadInput{std::string(option) + " takes a number from " + std::to_string(lowest) + " to " +
                       std::to_string(highest)};
    return v;
}

uint32_t gameNumberArgument(const std::string& text) {
    int64_t v = 0;
    if (!parseNumber(text, 0, 0xFFFFFFFFll, v)) throw BadInput{"not a game number (0..4294967295): '" + text + "'"};
    return static_cast<uint32_t>(v);
}

int gameIdArgument(const std::string& text) {
    int64_t id = 0;
    if (!parseNumber(text, 0, 100000, id) || findGameRow(static_cast<int>(id)) < 0)
        throw BadInput{"no game has the command id '" + text + "'"};
    return static_cast<int>(id);
}

std::pair<const PreferenceKey*, int32_t> preferenceArgument(const std::string& text) {
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const PreferenceKey* key = eq == std::string::npos ? nullptr : findPreferenceKey(name.c_str());
    if (!key) throw BadInput{"unknown preference '" + name + "'"};
    const std::string value = text.substr(eq + 1);
    int64_t v = 0;
    if (!parseNumber(value, key->lowest, key->highest, v))
        throw BadInput{"the preference " + name + " cannot be '" + value + "'"};
    if (key->field == &Preferences::LastGame) gameIdArgument(value);
    // A switch may be written as its unsigned value ("%u"): it is the same bits.
    return {key, static_cast<int32_t>(static_cast<uint32_t>(v))};
}

}  // namespace korvat::cli
