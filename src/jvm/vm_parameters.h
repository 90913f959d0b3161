// The "Virtual Machine Parameters" setting: cut into parameters, unquoted, memory shares resolved.
//
//   TextList options;
//   for (const Text& parameter : splitVmParameters(setting))
//       addVmParameter(parameter, figures, kBuildArithmetic, options, stackSize);
#pragma once

#include <cstdint>

#include "jvm/memory_share.h"
#include "support/text.h"

// Cuts at spaces outside double quotes. A quoted stretch ends at the next quote, or at two quotes in
// a row; a quote without a partner protects nothing. Runs of spaces separate; none gives nothing.
TextList splitVmParameters(const Text& text);

// Every quoted stretch loses its quotes ("-Dname=\"a b\"" gives "-Dname=a b"); a closing quote
// doubled leaves one quote; a quote without a partner stays.
Text unquoteOption(const Text& parameter);

// Unquotes `parameter`, rewrites a memory share, takes the stack size from a "-Xss" parameter (a
// later one wins) and appends the result to `options`.
void addVmParameter(const Text& parameter, const MemoryFigures& figures, MemoryArithmetic arithmetic,
                    TextList& options, std::uint64_t& javaThreadStackSize);
