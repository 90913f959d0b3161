// The launcher's own INI reading and writing against the system's private-profile functions, on
// generated files (seeded, so every run sees the same ones): every answer must be the system's.
#include <gtest/gtest.h>

#include <cwctype>
#include <random>

#include "harness.h"
#include "settings/ini_file.h"
#include "settings/ini_file_store.h"
#include "settings/ini_profile.h"

namespace {

// Under x86 emulation everything runs about four times slower: a quarter of the files there.
constexpr int kFiles = 10000 / VORNIC_TIME_FACTOR;
// Each answer of the system costs a file check under Wine: a sample of the possible questions per file.
constexpr size_t kQueriesPerFile = 8;

// Names from a small pool, so that sections and keys repeat, in other cases too.
const wchar_t* const kNames[] = {L"Java Runtime Environment", L"Application", L"JRE Path", L"Main Class", L"a",
                                 L"B", L"x y", L"k\x00E9y", L"\x00C5se", L"Cmd"};
// Units of values and of some names: separators, quotes, blanks of every kind the rules may treat
// as white space, and text beyond ASCII (that of a code page, and beyond it).
const wchar_t kAnsiUnits[] = L"ab Z09=;[]\"'\t.\\-\x00E9\x00DF\x00C5\x00A0\x001A\x000B\x000C";
const wchar_t kWideUnits[] = L"\x4E2D\x3000\x2003\x0085\x200B\x03A9\x1680\x2028";

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    int below(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }

    Text name() {
        Text name = kNames[below(static_cast<int>(std::size(kNames)))];
        for (wchar_t& unit : name) {
            if (unit < 128 && std::iswalpha(unit) && chance(20)) unit ^= 0x20;  // other case
        }
        return name;
    }

    Text blanks(bool wide) {
        static const wchar_t kBlanks[] = L" \t\x001A\x000B\x00A0";
        static const wchar_t kWideBlanks[] = L"\x3000\x2003\x0085\x1680";
        Text text;
        while (chance(30)) {
            text += wide && chance(30) ? kWideBlanks[below(static_cast<int>(std::size(kWideBlanks)) - 1)]
                                       : kBlanks[below(static_cast<int>(std::size(kBlanks)) - 1)];
        }
        return text;
    }

    Text value(bool wide) {
        Text text;
        const int length = below(12);
        for (int i = 0; i < length; ++i) {
            text += wide && chance(15) ? kWideUnits[below(static_cast<int>(std::size(kWideUnits)) - 1)]
                                       : kAnsiUnits[below(static_cast<int>(std::size(kAnsiUnits)) - 1)];
        }
        if (chance(15)) {
            const wchar_t quote = chance(50) ? L'"' : L'\'';
            text = quote + text + (chance(80) ? Text(1, quote) : Text());
        }
        return text;
    }

    Text lineBreak() {
        static const wchar_t* const kBreaks[] = {L"\r\n", L"\r\n", L"\r\n", L"\n", L"\r", L"\r\r\n", L"\n\n"};
        return kBreaks[below(static_cast<int>(std::size(kBreaks)))];
    }

    // A file's text and the section and key names it uses.
    Text file(bool wide, TextList& sections, TextList& keys) {
        Text text;
        const int lines = below(14);
        for (int i = 0; i < lines; ++i) {
            const int kind = below(100);
            if (kind < 20) {  // a header, now and then without its "]" or with text after it
                const Text header = chance(85) ? name() : value(wide);
                sections.push_back(header);
                text += blanks(wide) + L"[" + (chance(10) ? blanks(wide) : Text()) + header +
                        (chance(8) ? Text() : L"]" + (chance(10) ? value(wide) : Text()));
            } else if (kind < 75) {
                const Text key = chance(85) ? name() : value(wide);
                keys.push_back(key);
                text += blanks(wide) + key + blanks(wide) + L"=" + blanks(wide) + value(wide) + blanks(wide);
            } else if (kind < 82) {  // no "=": a key without a value
                const Text key = name();
                keys.push_back(key);
                text += blanks(wide) + key;
            } else if (kind < 88) {
                text += L";" + name() + L"=" + value(wide);
            } else if (kind < 94) {
                text += L"=" + value(wide);
            } else {
                text += blanks(wide);
            }
            if (i + 1 < lines || chance(70)) text += lineBreak();
        }
        return text;
    }

    Encoding encoding() { return static_cast<Encoding>(below(4)); }

private:
    std::mt19937 random_;
};

std::string encoded(const Text& text, Encoding encoding) {
    std::string bytes;
    const auto narrow = [&text](UINT codePage) {
        std::string out(static_cast<size_t>(text.size() * 4 + 1), '\0');
        out.resize(static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                                           out.data(), static_cast<int>(out.size()), nullptr,
                                                           nullptr)));
        return out;
    };
    switch (encoding) {
        case Encoding::Ansi:
            return narrow(CP_ACP);
        case Encoding::Utf8:
            return "\xEF\xBB\xBF" + narrow(CP_UTF8);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            bytes = encoding == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
            for (wchar_t unit : text) {
                const char low = static_cast<char>(unit & 0xFF);
                const char high = static_cast<char>((unit >> 8) & 0xFF);
                bytes += encoding == Encoding::Utf16Le ? low : high;
                bytes += encoding == Encoding::Utf16Le ? high : low;
            }
            return bytes;
    }
    return bytes;
}

Text systemValue(const Text& path, const Text& section, const Text& key) {
    Text buffer(65536, L'\0');
    const DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
    buffer.resize(copied);
    return buffer;
}

// The names a file uses, in other cases and with blanks around, and names it does not use.
struct Query {
    Text section;
    Text key;
};

std::vector<Query> queriesFor(Generator& generator, TextList sections, TextList keys) {
    sections.push_back(L"Missing");
    sections.push_back(L"");
    sections.push_back(L"  " + (sections.empty() ? Text() : sections.front()) + L"\t");
    keys.push_back(L"Nothing");
    keys.push_back(L" " + (keys.empty() ? Text(L"x") : keys.front()) + L" ");
    std::vector<Query> queries;
    for (size_t i = 0; i < kQueriesPerFile; ++i) {
        queries.push_back(Query{sections[generator.below(static_cast<int>(sections.size()))],
                                keys[generator.below(static_cast<int>(keys.size()))]});
    }
    return queries;
}

bool blankOnly(const Text& text) {
    for (wchar_t unit : text) {
        if (!isProfileBlank(unit)) return false;
    }
    return true;
}

std::string shown(const Text& text) {
    std::string out;
    for (wchar_t unit : text) {
        if (unit >= 32 && unit < 127) {
            out += static_cast<char>(unit);
        } else {
            char code[12];
            std::snprintf(code, sizeof code, "\\x%04X", static_cast<unsigned>(unit));
            out += code;
        }
    }
    return out;
}

// Every answer of the store on a file equals the system's, for names the file has, in other cases,
// with blanks around them, and missing; the section listing too.
TEST(IniDifferential, TheStoreAnswersAsTheSystemOnGeneratedFiles) {
    TempFolder folder;
    Generator generator(20261207);
    int compared = 0;
    int mismatches = 0;
    for (int i = 0; i < kFiles && mismatches < 20; ++i) {
        const Encoding encoding = generator.encoding();
        const bool wide = encoding != Encoding::Ansi;
        TextList sections;
        TextList keys;
        const Text text = generator.file(wide, sections, keys);
        // A new name each time: the system keeps recently read files in memory.
        const Text path = folder.path() + L"f" + std::to_wstring(i) + L".ini";
        ASSERT_TRUE(writeFileBytes(path, encoded(text, encoding)));

        const IniFileStore store(path);
        for (const Query& query : queriesFor(generator, sections, keys)) {
            Text ours = L"stale";
            store.getValue(query.section, query.key, ours);
            const Text system = systemValue(path, query.section, query.key);
            ++compared;
            if (ours != system) {
                ++mismatches;
                ADD_FAILURE() << "file " << i << " (encoding " << static_cast<int>(encoding) << "): ["
                              << shown(query.section) << "] " << shown(query.key) << ": ours \"" << shown(ours)
                              << "\", system's \"" << shown(system) << "\"\n" << shown(text);
            }
        }
        DeleteFileW(path.c_str());
    }
    EXPECT_EQ(compared, kFiles * static_cast<int>(kQueriesPerFile));
}

// A value written by the launcher reads back, through the system, exactly as one the system wrote
// into a copy of the same file; the file keeps its encoding.
TEST(IniDifferential, WritesReadBackAsTheSystemsOwn) {
    TempFolder folder;
    Generator generator(7);
    int mismatches = 0;
    for (int i = 0; i < kFiles / 20 && mismatches < 20; ++i) {
        const Encoding encoding = generator.encoding();
        const bool wide = encoding != Encoding::Ansi;
        TextList sections;
        TextList keys;
        const Text text = generator.file(wide, sections, keys);
        const Text theirs = folder.path() + L"s" + std::to_wstring(i) + L".ini";
        const Text ours = folder.path() + L"o" + std::to_wstring(i) + L".ini";
        const std::string bytes = encoded(text, encoding);
        ASSERT_TRUE(writeFileBytes(theirs, bytes) && writeFileBytes(ours, bytes));

        const Text section = generator.chance(70) && !sections.empty() ? sections[generator.below(static_cast<int>(sections.size()))]
                                                                       : generator.name();
        const Text key = generator.chance(70) && !keys.empty() ? keys[generator.below(static_cast<int>(keys.size()))] : generator.name();
        const Text value = generator.blanks(false) + L"C:\\Java\\" + generator.value(wide);
        if (blankOnly(section) || blankOnly(key)) continue;
        ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), theirs.c_str()));
        ASSERT_TRUE(writeIniValue(ours, section, key, value));

        sections.push_back(section);
        keys.push_back(key);
        for (const Query& query : queriesFor(generator, sections, keys)) {
            // Wine writes by saving the whole file again and drops the header of a section named "[]",
            // so that its lines join those before the first header; Windows, and the launcher, change
            // only the one line. Those lines are read through the empty section name alone.
            if (blankOnly(query.section)) continue;
            const Text expected = systemValue(theirs, query.section, query.key);
            const Text actual = systemValue(ours, query.section, query.key);
            if (expected != actual) {
                ++mismatches;
                ADD_FAILURE() << "file " << i << " after [" << shown(section) << "] " << shown(key) << "="
                              << shown(value) << ": [" << shown(query.section) << "] " << shown(query.key)
                              << " reads \"" << shown(actual) << "\", the system's write \"" << shown(expected)
                              << "\"\n" << shown(text);
            }
        }
        std::string written;
        ASSERT_TRUE(readFileBytes(ours, written));
        const size_t mark = encoding == Encoding::Utf8 ? 3 : encoding == Encoding::Ansi ? 0 : 2;
        EXPECT_EQ(written.substr(0, mark), bytes.substr(0, mark)) << "file " << i;
    }
}

}  // namespace
