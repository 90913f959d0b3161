// What the packaging adds to a copy of a program, written with the system's resource updater: the
// two enciphered settings stages and a string table.
//
//   PackagedResources resources;
//   resources.settings(L"{UPGRADE}", L"second stage", L"[Java Runtime Environment]\r\nMain Class=a.Main");
//   resources.strings[210] = L"No main class.";
//   ASSERT_TRUE(resources.writeInto(copyOfProgram));
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "settings/settings_cipher.h"
#include "support/utf16.h"

struct PackagedResources {
    std::map<int, Bytes> rcdata;                   // RCDATA id -> bytes
    std::map<int, std::map<LANGID, Bytes>> localized;  // RCDATA id -> language -> bytes
    std::map<unsigned, Text> strings;              // string-table id -> text (neutral language)
    std::map<int, Bytes> dialogs;                  // RT_DIALOG id -> template bytes (neutral language)

    // 9000: `secondPass` enciphered with `upgradeCode`; 8000: `iniText` enciphered with `secondPass`
    // (both pass phrases as the launcher narrows them).
    void settings(const Text& upgradeCode, const Text& secondPass, const Text& iniText);

    bool writeInto(const std::wstring& file) const;
};

// The bytes of `text` as UTF-16LE enciphered with the narrow form of `passPhrase`.
Bytes encipheredText(const Text& text, const Text& passPhrase);
