#include "string_table.h"

#include "byte_io.h"
#include "settings_split.h"
#include "text_codec.h"

namespace {

const char* kindName(ArgKind kind) { return kind == ArgKind::Text ? "a text (%s)" : "a number (%d)"; }

struct DefaultText {
    unsigned id;
    const wchar_t* text;
};

// The English text of every message; what each one is passed comes from the launcher's table.
const DefaultText kDefaultTexts[] = {
    {202, L"%s\n\nWindows error code: %d."},
    {203, L"%s\n\n%s"},
    {206,
     L"This application needs a Java runtime with the server virtual machine, %s, and none was found on this "
     L"computer.\n\nChoose the folder of such a runtime (the folder that holds \"bin\\server\\jvm.dll\"), "
     L"or install one and start the application again."},
    {207,
     L"This application needs a Java runtime, %s, and none was found on this computer.\n\nChoose the folder of "
     L"an installed runtime (the folder that holds \"bin\"), or install one and start the application again."},
    {208, L"The application could not determine the path of its own program file."},
    {209,
     L"The application's class path is empty: none of the files named by the \"Class Path\" setting exists.\n\n"
     L"Reinstall the application, or correct the \"Class Path\" setting."},
    {210,
     L"The setting \"Main Class\" in the section [Java Runtime Environment] is missing, so the application "
     L"cannot start.\n\nAdd it to the settings and package the application again."},
    {211,
     L"The main class \"%s\" could not be found.\n\nCheck the \"Main Class\" and \"Class Path\" settings, or "
     L"reinstall the application."},
    {212,
     L"The Java runtime's jvm.dll lacks a function the application needs; the runtime may be damaged or too "
     L"old. Choose another runtime or reinstall this one."},
    {213, L"The Java virtual machine could not be created."},
    {214, L"Choose the folder of a Java runtime"},
    {215,
     L"The main class \"%s\" could not be loaded.\n\nCheck the \"Main Class\" and \"Class Path\" settings, or "
     L"reinstall the application."},
    {216,
     L"The application's main class has no method \"public static void main(String[])\".\n\nCheck the \"Main "
     L"Class\" setting."},
    {217, L"of any version"},
    {218, L"of version %s or older"},
    {219, L"of version %s or newer"},
    {220, L"of version %s"},
    {221, L"of a version from %s to %s"},
    {222,
     L"The Java virtual machine library \"%s\" could not be loaded (Windows error code %d).\n\nA 64-bit "
     L"application needs a 64-bit runtime and a 32-bit application a 32-bit one; choose a matching runtime or "
     L"reinstall it."},
    {225, L"The runtime reported an unknown error (-1)."},
    {226, L"The runtime reported that the thread is detached (-2)."},
    {227, L"The runtime does not support the requested JNI version (-3); it may be too old."},
    {228,
     L"There is not enough memory for the Java virtual machine (-4). Close other programs, or lower the "
     L"memory settings in \"Virtual Machine Parameters\"."},
    {229, L"A Java virtual machine already exists in this process (-5)."},
    {230,
     L"The runtime rejected an option (-6). Check the \"Virtual Machine Parameters\" setting."},
    {232,
     L"The Java runtime \"%s\" has the other processor width, and so has the paired launcher that would "
     L"run it, so the application cannot start.\n\nChoose a runtime of this application's width, or "
     L"reinstall the application."},
    {233,
     L"The application's other launcher \"%s\" could not be started (Windows error code %d).\n\n"
     L"Reinstall the application."},
    {234,
     L"The application is already running, but this start could not hand its command line over to it.\n\n"
     L"Wait until it has started, or close it, and try again."},
    {235,
     L"To use a runtime that is installed, set \"JRE Path\" in [Java Runtime Environment] of \"%s\" to "
     L"its folder."},
    {236,
     L"The library \"%s\", which the Java virtual machine library \"%s\" needs, was not found on this "
     L"computer.\n\nA name that begins with \"vcruntime\" or \"msvcp\" belongs to the Microsoft Visual C++ "
     L"Redistributable: install it for this application's width (x64 or x86). For any other name, reinstall "
     L"the Java runtime."},
};

}  // namespace

const std::vector<MessageDefinition>& messageDefinitions() {
    static const std::vector<MessageDefinition> messages = [] {
        std::vector<MessageDefinition> all;
        for (const MessageArguments& arguments : kMessageArguments) {
            const wchar_t* text = L"";
            for (const DefaultText& entry : kDefaultTexts)
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

bool applyStringsFile(const Text& fileText, std::map<unsigned, Text>& texts, std::string& error) {
    std::vector<IniSection> sections;
    if (!parseSettingsText(fileText, sections, error)) return false;
    std::map<unsigned, Text> replaced = texts;
    bool seen = false;
    for (const IniSection& section : sections) {
        if (!equalsNoCase(section.name, L"Strings")) {
            error = "line " + std::to_string(section.line) + ": unknown section [" + encodeUtf8(section.name) +
                    "]; the strings file holds only [Strings]";
            return false;
        }
        seen = true;
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
            replaced[id] = value;
        }
    }
    if (!seen) {
        error = "the strings file has no [Strings] section";
        return false;
    }
    texts = std::move(replaced);
    return true;
}

std::vector<Resource> buildStringTables(const std::map<unsigned, Text>& texts) {
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
        for (const Text& text : strings) {
            const Bytes units = toUtf16Le(text);
            appendLe16(resource.data, static_cast<std::uint16_t>(units.size() / 2));
            resource.data.insert(resource.data.end(), units.begin(), units.end());
        }
        resources.push_back(std::move(resource));
    }
    return resources;
}

std::map<unsigned, Text> readStringTables(const std::vector<Resource>& resources) {
    std::map<unsigned, Text> texts;
    for (const Resource& resource : resources) {
        if (!(resource.type == ResourceName::of(kTypeString)) || !resource.name.isId() || resource.name.id == 0) continue;
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
