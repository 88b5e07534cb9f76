#include "tray/mode_command.h"

#include "common/text.h"

#include <optional>
#include <vector>

namespace tray {

namespace {

// Words separated by blanks; quotes around a word (as a shortcut may add them) are dropped.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// A positive decimal number of at most five digits: no sign, no blanks, no other base.
std::optional<int32_t> Number(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value == 0) return std::nullopt;
    return value;
}

// "1280x1024" or "1280x1024x16" ('x' in either case).
std::optional<ModeCommand> Size(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == 'x' || c == 'X')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    ModeCommand command{ModeCommand::Kind::Mode};
    const auto width = Number(parts[0]), height = Number(parts[1]);
    if (!width || !height) return std::nullopt;
    command.width = *width;
    command.height = *height;
    if (parts.size() == 3) {
        const auto depth = Number(parts[2]);
        if (!depth) return std::nullopt;
        command.depth = *depth;
    }
    return command;
}

}  // namespace

ModeCommand ParseModeCommand(const std::string& arguments) {
    const std::vector<std::string> words = Words(arguments);
    if (words.empty()) return {};
    const ModeCommand bad{ModeCommand::Kind::Bad};
    const std::string& first = words[0];
    if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return bad;
    const std::string name = common::AsciiUpper(first.substr(1));
    if (name == "MODE" && words.size() == 2) return Size(words[1]).value_or(bad);
    if (name == "MODE" && words.size() == 4) {
        const std::string& option = words[2];
        const bool display = option.size() > 1 && (option[0] == '/' || option[0] == '-') &&
                             common::AsciiUpper(option.substr(1)) == "DISPLAY";
        std::optional<ModeCommand> command = Size(words[1]);
        const std::optional<int32_t> number = Number(words[3]);
        if (!display || !command || !number) return bad;
        command->display = *number;
        return *command;
    }
    if (words.size() != 1) return bad;
    if (name == "MYMODE") return {ModeCommand::Kind::MyMode};
    if (name == "NATURAL") return {ModeCommand::Kind::Natural};
    return bad;
}

}  // namespace tray
