// Runs a signing tool and gathers what it says: the packer signs through osslsigncode or the user's
// own command, and shows their message when they fail.
//
//   int exitCode = 0;
//   std::string output;
//   if (!runProgram({"osslsigncode", "sign", ...}, password, exitCode, output, error)) ...  // not started
//   if (exitCode != 0) ... output ...
#pragma once

#include <string>
#include <vector>

// `arguments[0]` is looked up on PATH. `input` (at most kMaxChildInput bytes, such as a password) is
// all the child reads on its standard input; it never appears on a command line. Standard output and
// error both go to `output`. False when the program cannot be started.
bool runProgram(const std::vector<std::string>& arguments, const std::string& input, int& exitCode,
                std::string& output, std::string& error);

// The command line as the system's shell reads it: /bin/sh -c, or cmd.exe /d /s /c on Windows.
bool runShellCommand(const std::string& commandLine, int& exitCode, std::string& output, std::string& error);

// A path quoted for that shell, so that spaces and quotes in it stay one argument.
std::string shellQuoted(const std::string& path);

inline constexpr std::size_t kMaxChildInput = 4096;
