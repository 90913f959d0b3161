#include "app/command_line.h"

TextList argumentsOfCommandLine(const Text& commandLine) {
    TextList arguments;
    splitArguments(trimText(commandLine), arguments);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}
