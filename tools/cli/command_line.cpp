#include "tools/cli/command_line.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kStatusHelp = 0;
constexpr int kStatusUsage = 2;
constexpr const char* kEndOfOptions = "--";

// "-" alone is an operand by custom (standard input or output).
bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

ToolCommandLine::ToolCommandLine(int argc, char** argv, const char* usage) : usage_(usage) {
    program_ = argc > 0 ? argv[0] : "tool";
    program_ = program_.substr(program_.find_last_of('/') + 1);
    for (int i = 1; i < argc; ++i) args_.emplace_back(argv[i]);
    for (const std::string& arg : args_) {
        if (arg == kEndOfOptions) break;
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage_, stdout);
            std::exit(kStatusHelp);
        }
    }
}

bool ToolCommandLine::NextOption() {
    while (next_ < args_.size()) {
        const std::string& arg = args_[next_++];
        if (!optionsEnded_ && arg == kEndOfOptions) {
            optionsEnded_ = true;
        } else if (!optionsEnded_ && LooksLikeOption(arg)) {
            option_ = arg;
            return true;
        } else {
            operands_.push_back(arg);
        }
    }
    return false;
}

bool ToolCommandLine::Is(const char* name) const { return option_ == name; }

std::string ToolCommandLine::Value() {
    if (next_ >= args_.size() || LooksLikeOption(args_[next_])) Refuse("option " + option_ + " needs a value");
    return args_[next_++];
}

void ToolCommandLine::Refuse(const std::string& problem) const {
    std::fprintf(stderr, "%s: %s\n%s", program_.c_str(), problem.c_str(), usage_);
    std::exit(kStatusUsage);
}

void ToolCommandLine::RefuseOption() const { Refuse("unknown option " + option_); }

const std::vector<std::string>& ToolCommandLine::Operands(size_t least, size_t most) const {
    if (operands_.size() < least || operands_.size() > most) {
        Refuse(operands_.size() < least ? "missing operand" : "unexpected operand " + operands_[most]);
    }
    return operands_;
}
