#include "tray/mode_command.h"

#include "common/text.h"

#include <optional>
#include <vector>

namespace tray {

namespace {

struct Word {
    std::string text;
    size_t end = 0;  // where it ends in the command line
};

// Words separated by blanks; quotes around a word (as a shortcut may add them) are dropped.
std::vector<Word> Words(const std::string& text) {
    std::vector<Word> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back({word, i});
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') quoted = !quoted;
        else word += c;
    }
    if (inWord) words.push_back({word, text.size()});
    std::erase_if(words, [](const Word& w) { return w.text.empty(); });
    return words;
}

// "/name" or "-name", the name in any case.
bool IsSwitch(const Word& word, const char* name) {
    const std::string& text = word.text;
    return text.size() > 1 && (text[0] == '/' || text[0] == '-') && common::AsciiUpper(text.substr(1)) == name;
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
    const std::vector<Word> words = Words(arguments);
    if (words.empty()) return {};
    const ModeCommand bad{ModeCommand::Kind::Bad};
    if (IsSwitch(words[0], "MODE") && words.size() >= 2) {
        std::optional<ModeCommand> command = Size(words[1].text);
        if (!command) return bad;
        size_t next = 2;
        if (next < words.size() && IsSwitch(words[next], "DISPLAY")) {
            const std::optional<int32_t> number = next + 1 < words.size() ? Number(words[next + 1].text) : std::nullopt;
            if (!number) return bad;
            command->display = *number;
            next += 2;
        }
        if (next < words.size() && IsSwitch(words[next], "RUN")) {
            if (next + 1 == words.size()) return bad;
            // The program's own arguments go to it as they were written, quotes and all.
            const Word& program = words[next + 1];
            command->program = program.text;
            const size_t start = arguments.find_first_not_of(" \t", program.end);
            if (start != std::string::npos) command->programArguments = arguments.substr(start);
            return *command;
        }
        return next == words.size() ? *command : bad;
    }
    if (words.size() != 1) return bad;
    if (IsSwitch(words[0], "MYMODE")) return {ModeCommand::Kind::MyMode};
    if (IsSwitch(words[0], "NATURAL")) return {ModeCommand::Kind::Natural};
    return bad;
}

}  // namespace tray
