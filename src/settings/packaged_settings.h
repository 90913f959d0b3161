// The packaged settings: INI text that the packaging stored enciphered in two RCDATA resources. 9000
// holds the pass phrase of 8000 (enciphered with the "Upgrade Code"); 8000 holds the INI text.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/layered_ini_store.h"

constexpr int kPassPhraseResource = 9000;
constexpr int kSettingsResource = 8000;

// Text in the thread's ANSI code page, as pass phrases are hashed.
std::string narrowText(const Text& text);

// Deciphers `bytes` in place with the RC4 key that the Base provider derives from the MD5 hash of
// `passPhrase`; the bytes stay as they are when no key can be derived.
void decipherWithProvider(std::vector<unsigned char>& bytes, const std::string& passPhrase);

// RCDATA `id` of `module` (null: the executable) deciphered with `passPhrase` through the Base
// cryptographic provider and read as UTF-16LE. Empty when the resource is missing; the bytes as they
// stand when no key can be derived; an odd last byte is dropped.
Text loadEncipheredResource(int id, const std::string& passPhrase, HMODULE module = nullptr);

// Both stages: 9000 deciphered with `upgradeCode`, then 8000 with that text. Empty when missing.
Text loadPackagedSettings(const Text& upgradeCode, HMODULE module = nullptr);

// loadPackagedSettings of the executable, deciphered once per process.
Text executablePackagedSettings(const Text& upgradeCode);

// The INI file `iniPath` (the one beside the executable) over the executable's packaged settings
// deciphered with `upgradeCode`. Every reader builds its own store; only the deciphered text is shared.
LayeredIniStore openLayeredStore(const Text& iniPath, const Text& upgradeCode);
