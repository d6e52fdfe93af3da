#include "cli/options.h"

#include "cli/exit_codes.h"

#include <cstring>

namespace {

constexpr int kHelpColumn = 22; // where an option's help begins in the list
constexpr size_t kHelpWidth = 79;

const Option* FindOption(const Command& command, const char* name, size_t length) {
    for (size_t i = 0; i < command.optionCount; ++i) {
        const Option& option = command.options[i];
        if (std::strlen(option.name) == length && std::strncmp(option.name, name, length) == 0)
            return &option;
    }
    return nullptr;
}

bool IsHelp(const char* arg) {
    return std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0;
}

// The name of operand number index (0 the first) in the usage's words: "CODE" of
// "FILE CODE [INDEX [TEXT]]", the last word again for a list ("IMAGE|FOLDER" of
// "IMAGE|FOLDER...").
std::string OperandName(const char* operands, size_t index) {
    std::vector<std::string> words;
    std::string word;
    for (const char* c = operands;; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (*c == '\0') break;
        } else if (*c != '[' && *c != ']' && *c != '.') {
            word += *c;
        }
    }
    if (words.empty()) return "argument";
    return words[index < words.size() ? index : words.size() - 1];
}

std::string OptionUsage(const Option& option) {
    std::string text = std::string("--") + option.name;
    if (option.value != nullptr) text += std::string(" ") + option.value;
    return text;
}

// Takes the option at argv[i]: "--name", "--name=value" or "--name value". False, with why,
// when the table has no such option or its value is missing or not wanted.
bool TakeOption(const Command& command, int argc, char** argv, int& i, Arguments& args,
                std::string& why) {
    const char* arg = argv[i];
    const char* name = arg + 2;
    const char* equals = std::strchr(name, '=');
    const size_t length =
        equals != nullptr ? static_cast<size_t>(equals - name) : std::strlen(name);
    const Option* option = arg[1] == '-' ? FindOption(command, name, length) : nullptr;
    if (option == nullptr) {
        why = "unknown option " +
              std::string(arg, equals != nullptr ? equals : arg + std::strlen(arg));
        return false;
    }
    const std::string shown = "--" + std::string(option->name);
    const char* value = nullptr;
    if (option->value == nullptr) {
        if (equals != nullptr) {
            why = "option " + shown + " takes no value";
            return false;
        }
        value = "";
    } else if (equals != nullptr) {
        value = equals + 1;
    } else if (i + 1 < argc) {
        value = argv[++i];
    } else {
        why = "option " + shown + " needs a value (" + option->value + ")";
        return false;
    }
    if (*value == '\0' && option->value != nullptr) {
        why = "option " + shown + " is empty: it needs a value (" + option->value + ")";
        return false;
    }
    std::vector<const char*>& given = args.values[static_cast<size_t>(option - command.options)];
    if (!given.empty() && (option->flags & kRepeatable) == 0) {
        why = "option " + shown + " is given twice";
        return false;
    }
    given.push_back(value);
    return true;
}

} // namespace

ParseResult ParseArguments(const Command& command, int argc, char** argv, Arguments& args,
                           std::string& why) {
    args.command = &command;
    args.operands.clear();
    args.values.assign(command.optionCount, {});
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        // "-1" is a negative number, for the command to judge, and no option.
        if (optionsEnded || arg[0] != '-' || arg[1] == '\0' || (arg[1] >= '0' && arg[1] <= '9')) {
            args.operands.push_back(arg);
        } else if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (IsHelp(arg)) {
            return ParseResult::Help;
        } else if (!TakeOption(command, argc, argv, i, args, why)) {
            // A call that asks for help gets it, whatever else is wrong with it.
            for (int j = i + 1; j < argc && std::strcmp(argv[j], "--") != 0; ++j)
                if (IsHelp(argv[j])) return ParseResult::Help;
            return ParseResult::Wrong;
        }
    }
    for (size_t i = 0; i < command.optionCount; ++i) {
        if ((command.options[i].flags & kRequired) != 0 && args.values[i].empty()) {
            why = "missing option " + OptionUsage(command.options[i]);
            return ParseResult::Wrong;
        }
    }
    const size_t count = args.operands.size();
    if (count < command.minOperands) {
        why = "missing argument " + OperandName(command.operands, count);
        return ParseResult::Wrong;
    }
    if (command.maxOperands != kAnyCount && count > command.maxOperands) {
        why = std::string("unexpected argument ") + args.operands[command.maxOperands];
        return ParseResult::Wrong;
    }
    return ParseResult::Ok;
}

std::string Synopsis(const Command& command, size_t indent, size_t width) {
    std::vector<std::string> words = {std::string("inftool ") + command.name};
    if (command.operands[0] != '\0') words.push_back(command.operands);
    for (bool required : {true, false}) {
        for (size_t i = 0; i < command.optionCount; ++i) {
            const Option& option = command.options[i];
            if (((option.flags & kRequired) != 0) != required) continue;
            const char* more = (option.flags & kRepeatable) != 0 ? "..." : "";
            words.push_back(required ? OptionUsage(option) + more
                                     : "[" + OptionUsage(option) + "]" + more);
        }
    }
    const size_t hang = indent + words[0].size() + 1;
    std::string text = words[0];
    size_t column = indent + text.size();
    for (size_t i = 1; i < words.size(); ++i) {
        if (width != 0 && column + 1 + words[i].size() > width) {
            text += "\n" + std::string(hang, ' ') + words[i];
            column = hang + words[i].size();
        } else {
            text += " " + words[i];
            column += 1 + words[i].size();
        }
    }
    return text;
}

void PrintHelp(std::FILE* out, const Command& command) {
    std::fprintf(out, "usage: %s\n\n%s\n\n%s%soptions:\n",
                 Synopsis(command, std::strlen("usage: "), kHelpWidth).c_str(), command.summary,
                 command.details, command.details[0] != '\0' ? "\n" : "");
    for (size_t i = 0; i < command.optionCount; ++i) {
        const std::string usage = OptionUsage(command.options[i]);
        std::fprintf(out, "  %-*s %s\n", kHelpColumn - 3, usage.c_str(), command.options[i].help);
    }
    std::fprintf(out, "  %-*s %s\n", kHelpColumn - 3, "-h, --help", "prints this help");
}

int WrongCall(const Command& command, const std::string& why) {
    std::fprintf(stderr, "inftool %s: %s\n", command.name, why.c_str());
    PrintHelp(stderr, command);
    return kExitUsage;
}
