// How korvat-cli reads its command lines: the options each command takes,
// numbers, game ids, game numbers and preferences, each checked one way with
// one message for every command. Bad input throws BadInput (exit status 2).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/preferences.h"

namespace korvat::cli {

// Bad input: reported as one line on standard error, exit status 2.
struct BadInput {
    std::string message;
};

// `--help` among the arguments: the usage is printed instead.
struct HelpAsked {};

// An option a command takes, and whether a value follows it.
struct Option {
    std::string_view name;
    bool takesValue;
};

// The options of every command that deals a game and plays actions on it
// (--unlimit, --pref KEY=VALUE, --answer yes|no), and a command's own.
std::vector<Option> sessionOptions(std::initializer_list<Option> more = {});

// A command line taken apart: the options given, with their values, and the
// plain arguments in order. Anything that starts with "--" and is not one of
// the command's options is bad input, as is an option without its value.
class Arguments {
public:
    Arguments(const std::vector<std::string>& args, size_t first, std::vector<Option> options);

    bool has(std::string_view option) const;
    // The value given last for the option, or null.
    const std::string* value(std::string_view option) const;
    // Every value given for the option, in order.
    std::vector<std::string> values(std::string_view option) const;
    // Whether a numeric option was given; every value it was given is
    // checked to lie in lowest..highest, and the last is `out`.
    bool number(std::string_view option, int64_t lowest, int64_t highest, int64_t& out) const;
    // The same for an option whose value may have a fractional part, such as
    // 1.5: `out` and the range in thousandths.
    bool decimal(std::string_view option, int64_t lowest, int64_t highest, int64_t& out) const;

    std::vector<std::string> plain;

private:
    std::vector<std::pair<std::string, std::string>> given_;
};

// The one parser of numbers: decimal digits, a minus sign only where the
// range has negative numbers, nothing else, within lowest..highest.
bool parseNumber(std::string_view text, int64_t lowest, int64_t highest, int64_t& out);

// A decimal in thousandths: digits, then maybe a point and at most three
// more digits, within lowest..highest (in thousandths).
bool parseDecimal(std::string_view text, int64_t lowest, int64_t highest, int64_t& out);

// The value of a numeric option, lowest..highest.
int64_t numberArgument(std::string_view option, const std::string& text, int64_t lowest, int64_t highest);
// A game number, 0..4294967295.
uint32_t gameNumberArgument(const std::string& text);
// The command id of a game of the catalogue.
int gameIdArgument(const std::string& text);
// KEY=VALUE, a preference by its korvat.ini key with a value it may take.
std::pair<const PreferenceKey*, int32_t> preferenceArgument(const std::string& text);

}  // namespace korvat::cli
