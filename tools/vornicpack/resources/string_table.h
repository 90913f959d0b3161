// The launcher's messages: every id it uses, the arguments it passes to each, and a default English
// text, built into string-table blocks. Replacement texts are checked against the arguments, because
// the launcher formats them printf-style and a conversion without its argument would read memory it
// was never given.
//
//   std::map<unsigned, Text> texts = defaultMessageTexts();
//   if (!applyStringsFile(stringsText, texts, error)) ...
//   for (Resource& block : buildStringTables(texts)) putResource(resources, std::move(block));
#pragma once

#include <map>
#include <string>
#include <vector>

#include "pe/resource_tree.h"
#include "texts/resource_ids.h"
#include "support/text.h"

struct MessageDefinition {
    unsigned id;
    // False for texts that are shown or passed on as they stand: "%" means nothing in them.
    bool formatted;
    std::vector<ArgKind> args;
    const wchar_t* text;
};

const std::vector<MessageDefinition>& messageDefinitions();
const MessageDefinition* findMessage(unsigned id);
// The English texts, and a language's texts (English where it has none).
std::map<unsigned, Text> defaultMessageTexts();
struct LanguageTexts;
std::map<unsigned, Text> defaultMessageTexts(const LanguageTexts& language);

// The argument kinds the conversions of `format` consume, in order. False for a conversion the
// launcher's formatter does not read the same way everywhere ("%hs", "%*d", "%n", "%f", a lone "%").
bool formatArguments(const Text& format, std::vector<ArgKind>& kinds, std::string& error);

// True when `text` takes no more arguments than `message` passes, each of the kind passed.
bool checkMessageText(const MessageDefinition& message, const Text& text, std::string& error);

// The user's replacement texts by language tag ("en" for the neutral [Strings] section).
using UserTexts = std::map<std::string, std::map<unsigned, Text>>;

// Reads a strings file: [Strings] for English, the neutral language, and [Strings TAG] ("Strings de")
// for another; keys are decimal ids, "\n" in a value is a line break. Refuses unknown ids, unknown
// languages and texts whose conversions differ from what the launcher passes.
bool readStringsFile(const Text& fileText, UserTexts& userTexts, std::string& error);

// Replaces `texts` with the [Strings] (English) texts of a strings file.
bool applyStringsFile(const Text& fileText, std::map<unsigned, Text>& texts, std::string& error);

// One RT_STRING resource per block of 16 ids (block id / 16 + 1), in the given resource language.
std::vector<Resource> buildStringTables(const std::map<unsigned, Text>& texts, std::uint16_t language = kLanguageNeutral);

// The texts of one language's string-table blocks, by id (for showing a packaged copy).
std::map<unsigned, Text> readStringTables(const std::vector<Resource>& resources,
                                          std::uint16_t language = kLanguageNeutral);
