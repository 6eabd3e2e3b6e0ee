#include "src/controlLogic.h"

#include <string>

namespace {

bool ReadSeconds(const std::string& text, uint32_t& seconds) {
    if (text.empty() || text.size() > 5) return false;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value < 1 || value > kHoldMostSeconds) return false;
    seconds = value;
    return true;
}

TEndCommand Invalid(const std::string& why) {
    TEndCommand command;
    command.Error = why;
    return command;
}

}  // namespace

TEndCommand ParseEndCommand(const std::vector<std::string>& args) {
    if (args.size() < 2) return Invalid("no switch");
    std::string word;
    for (char c : args[1]) {
        if (c != '/' && c != '-') word.push_back(c);
    }
    if (word.empty() || (word[0] != 'e' && word[0] != 'E')) return Invalid("not the end switch");
    std::string time;
    if (word.size() > 1) {
        if (word[1] != ':') return Invalid("unknown switch \"" + args[1] + "\"");
        time = word.substr(2);
        if (time.empty()) return Invalid("no seconds after \":\"");
    }
    if (args.size() > 2) {
        if (!time.empty() || args.size() > 3) return Invalid("too many arguments");
        time = args[2];
    }
    TEndCommand command;
    command.Valid = true;
    if (time.empty()) return command;
    if (!ReadSeconds(time, command.HoldSeconds)) {
        return Invalid("\"" + time + "\" is not a number of seconds from 1 to " + std::to_string(kHoldMostSeconds));
    }
    command.Timed = true;
    return command;
}
