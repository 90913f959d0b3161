#include "project/settings_split.h"

#include <algorithm>
#include <cstdint>

#include "jvm/vm_parameters.h"
#include "project/runtime_download_checks.h"
#include "settings/setting_names.h"
#include "update/restart_guard.h"
#include "texts/text_codec.h"

namespace {

const wchar_t* const kProductSection = sectionName(SettingSection::Product);
const wchar_t* const kRuntimeSection = sectionName(SettingSection::Runtime);
const wchar_t* const kApplicationSection = sectionName(SettingSection::Application);

std::string quoted(const Text& text) { return "[" + encodeUtf8(text) + "]"; }

std::string atLine(std::size_t line) { return "line " + std::to_string(line) + ": "; }

Text lineEndsToCrLf(const std::vector<Text>& lines) {
    Text out;
    for (const Text& line : lines) out += line + L"\r\n";
    return out;
}

// The launcher matches the packaged text's section names and keys exactly: one of them written in
// another letter case would be read as missing.
bool checkNames(const IniSection& section, std::string& error) {
    for (const SectionName& known : kSectionNames) {
        if (known.besideOnly) continue;
        if (section.name != known.name && equalsNoCase(section.name, known.name)) {
            error = atLine(section.line) + "write the section " + quoted(section.name) + " as " +
                    quoted(known.name) + ": the launcher matches packaged section names exactly";
            return false;
        }
        if (section.name != known.name) continue;
        for (const IniPair& pair : section.pairs)
            for (const SettingName& name : kSettingNames)
                if (name.section == known.section && pair.key != name.key && equalsNoCase(pair.key, name.key)) {
                    error = atLine(pair.line) + "write the key \"" + encodeUtf8(pair.key) + "\" as \"" +
                            encodeUtf8(name.key) + "\": the launcher matches packaged keys exactly";
                    return false;
                }
    }
    return true;
}

bool checkDuplicates(const std::vector<IniSection>& sections, std::string& error) {
    for (std::size_t i = 0; i < sections.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (equalsNoCase(sections[i].name, sections[j].name)) {
                error = atLine(sections[i].line) + "the section " + quoted(sections[i].name) +
                        " appears again (first on line " + std::to_string(sections[j].line) +
                        "); the launcher reads only the first: merge them";
                return false;
            }
        const auto& pairs = sections[i].pairs;
        for (std::size_t k = 0; k < pairs.size(); ++k)
            for (std::size_t m = 0; m < k; ++m)
                if (equalsNoCase(pairs[k].key, pairs[m].key)) {
                    error = atLine(pairs[k].line) + "the key \"" + encodeUtf8(pairs[k].key) + "\" appears again in " +
                            quoted(sections[i].name) + " (first on line " + std::to_string(pairs[m].line) +
                            "); the launcher reads only the first";
                    return false;
                }
    }
    return true;
}

// Why the launcher would hand the runtime a size that makes no sense for this memory share, or an
// empty text when the share is sound. The launcher rewrites whatever it is given (skipping other
// characters, saturating long numbers), so the mistakes must be caught here, before they ship.
std::string memoryShareProblem(const Text& option, MemoryArithmetic arithmetic) {
    const Text body = option.substr(4, option.size() - 5);  // between "-Xmx" and the letter
    for (const wchar_t c : body)
        if ((c < L'0' || c > L'9') && c != L':')
            return "a share holds only digits and \":\" (percent[:lower MiB[:upper MiB]]), not a sign or other characters";
    const TextList parts = splitText(body, L":");
    if (parts.empty() || parts[0].empty()) return "the share has no digits: write it as percent[:lower MiB[:upper MiB]]";
    if (std::count(body.begin(), body.end(), L':') > 2)
        return "a share has at most three numbers: percent[:lower MiB[:upper MiB]]";
    // Saturates like the launcher's own reading, so that a number past 64 bits shows as the maximum.
    const std::vector<std::uint64_t> numbers = parseNumberList(body + L"P").numbers;
    const auto number = [&numbers](std::size_t i) -> std::uint64_t { return i < numbers.size() ? numbers[i] : 0; };
    const std::uint64_t share = number(0);
    const std::uint64_t lower = number(1);
    const std::uint64_t upper = number(2);
    const std::uint64_t limitKiB = arithmetic == MemoryArithmetic::Bits32 ? 0xFFFFFFFFull : ~0ull;
    const std::uint64_t limitMiB = limitKiB / 1024;
    const char* width = arithmetic == MemoryArithmetic::Bits32 ? "the 32-bit launcher" : "the 64-bit launcher";
    // Any base memory gives at most limitKiB / 1024 KiB, so a larger share could only ever saturate.
    if (share > 102400)
        return "the share " + encodeUtf8(parts[0]) + " is too large for " + width + ": its size would not fit";
    if (lower > limitMiB || upper > limitMiB)
        return std::string("a bound is too large for ") + width + ": at most " + std::to_string(limitMiB) + " MiB";
    if (share == 0 && lower == 0) return "a share of 0 without a lower bound gives a size of 0";
    if (option.compare(0, 4, L"-Xss") == 0) {
        // The runtime takes no thread stack above 1 GiB, and the stack is reserved in the launcher's
        // own address space.
        if (lower > 1024) return "a thread's stack can be at most 1024 MiB, and the lower bound asks for more";
        if (share >= 100 && (upper == 0 || upper > 1024))
            return "a thread's stack cannot take the whole memory: give an upper bound of at most 1024 MiB";
    }
    return std::string();
}

bool checkMemoryShares(const IniSection& section, MemoryArithmetic arithmetic, std::string& error) {
    if (!equalsNoCase(section.name, kRuntimeSection) && !equalsNoCase(section.name, Text(kRuntimeSection) + L"+"))
        return true;
    for (const IniPair& pair : section.pairs) {
        if (!equalsNoCase(pair.key, settingKey(Setting::VirtualMachineParameters))) continue;
        for (const Text& parameter : splitVmParameters(isBesideSection(section.name) ? profileValue(pair.value) : pair.value)) {
            const Text option = unquoteOption(parameter);
            if (!isMemoryShare(option)) continue;
            const std::string problem = memoryShareProblem(option, arithmetic);
            if (problem.empty()) continue;
            error = atLine(pair.line) + "the memory share \"" + encodeUtf8(option) + "\": " + problem;
            return false;
        }
    }
    return true;
}

const IniPair* findPair(const IniSection& section, const wchar_t* key) {
    for (const IniPair& pair : section.pairs)
        if (equalsNoCase(pair.key, key)) return &pair;
    return nullptr;
}

}  // namespace

bool parseSettingsText(const Text& text, std::vector<IniSection>& sections, std::string& error) {
    sections.clear();
    std::vector<IniSection> parsed;
    std::size_t lineNumber = 0;
    std::size_t at = !text.empty() && text[0] == L'\xFEFF' ? 1 : 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", at);
        if (end == Text::npos) end = text.size();
        const Text line = trimText(text.substr(at, end - at));
        ++lineNumber;
        if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++end;
        at = end + 1;

        if (line.empty() || line[0] == L';' || line[0] == L'#') continue;
        if (line[0] == L'[') {
            if (line.back() != L']') {
                error = atLine(lineNumber) + "a section header must end with \"]\"";
                return false;
            }
            IniSection section;
            section.name = line.substr(1, line.size() - 2);
            section.line = lineNumber;
            if (trimText(section.name).empty() || section.name != trimText(section.name)) {
                error = atLine(lineNumber) + "a section name must not be empty or begin or end with a space";
                return false;
            }
            parsed.push_back(std::move(section));
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (equals == Text::npos) {
            error = atLine(lineNumber) + "expected [Section], Key=Value or a comment starting with \";\"";
            return false;
        }
        if (parsed.empty()) {
            error = atLine(lineNumber) + "a Key=Value line must follow a [Section] header";
            return false;
        }
        IniPair pair{trimText(line.substr(0, equals)), trimText(line.substr(equals + 1)), lineNumber};
        if (pair.key.empty()) {
            error = atLine(lineNumber) + "the key before \"=\" is empty";
            return false;
        }
        parsed.back().pairs.push_back(std::move(pair));
    }
    sections = std::move(parsed);
    return true;
}

bool isBesideSection(const Text& name) {
    return equalsNoCase(name, kProductSection) || equalsNoCase(name, sectionName(SettingSection::Display)) ||
           (!name.empty() && name.back() == L'+');
}

Text profileValue(const Text& value) {
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

namespace {

bool hasMainClass(const std::vector<IniSection>& sections) {
    for (const IniSection& section : sections)
        if (section.name == kRuntimeSection)
            for (const IniPair& pair : section.pairs)
                if (pair.key == settingKey(Setting::MainClass) && !pair.value.empty()) return true;
    return false;
}

// What the packer needs of [Product Information]; an empty Upgrade Code gets the generated one,
// written beside the executable so that every later start finds the same.
void takeProductInformation(const IniSection& section, const Text& generatedUpgradeCode, SplitSettings& split,
                            std::vector<Text>& beside) {
    if (const IniPair* code = findPair(section, settingKey(Setting::UpgradeCode))) split.upgradeCode = profileValue(code->value);
    if (const IniPair* name = findPair(section, settingKey(Setting::ProductName))) split.productName = profileValue(name->value);
    if (const IniPair* version = findPair(section, settingKey(Setting::ProductVersion)))
        split.productVersion = profileValue(version->value);
    if (split.upgradeCode.empty()) {
        split.upgradeCode = generatedUpgradeCode;
        split.upgradeCodeGenerated = true;
        beside.push_back(Text(settingKey(Setting::UpgradeCode)) + L"=" + generatedUpgradeCode);
    }
}

}  // namespace

namespace {

bool isJavaIdentifier(const Text& name) {
    // ASCII only: the launcher hands the name to the runtime in the machine's ANSI code page.
    if (name.empty() || (name[0] >= L'0' && name[0] <= L'9')) return false;
    for (const wchar_t c : name)
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'$'))
            return false;
    return true;
}

}  // namespace

bool checkServiceSettings(const std::vector<IniSection>& sections, std::string& error) {
    for (const IniSection& section : sections) {
        if (section.name != kApplicationSection) continue;
        for (const IniPair& pair : section.pairs) {
            // The packaged text is read as written: no quotes are dropped, only the blanks around.
            const Text& value = pair.value;
            std::string rule;
            if (pair.key == settingKey(Setting::ApplicationType) && !value.empty() && value != L"service") {
                rule = "the launcher knows one type, the exact word service (in lower case); any other value runs "
                       "it as a plain program: write service, or leave the key out";
            } else if (pair.key == settingKey(Setting::StopTimeout) && !value.empty()) {
                // As the launcher reads it: up to five digits, 1 to 86400; anything else would be the default.
                bool digits = value.size() <= 5;
                std::uint32_t seconds = 0;
                for (const wchar_t c : value) {
                    digits = digits && c >= L'0' && c <= L'9';
                    if (digits) seconds = seconds * 10 + static_cast<std::uint32_t>(c - L'0');
                }
                if (!digits || seconds == 0 || seconds > 86400)
                    rule = "it is whole seconds from 1 to 86400 (digits only); the launcher would take 20 instead";
            } else if (pair.key == settingKey(Setting::StopMethod) && !value.empty() && !isJavaIdentifier(value)) {
                rule = "it is the name of a static method of the main class, such as shutdown: letters, digits, _ "
                       "and $ (ASCII), no dots or parentheses";
            }
            if (rule.empty()) continue;
            error = atLine(pair.line) + "\"" + encodeUtf8(pair.key) + "\" is \"" + encodeUtf8(value) + "\": " + rule;
            return false;
        }
    }
    return true;
}

bool checkRestartExitCode(const std::vector<IniSection>& sections, std::string& error) {
    for (const IniSection& section : sections) {
        if (section.name != kApplicationSection) continue;
        for (const IniPair& pair : section.pairs) {
            int code = 0;
            if (pair.key != settingKey(Setting::RestartExitCode) || pair.value.empty() || parseRestartExitCode(pair.value, code)) continue;
            error = atLine(pair.line) + "\"Restart Exit Code\" is \"" + encodeUtf8(pair.value) +
                    "\": it is a whole number (digits, an optional sign, 32 bits) other than 0, 1 and -1, which "
                    "mean a normal end, an exception in main and the launcher's own failure; the launcher would "
                    "never restart";
            return false;
        }
    }
    return true;
}

bool splitSettings(const std::vector<IniSection>& sections, const Text& generatedUpgradeCode, SplitSettings& out,
                   std::string& error, MemoryArithmetic arithmetic) {
    out = SplitSettings();
    if (!checkDuplicates(sections, error)) return false;
    for (const IniSection& section : sections)
        if (!checkNames(section, error) || !checkMemoryShares(section, arithmetic, error)) return false;
    if (!checkServiceSettings(sections, error) || !checkRestartExitCode(sections, error) ||
        !checkRuntimeDownload(sections, error)) {
        return false;
    }

    if (!hasMainClass(sections)) {
        error = "the settings give no \"Main Class\" in [Java Runtime Environment]; the launcher cannot start without it";
        return false;
    }

    SplitSettings split;
    std::vector<Text> packaged;
    std::vector<Text> beside;
    bool productSeen = false;
    for (const IniSection& section : sections) {
        if (!isBesideSection(section.name)) {
            if (!packaged.empty()) packaged.push_back(Text());
            packaged.push_back(L"[" + section.name + L"]");
            for (const IniPair& pair : section.pairs) packaged.push_back(pair.key + L"=" + pair.value);
            continue;
        }
        if (!beside.empty()) beside.push_back(Text());
        beside.push_back(L"[" + section.name + L"]");
        const bool isProduct = equalsNoCase(section.name, kProductSection);
        for (const IniPair& pair : section.pairs) {
            if (isProduct && equalsNoCase(pair.key, settingKey(Setting::UpgradeCode)) && profileValue(pair.value).empty()) continue;
            beside.push_back(pair.key + L"=" + pair.value);
        }
        if (!isProduct) continue;
        productSeen = true;
        takeProductInformation(section, generatedUpgradeCode, split, beside);
    }
    if (!productSeen) {
        split.upgradeCode = generatedUpgradeCode;
        split.upgradeCodeGenerated = true;
        std::vector<Text> product = {L"[" + Text(kProductSection) + L"]",
                                     Text(settingKey(Setting::UpgradeCode)) + L"=" + generatedUpgradeCode};
        if (!beside.empty()) product.push_back(Text());
        beside.insert(beside.begin(), product.begin(), product.end());
    }
    if (!isPrintableAscii(split.upgradeCode)) {
        error = "the Upgrade Code must be plain ASCII text (a GUID such as {6F9619FF-8B86-D011-B42D-00C04FC964FF}): "
                "the launcher hashes its bytes in the code page of the machine it runs on";
        return false;
    }
    split.packagedText = lineEndsToCrLf(packaged);
    split.besideText = lineEndsToCrLf(beside);
    out = std::move(split);
    return true;
}
