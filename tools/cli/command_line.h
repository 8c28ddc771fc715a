// The command line of a tool program. --help or -h prints the tool's usage on
// standard output and ends with status 0; an unknown option, an option without
// its value or a wrong number of operands prints the problem and the usage on
// standard error and ends with status 2. An argument that starts with "-" is
// never taken for a file name or a value; after "--" every argument is an
// operand, so a file whose name starts with "-" can still be named.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ToolCommandLine {
public:
    // Answers --help at once, wherever it stands before "--".
    ToolCommandLine(int argc, char** argv, const char* usage);

    bool NextOption();                          // steps to the next option; false once there are none left
    bool Is(const char* name) const;            // the current option is `name`
    std::string Value();                        // the current option's value, the argument after it
    [[noreturn]] void Refuse(const std::string& problem) const;   // problem and usage, status 2
    [[noreturn]] void RefuseOption() const;     // the current option is not one of the tool's

    // The arguments that are not options, once NextOption has returned false;
    // refused unless there are between `least` and `most` of them.
    const std::vector<std::string>& Operands(size_t least, size_t most) const;

private:
    std::vector<std::string> args_;
    std::vector<std::string> operands_;
    std::string program_;
    std::string option_;
    const char* usage_;
    size_t next_ = 0;
    bool optionsEnded_ = false;
};
