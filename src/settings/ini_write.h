// The one place where the launcher writes an INI value (the runtime the user picked).
#pragma once

#include "support/text.h"

// Sets `key` in `section` of `file`. A file that does not exist yet is started as UTF-16 with a
// byte-order mark, so that a path in any script survives the round trip. False when nothing could
// be written (read-only folder, full disk, a file where a folder should be).
bool writeIniValue(const Text& file, const Text& section, const Text& key, const Text& value);
