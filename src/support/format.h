// printf-style formatting of message texts with typed arguments.
//
// Message formats come from string tables that the packaging supplies, so the formatter never trusts
// them: "%s" takes a text and "%d" a number as the platform's wide formatting does, and a conversion
// whose argument is missing or of the other kind is copied as it stands instead of reading anything.
//
//   formatText(L"Cannot load %s (error %d).", {path, 193});
#pragma once

#include <cstdint>
#include <initializer_list>

#include "support/text.h"

class FormatArg {
public:
    FormatArg(const Text& text) : text_(&text) {}
    FormatArg(const wchar_t* text) : literal_(text) {}
    FormatArg(std::int32_t number) : number_(number), isNumber_(true) {}
    FormatArg(std::uint32_t number) : number_(static_cast<std::int32_t>(number)), isNumber_(true) {}
    // Windows error codes arrive as DWORD (unsigned long); the formats take them as 32 bits.
    FormatArg(long number) : number_(static_cast<std::int32_t>(number)), isNumber_(true) {}
    FormatArg(unsigned long number) : number_(static_cast<std::int32_t>(number)), isNumber_(true) {}

    bool isNumber() const { return isNumber_; }
    std::int32_t number() const { return number_; }
    Text text() const { return text_ ? *text_ : Text(literal_ ? literal_ : L""); }

private:
    const Text* text_ = nullptr;
    const wchar_t* literal_ = nullptr;
    std::int32_t number_ = 0;
    bool isNumber_ = false;
};

// Supports flags "-+ 0#", width and precision (digits or "*" is not supported), and the conversions
// d i u x X c s %. "%S" and "%ls" are texts too.
Text formatText(const Text& format, std::initializer_list<FormatArg> args);
