#include "replay/ReplayScript.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace corvane::replay {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

template <typename Int>
std::optional<Int> ParseInteger(const std::string& word, Int low, Int high) {
    int64_t value = 0;
    const char* begin = word.data();
    const char* end = begin + word.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (begin == end || ec != std::errc() || stop != end || value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<Int>(value);
}

std::optional<double> ParseDecimal(const std::string& word, double low, double high) {
    double value = 0.0;
    const char* begin = word.data();
    const char* end = begin + word.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [stop, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (begin == end || ec != std::errc() || stop != end || !std::isfinite(value) || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Builds the line from its words, or says what is wrong with them.
class LineParser {
  public:
    explicit LineParser(std::vector<std::string> words) : words_(std::move(words)) {}

    ParsedLine Parse() {
        const std::string& verb = words_[0];
        if (verb == "airport") {
            return Fixed(Verb::Airport, 1, "airport IDENT", [&] { line_.name = words_[1]; });
        }
        if (verb == "station") {
            if (!Between(0, 1, "station [ID]")) {
                return Error();
            }
            line_.verb = Verb::Station;
            line_.id = kDefaultStationId;
            if (words_.size() == 2 && !PlayerId(words_[1])) {
                return Error();
            }
            return Done();
        }
        if (verb == "player") {
            return Fixed(Verb::Player, 2, "player CALLSIGN ID", [&] {
                line_.name = words_[1];
                PlayerId(words_[2]);
            });
        }
        if (verb == "leave") {
            return Fixed(Verb::Leave, 1, "leave CALLSIGN", [&] { line_.name = words_[1]; });
        }
        if (verb == "start") {
            return Fixed(Verb::Start, 0, "start", [] {});
        }
        if (verb == "stop") {
            return Fixed(Verb::Stop, 0, "stop", [] {});
        }
        if (verb == "close") {
            return Fixed(Verb::Close, 0, "close", [] {});
        }
        if (verb == "auto") {
            return Fixed(Verb::Auto, 1, "auto on|off", [&] {
                if (words_[1] == "on" || words_[1] == "off") {
                    line_.on = words_[1] == "on";
                } else {
                    error_ = "auto takes on or off, not '" + words_[1] + "'";
                }
            });
        }
        if (verb == "tick") {
            if (!Between(0, 1, "tick [N]")) {
                return Error();
            }
            line_.verb = Verb::Tick;
            if (words_.size() == 2) {
                const auto n = ParseInteger<int32_t>(words_[1], 0, kMaxTicksPerLine);
                if (!n) {
                    error_ = "the tick count must be a whole number from 0 to " +
                             std::to_string(kMaxTicksPerLine) + ", not '" + words_[1] + "'";
                    return Error();
                }
                line_.count = *n;
            }
            return Done();
        }
        if (verb == "dump") {
            return Fixed(Verb::Dump, 1, "dump CALLSIGN|station", [&] { line_.name = words_[1]; });
        }
        if (verb == "from") {
            return From();
        }
        if (verb == "set") {
            return Fixed(Verb::Set, 3, "set CALLSIGN altitude FEET", [&] {
                line_.name = words_[1];
                const auto feet = ParseInteger<int32_t>(words_[3], -100000, 10000000);
                if (words_[2] != "altitude") {
                    error_ = "set takes altitude, not '" + words_[2] + "'";
                } else if (!feet) {
                    error_ = "the altitude must be whole feet from -100000 to 10000000, not '" +
                             words_[3] + "'";
                } else {
                    line_.altitudeFt = *feet;
                }
            });
        }
        error_ = "unknown command '" + verb + "'";
        return Error();
    }

  private:
    ParsedLine From() {
        if (words_.size() < 3) {
            error_ = "usage: from CALLSIGN WHAT ...";
            return Error();
        }
        line_.verb = Verb::From;
        line_.name = words_[1];
        const std::string what = words_[2];
        const size_t args = words_.size() - 3;
        const auto exactly = [&](size_t n, const char* usage) {
            if (args != n) {
                error_ = std::string("usage: from CALLSIGN ") + usage;
            }
            return args == n;
        };
        if (what == "present") {
            line_.sent = Sent::Present;
            if (args > 1) {
                error_ = "usage: from CALLSIGN present [ID]";
            } else if (args == 1) {
                PlayerId(words_[3]);
            }
        } else if (what == "alive") {
            line_.sent = Sent::Alive;
            exactly(0, "alive");
        } else if (what == "rollcall") {
            line_.sent = Sent::RollCall;
            exactly(0, "rollcall");
        } else if (what == "removed") {
            line_.sent = Sent::Removed;
            exactly(0, "removed");
        } else if (what == "info") {
            line_.sent = Sent::Info;
            if (exactly(2, "info ENGINE \"TITLE\"")) {
                const auto engine = ParseInteger<int16_t>(words_[3], INT16_MIN, INT16_MAX);
                if (!engine) {
                    error_ =
                        "the engine code must be a 16-bit whole number, not '" + words_[3] + "'";
                } else {
                    line_.engine = *engine;
                    line_.text = words_[4];
                }
            }
        } else if (what == "pos" || what == "pos18") {
            line_.sent = what == "pos" ? Sent::Pos : Sent::Pos18;
            if (exactly(4, "pos LAT LON ALTFT TRUEHDG")) {
                Position();
            }
        } else if (what == "chat") {
            line_.sent = Sent::Chat;
            if (exactly(1, "chat \"TEXT\"")) {
                line_.text = words_[3];
            }
        } else if (what == "raw") {
            line_.sent = Sent::Raw;
            if (args == 0) {
                error_ = "usage: from CALLSIGN raw HEX";
            }
            std::string hex;
            for (size_t i = 3; i < words_.size(); ++i) {
                hex += words_[i];
            }
            Raw(hex);
        } else {
            error_ = "unknown message '" + what +
                     "' (present, alive, rollcall, info, pos, pos18, chat, removed, raw)";
        }
        return error_.empty() ? Done() : Error();
    }

    void Position() {
        const auto lat = ParseDecimal(words_[3], -90.0, 90.0);
        const auto lon = ParseDecimal(words_[4], -360.0, 360.0);
        const auto alt = ParseInteger<int32_t>(words_[5], -100000, 10000000);
        const auto heading = ParseInteger<int16_t>(words_[6], INT16_MIN, INT16_MAX);
        if (!lat) {
            error_ = "the latitude must be a decimal from -90 to 90, not '" + words_[3] + "'";
        } else if (!lon) {
            error_ = "the longitude must be a decimal from -360 to 360, not '" + words_[4] + "'";
        } else if (!alt) {
            error_ =
                "the altitude must be whole feet from -100000 to 10000000, not '" + words_[5] + "'";
        } else if (!heading) {
            error_ = "the heading must be whole degrees, not '" + words_[6] + "'";
        } else {
            line_.latitude = *lat;
            line_.longitude = *lon;
            line_.altitudeFt = *alt;
            line_.trueHeading = *heading;
        }
    }

    void Raw(const std::string& hex) {
        if (!error_.empty()) {
            return;
        }
        if (hex.size() % 2 != 0) {
            error_ = "raw bytes need an even number of hexadecimal digits";
            return;
        }
        for (size_t i = 0; i < hex.size(); i += 2) {
            const int high = HexDigit(hex[i]);
            const int low = HexDigit(hex[i + 1]);
            if (high < 0 || low < 0) {
                error_ = "'" + hex.substr(i, 2) + "' is not a hexadecimal byte";
                return;
            }
            line_.raw.push_back(static_cast<uint8_t>(high * 16 + low));
        }
    }

    bool PlayerId(const std::string& word) {
        const auto id = ParseInteger<int32_t>(word, INT32_MIN, INT32_MAX);
        if (!id || *id == 0) {
            error_ = "a player id must be a 32-bit whole number other than 0, not '" + word + "'";
            return false;
        }
        line_.id = *id;
        return true;
    }

    bool Between(size_t low, size_t high, const char* usage) {
        const size_t args = words_.size() - 1;
        if (args < low || args > high) {
            error_ = std::string("usage: ") + usage;
            return false;
        }
        return true;
    }

    template <typename Fill>
    ParsedLine Fixed(Verb verb, size_t args, const char* usage, Fill fill) {
        if (!Between(args, args, usage)) {
            return Error();
        }
        line_.verb = verb;
        fill();
        return error_.empty() ? Done() : Error();
    }

    ParsedLine Done() { return {line_, ""}; }
    ParsedLine Error() { return {std::nullopt, error_}; }

    std::vector<std::string> words_;
    ReplayLine line_;
    std::string error_;
};

}  // namespace

std::optional<std::vector<std::string>> SplitWords(std::string_view text, std::string& error) {
    std::vector<std::string> words;
    size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            return words;
        }
        std::string word;
        if (text[i] != '"') {
            while (i < text.size() && !IsBlank(text[i])) {
                word += text[i++];
            }
            words.push_back(std::move(word));
            continue;
        }
        ++i;  // the opening quote
        bool closed = false;
        while (i < text.size()) {
            const char c = text[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\') {
                if (i == text.size() || (text[i] != '"' && text[i] != '\\')) {
                    error = "only \\\" and \\\\ may follow a backslash in quotes";
                    return std::nullopt;
                }
                word += text[i++];
            } else {
                word += c;
            }
        }
        if (!closed) {
            error = "a quoted text is not closed";
            return std::nullopt;
        }
        if (i < text.size() && !IsBlank(text[i])) {
            error = "a blank must follow a closing quote";
            return std::nullopt;
        }
        words.push_back(std::move(word));
    }
}

ParsedLine ParseReplayLine(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
        ++first;
    }
    if (first == text.size() || text[first] == '#') {
        return {};
    }
    std::string error;
    auto words = SplitWords(text, error);
    if (!words) {
        return {std::nullopt, error};
    }
    return LineParser(std::move(*words)).Parse();
}

}  // namespace corvane::replay
