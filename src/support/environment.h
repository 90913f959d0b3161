// The process environment, read whole however long a value is.
//
//   Text path;
//   if (readEnvironment(L"VORNIC_TRACE", path) && !path.empty()) ...
#pragma once

#include "support/text.h"

// False when `name` is not set (and `value` empty); true, with an empty value, for a variable that is
// set to nothing.
bool readEnvironment(const wchar_t* name, Text& value);
