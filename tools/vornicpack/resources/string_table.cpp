#include "resources/string_table.h"

#include "pe/byte_io.h"
#include "texts/language_texts.h"
#include "project/settings_split.h"
#include "texts/text_codec.h"

namespace {

const char* kindName(ArgKind kind) { return kind == ArgKind::Text ? "a text (%s)" : "a number (%d)"; }

}  // namespace

const std::vector<MessageDefinition>& messageDefinitions() {
    static const std::vector<MessageDefinition> messages = [] {
        std::vector<MessageDefinition> all;
        for (const MessageArguments& arguments : kMessageArguments) {
            const wchar_t* text = L"";
            for (const MessageText& entry : englishTexts().messages)
                if (entry.id == arguments.id) text = entry.text;
            all.push_back({arguments.id, arguments.formatted,
                           std::vector<ArgKind>(arguments.kinds, arguments.kinds + arguments.count), text});
        }
        return all;
    }();
    return messages;
}

const MessageDefinition* findMessage(unsigned id) {
    for (const MessageDefinition& message : messageDefinitions())
        if (message.id == id) return &message;
    return nullptr;
}

std::map<unsigned, Text> defaultMessageTexts() {
    std::map<unsigned, Text> texts;
    for (const MessageDefinition& message : messageDefinitions()) texts[message.id] = message.text;
    return texts;
}

std::map<unsigned, Text> defaultMessageTexts(const LanguageTexts& language) {
    // A message a language leaves out is filled from English, so that every block is whole.
    std::map<unsigned, Text> texts = defaultMessageTexts();
    for (const MessageText& entry : language.messages) texts[entry.id] = entry.text;
    return texts;
}

bool formatArguments(const Text& format, std::vector<ArgKind>& kinds, std::string& error) {
    kinds.clear();
    std::vector<ArgKind> found;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        const std::size_t start = i++;
        while (i < format.size() && Text(L"-+ 0#").find(format[i]) != Text::npos) ++i;
        while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') ++i;
        if (i < format.size() && format[i] == L'.') {
            ++i;
            while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') ++i;
        }
        bool wide = false;
        if (i < format.size() && (format[i] == L'l' || format[i] == L'w')) {
            wide = true;
            ++i;
        }
        const wchar_t conversion = i < format.size() ? format[i] : L'\0';
        const std::string spec = encodeUtf8(format.substr(start, i + 1 - start));
        if (conversion == L'%' && !wide) continue;
        if (conversion == L's' || conversion == L'S') {
            found.push_back(ArgKind::Text);
        } else if (!wide && Text(L"diuxXc").find(conversion) != Text::npos && conversion != L'\0') {
            found.push_back(ArgKind::Number);
        } else {
            error = conversion == L'\0' ? "ends with a lone \"%\" (write \"%%\" for a percent sign)"
                                        : "uses \"" + spec + "\", which the launcher does not format (use %s for a "
                                          "text, %d for a number, %% for a percent sign)";
            return false;
        }
    }
    kinds = std::move(found);
    return true;
}

bool checkMessageText(const MessageDefinition& message, const Text& text, std::string& error) {
    if (utf16Length(text) > 65535) {
        error = "is longer than a string table allows (65535 units)";
        return false;
    }
    if (!message.formatted) return true;
    std::vector<ArgKind> kinds;
    if (!formatArguments(text, kinds, error)) return false;
    if (kinds.size() > message.args.size()) {
        error = "has " + std::to_string(kinds.size()) + " conversions, but the launcher passes only " +
                std::to_string(message.args.size()) + " argument" + (message.args.size() == 1 ? "" : "s");
        return false;
    }
    for (std::size_t i = 0; i < kinds.size(); ++i)
        if (kinds[i] != message.args[i]) {
            error = "takes " + std::string(kindName(kinds[i])) + " as argument " + std::to_string(i + 1) +
                    ", but the launcher passes " + kindName(message.args[i]);
            return false;
        }
    return true;
}

namespace {

// "Strings" is the neutral language's section; "Strings de", "Strings pt-BR" are the others'.
const LanguageTexts* languageOfSection(const Text& name, bool& isStrings) {
    isStrings = false;
    if (name.size() < 7 || !equalsNoCase(name.substr(0, 7), L"Strings")) return nullptr;
    if (name.size() == 7) {
        isStrings = true;
        return &englishTexts();
    }
    if (name[7] != L' ') return nullptr;
    isStrings = true;
    return findLanguage(encodeUtf8(name.substr(8)));
}

std::string knownTags() {
    std::string tags;
    for (const LanguageTexts* language : knownLanguages())
        if (language->resourceLanguage) tags += (tags.empty() ? "" : ", ") + std::string(language->tag);
    return tags;
}

// `lines` holds the line each id of the language was first given on: a repeat would silently
// replace it, where the settings refuse a repeated key.
bool readStringsSection(const IniSection& section, std::map<unsigned, Text>& texts,
                        std::map<unsigned, std::size_t>& lines, std::string& error) {
    for (const IniPair& pair : section.pairs) {
        const std::string where = "line " + std::to_string(pair.line) + ": ";
        unsigned id = 0;
        bool digits = !pair.key.empty() && pair.key.size() <= 5;
        for (const wchar_t unit : pair.key) {
            if (unit < L'0' || unit > L'9') digits = false;
            else id = id * 10 + static_cast<unsigned>(unit - L'0');
        }
        const MessageDefinition* message = digits ? findMessage(id) : nullptr;
        if (!message) {
            error = where + "\"" + encodeUtf8(pair.key) + "\" is not a message id of the launcher (202 to " +
                    std::to_string(messageDefinitions().back().id) + ")";
            return false;
        }
        if (const auto first = lines.find(id); first != lines.end()) {
            error = where + "message " + std::to_string(id) + " appears again in [" + encodeUtf8(section.name) +
                    "] (first on line " + std::to_string(first->second) + "): give each text once";
            return false;
        }
        lines[id] = pair.line;
        Text value;
        for (std::size_t i = 0; i < pair.value.size(); ++i) {
            if (pair.value[i] == L'\\' && i + 1 < pair.value.size() && pair.value[i + 1] == L'n') {
                value += L'\n';
                ++i;
            } else {
                value += pair.value[i];
            }
        }
        std::string problem;
        if (!checkMessageText(*message, value, problem)) {
            error = where + "the text of message " + std::to_string(id) + " " + problem;
            return false;
        }
        texts[id] = value;
    }
    return true;
}

}  // namespace

bool readStringsFile(const Text& fileText, UserTexts& userTexts, std::string& error) {
    std::vector<IniSection> sections;
    if (!parseSettingsText(fileText, sections, error)) return false;
    UserTexts read;
    std::map<std::string, std::map<unsigned, std::size_t>> lines;
    for (const IniSection& section : sections) {
        bool isStrings = false;
        const LanguageTexts* language = languageOfSection(section.name, isStrings);
        if (!language) {
            error = "line " + std::to_string(section.line) + ": " +
                    (isStrings ? "[" + encodeUtf8(section.name) + "] names no language the packer knows (" +
                                     knownTags() + ")"
                               : "unknown section [" + encodeUtf8(section.name) +
                                     "]; the strings file holds [Strings] and [Strings LANGUAGE]");
            return false;
        }
        if (!readStringsSection(section, read[language->tag], lines[language->tag], error)) return false;
    }
    if (read.empty()) {
        error = "the strings file has no [Strings] section";
        return false;
    }
    userTexts = std::move(read);
    return true;
}

bool applyStringsFile(const Text& fileText, std::map<unsigned, Text>& texts, std::string& error) {
    UserTexts userTexts;
    if (!readStringsFile(fileText, userTexts, error)) return false;
    for (const auto& [id, text] : userTexts[englishTexts().tag]) texts[id] = text;
    return true;
}

std::vector<Resource> buildStringTables(const std::map<unsigned, Text>& texts, std::uint16_t language) {
    std::map<unsigned, std::vector<Text>> blocks;
    for (const auto& [id, text] : texts) {
        auto& block = blocks[id / 16 + 1];
        block.resize(16);
        block[id % 16] = text;
    }
    std::vector<Resource> resources;
    for (const auto& [number, strings] : blocks) {
        Resource resource;
        resource.type = ResourceName::of(kTypeString);
        resource.name = ResourceName::of(static_cast<std::uint16_t>(number));
        resource.language = language;
        for (const Text& text : strings) {
            const Bytes units = toUtf16Le(text);
            appendLe16(resource.data, static_cast<std::uint16_t>(units.size() / 2));
            resource.data.insert(resource.data.end(), units.begin(), units.end());
        }
        resources.push_back(std::move(resource));
    }
    return resources;
}

std::map<unsigned, Text> readStringTables(const std::vector<Resource>& resources, std::uint16_t language) {
    std::map<unsigned, Text> texts;
    for (const Resource& resource : resources) {
        if (!(resource.type == ResourceName::of(kTypeString)) || !resource.name.isId() || resource.name.id == 0 ||
            resource.language != language)
            continue;
        std::size_t at = 0;
        for (unsigned index = 0; index < 16 && at + 2 <= resource.data.size(); ++index) {
            const std::size_t length = getLe16(resource.data.data(), at);
            at += 2;
            if (at + 2 * length > resource.data.size()) break;
            if (length) texts[(resource.name.id - 1u) * 16 + index] = fromUtf16Le(resource.data.data() + at, 2 * length);
            at += 2 * length;
        }
    }
    return texts;
}
