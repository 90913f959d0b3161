// The packaged settings: INI text that the packaging stored enciphered in two RCDATA resources. 9000
// holds the pass phrase of 8000 (enciphered with the "Upgrade Code"); 8000 holds the INI text.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/layered_ini_store.h"
#include "texts/resource_ids.h"

// Text in the thread's ANSI code page, as pass phrases are hashed.
std::string narrowText(const Text& text);

// RCDATA `id` of `module` (null: resourceModule()) deciphered with the RC4 key the Base cryptographic
// provider derives from `passPhrase`, and read as UTF-16LE. Empty when the resource is missing; an odd
// last byte is dropped.
Text loadEncipheredResource(int id, const std::string& passPhrase, HMODULE module = nullptr);

// Both stages: 9000 deciphered with `upgradeCode`, then 8000 with that text. Empty when missing.
Text loadPackagedSettings(const Text& upgradeCode, HMODULE module = nullptr);

// The INI file `iniPath` (the one beside the executable) over the executable's packaged settings
// deciphered with `upgradeCode`. Every reader builds its own store and deciphers the text again: that
// takes microseconds now that no cryptographic provider is involved.
LayeredIniStore openLayeredStore(const Text& iniPath, const Text& upgradeCode);
