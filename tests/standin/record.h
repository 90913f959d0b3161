// The stand-in's record file: one line per event, appended and flushed at once.
#pragma once

#include <string>

namespace standin {

// The path of a file beside jvm.dll.
std::wstring besideModule(const wchar_t* name);

// Appends "<what>: <value>" (or "<what>" when value is empty) as a UTF-8 line.
void record(const std::string& what, const std::string& value = std::string());

// UTF-16 to UTF-8, and back.
std::string toUtf8(const std::u16string& text);
std::string toUtf8(const std::wstring& text);
std::u16string fromUtf8(const std::string& text);

// The variable's value, or "<unset>".
std::string environmentValue(const wchar_t* name);

// Records the misuse and ends the process: tests see the line and a crash, never a quiet success.
[[noreturn]] void failLoudly(const std::string& what, const std::string& value);

}  // namespace standin
