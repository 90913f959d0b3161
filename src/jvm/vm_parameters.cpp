#include "jvm/vm_parameters.h"

TextList splitVmParameters(const Text& text) {
    TextList parameters;
    std::size_t position = 0;
    while (position < text.size() && text[position] == L' ') ++position;
    while (position < text.size()) {
        std::size_t end = position;
        while (end < text.size() && text[end] != L' ') {
            if (text[end] == L'"') {
                const std::size_t close = text.find(L'"', end + 1);
                if (close != Text::npos) {
                    end = close + 1;
                    if (end < text.size() && text[end] == L'"') ++end;
                    continue;
                }
            }
            ++end;
        }
        parameters.push_back(text.substr(position, end - position));
        position = end;
        while (position < text.size() && text[position] == L' ') ++position;
    }
    return parameters;
}

Text unquoteOption(const Text& parameter) {
    Text result;
    result.reserve(parameter.size());
    std::size_t position = 0;
    while (position < parameter.size()) {
        const wchar_t c = parameter[position];
        if (c == L'"') {
            const std::size_t close = parameter.find(L'"', position + 1);
            if (close != Text::npos) {
                result.append(parameter, position + 1, close - position - 1);
                position = close + 1;
                if (position < parameter.size() && parameter[position] == L'"') {
                    result += L'"';
                    ++position;
                }
                continue;
            }
        }
        result += c;
        ++position;
    }
    return result;
}

void addVmParameter(const Text& parameter, const MemoryFigures& figures, MemoryArithmetic arithmetic,
                    TextList& options, std::uint64_t& javaThreadStackSize) {
    Text option = unquoteOption(parameter);
    if (isMemoryShare(option)) option = applyMemoryShare(option, figures, arithmetic);
    if (option.compare(0, 4, L"-Xss") == 0) javaThreadStackSize = parseStackSize(option.substr(4));
    options.push_back(std::move(option));
}
