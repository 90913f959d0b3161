// The registry walk over keys fed by a test registry: which keys each setting searches, what a
// version subkey needs to become a candidate, the bounds, the ranking and the choice, the vendor
// registrations, and the trace of every decision.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "runtime/registry_walk.h"
#include "support/trace.h"
#include "support/utf8.h"

namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

Text withoutTrailingBackslash(Text path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// Keys in the order written; a key's subkeys enumerate in the order they were first written.
class TestRegistry : public RegistryReader {
public:
    void set(RegistryRoot root, const Text& key, const wchar_t* value, const Text& data) {
        make(root, key).values[value] = data;
    }
    void makeKey(RegistryRoot root, const Text& key) { make(root, key); }

    bool subkeyNames(RegistryRoot root, const Text& key, TextList& names) override {
        ++opens;
        names.clear();
        const auto found = keys_.find(id(root, key));
        if (found == keys_.end()) return false;
        names = found->second.subkeys;
        return true;
    }

    bool valueData(RegistryRoot root, const Text& key, const wchar_t* name, Text& data) override {
        ++opens;
        data.clear();
        const auto found = keys_.find(id(root, key));
        if (found == keys_.end()) return false;
        const auto value = found->second.values.find(name);
        if (value == found->second.values.end()) return false;
        data = value->second;
        return true;
    }

    int opens = 0;

private:
    struct Key {
        TextList subkeys;
        std::map<Text, Text> values;
    };

    static Text id(RegistryRoot root, const Text& key) {
        return (root == kMachine ? L"M:" : L"U:") + withoutTrailingBackslash(key);
    }

    Key& make(RegistryRoot root, const Text& key) {
        const Text path = withoutTrailingBackslash(key);
        const std::size_t cut = path.rfind(L'\\');
        if (cut != Text::npos) {
            Key& parent = make(root, path.substr(0, cut));
            const Text name = path.substr(cut + 1);
            bool known = false;
            for (const Text& existing : parent.subkeys) known = known || existing == name;
            if (!known) parent.subkeys.push_back(name);
        }
        return keys_[id(root, path)];
    }

    std::map<Text, Key> keys_;
};

// Runtime folders by the VM variants they hold ("client", "server"), the width of their jvm.dll,
// and a few other files.
class TestFiles : public RuntimeFiles {
public:
    void runtime(const Text& home, std::vector<const wchar_t*> vms, bool otherWidth = false) {
        for (const wchar_t* vm : vms) {
            const Text library = home + L"bin\\" + vm + L"\\jvm.dll";
            files_.insert(library);
            if (otherWidth) otherWidth_.insert(library);
        }
    }
    void file(const Text& path, const std::string& content = "") { contents_[path] = content; }
    void environment(const wchar_t* name, const Text& value) { environment_[name] = value; }

    Text findJvmLibrary(const Text& home, JvmType type, bool* server) override {
        static const wchar_t* const serverOnly[] = {L"server"};
        static const wchar_t* const serverFirst[] = {L"server", L"client", L"classic", L"hotspot", L"jrockit"};
        static const wchar_t* const clientFirst[] = {L"client", L"classic", L"hotspot", L"server", L"jrockit"};
        const auto search = [&](const auto& order) {
            for (const wchar_t* vm : order) {
                const Text library = home + L"bin\\" + vm + L"\\jvm.dll";
                if (files_.count(library)) {
                    if (server) *server = Text(vm) == L"server";
                    return library;
                }
            }
            return Text();
        };
        if (type == JvmType::ServerOnly) return search(serverOnly);
        return type == JvmType::ServerFirst ? search(serverFirst) : search(clientFirst);
    }
    bool fileExists(const Text& path) override { return files_.count(path) || contents_.count(path); }
    bool readFile(const Text& path, std::string& bytes) override {
        const auto found = contents_.find(path);
        if (found == contents_.end()) return false;
        bytes = found->second;
        return true;
    }
    bool isOtherWidth(const Text& jvmLibrary) override { return otherWidth_.count(jvmLibrary) != 0; }
    Text environmentVariable(const wchar_t* name) override {
        const auto found = environment_.find(name);
        return found == environment_.end() ? Text() : found->second;
    }

private:
    std::set<Text> files_;
    std::set<Text> otherWidth_;
    std::map<Text, std::string> contents_;
    std::map<Text, Text> environment_;
};

// The settings as the settings loader leaves them for empty "JVM Source" and "VM Provider" and
// bounds "any".
SearchPreferences defaults() {
    SearchPreferences p;
    p.jdkWanted = true;
    p.jreWanted = true;
    p.maximumVersion.set(65535, 65535, 65535, 65535);
    return p;
}

JavaVersion bound(const wchar_t* text, std::int32_t fill) {
    JavaVersion v;
    v.parse(text, fill);
    return v;
}

void registerRuntime(TestRegistry& registry, int keyNumber, const Text& subkey, const Text& javaHome) {
    registry.set(kMachine, kRuntimeKeys[keyNumber - 1].path + subkey, L"JavaHome", javaHome);
}

// "version home" of each candidate, in ranked order.
std::vector<std::string> ranked(TestRegistry& registry, TestFiles& files, const SearchPreferences& p,
                                bool otherView = false) {
    const SearchPass pass{registry, files, p, otherView};
    CandidateList candidates;
    collectPassCandidates(pass, candidates);
    rankCandidates(candidates, p.favorMode, p.jvmType);
    std::vector<std::string> out;
    for (const RuntimeCandidate& c : candidates) {
        std::string line;
        for (int i = 0; i < 4; ++i) line += (i ? "." : "") + std::to_string(c.version.parts[i]);
        line += " " + encodeUtf8(c.home) + (c.server ? " server" : "") + (c.favored ? " favored" : "");
        out.push_back(line);
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(RegistryWalk, SettingsDecideWhichKeysCountAndHowTheirRuntimesRank) {
    // One machine with runtimes under keys 1 to 4, JRockit and IBM: newer ones under the modern
    // keys, a family subkey beside the full one under key 4, a JDK under key 3 whose runtime is in
    // its jre\ folder.
    TestRegistry registry;
    TestFiles files;
    registerRuntime(registry, 1, L"11.0.2", L"C:\\jdk11");
    files.runtime(L"C:\\jdk11\\", {L"server"});
    registerRuntime(registry, 2, L"17", L"C:\\jre17\\");
    files.runtime(L"C:\\jre17\\", {L"client"});
    registerRuntime(registry, 3, L"1.8.0_151", L"C:\\jdk8");
    files.runtime(L"C:\\jdk8\\jre\\", {L"client", L"server"});
    files.runtime(L"C:\\jdk8\\", {L"server"});  // never taken: key 3's runtime is the jre\ one
    registerRuntime(registry, 4, L"1.8.0_202", L"C:\\jre8");
    registerRuntime(registry, 4, L"1.8", L"C:\\jre8");
    files.runtime(L"C:\\jre8\\", {L"client", L"server"});
    registerRuntime(registry, 5, L"1.6", L"C:\\jrockit6");
    files.runtime(L"C:\\jrockit6\\", {L"jrockit"});
    registerRuntime(registry, 7, L"1.7", L"C:\\ibm7");
    files.runtime(L"C:\\ibm7\\", {L"classic"});

    struct Case {
        const char* what;
        SearchPreferences preferences;
        Lines expected;
    };
    SearchPreferences onlyJdk = defaults();
    onlyJdk.favorMode = false;
    onlyJdk.jreWanted = false;
    SearchPreferences favorServer = defaults();
    favorServer.jvmType = JvmType::ServerFirst;
    SearchPreferences serverOnly = defaults();
    serverOnly.jvmType = JvmType::ServerOnly;
    SearchPreferences anyProvider = defaults();
    anyProvider.acceptJRockit = anyProvider.acceptIbm = true;
    anyProvider.favorSun = false;
    SearchPreferences ibm = defaults();
    ibm.acceptSun = ibm.favorSun = false;
    ibm.acceptIbm = ibm.favorIbm = true;
    SearchPreferences unknownSource = defaults();
    unknownSource.favorMode = unknownSource.jdkWanted = unknownSource.jreWanted = false;
    const Case cases[] = {
        {"defaults: keys 3 and 4 first, even before newer runtimes; the full subkey before its family",
         defaults(),
         {"1.8.0.202 C:\\jre8\\ favored", "1.8.0.151 C:\\jdk8\\jre\\ favored", "1.8.0.0 C:\\jre8\\ favored",
          "17.0.0.0 C:\\jre17\\", "11.0.2.0 C:\\jdk11\\ server"}},
        // Key 3's runtime still carries its favour, but outside favor mode ranking ignores it.
        {"only_JDK: keys 1 and 3, favour ignored", onlyJdk,
         {"11.0.2.0 C:\\jdk11\\ server", "1.8.0.151 C:\\jdk8\\jre\\ favored"}},
        // Key 4 is probed client first, so its runtime counts as a client one although it has a
        // server VM; key 3's is probed server first.
        {"favor_server: server VMs first among equal favour", favorServer,
         {"1.8.0.151 C:\\jdk8\\jre\\ server favored", "1.8.0.202 C:\\jre8\\ favored", "1.8.0.0 C:\\jre8\\ favored",
          "11.0.2.0 C:\\jdk11\\ server", "17.0.0.0 C:\\jre17\\"}},
        {"server: only runtimes with a server VM", serverOnly,
         {"1.8.0.202 C:\\jre8\\ server favored", "1.8.0.151 C:\\jdk8\\jre\\ server favored",
          "1.8.0.0 C:\\jre8\\ server favored", "11.0.2.0 C:\\jdk11\\ server"}},
        {"any provider: JRockit and IBM too, nothing favored", anyProvider,
         {"17.0.0.0 C:\\jre17\\", "11.0.2.0 C:\\jdk11\\ server", "1.8.0.202 C:\\jre8\\", "1.8.0.151 C:\\jdk8\\jre\\",
          "1.8.0.0 C:\\jre8\\", "1.7.0.0 C:\\ibm7\\", "1.6.0.0 C:\\jrockit6\\"}},
        {"ibm: only key 7", ibm, {"1.7.0.0 C:\\ibm7\\ favored"}},
        {"an unknown JVM Source: no key qualifies", unknownSource, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ranked(registry, files, c.preferences), c.expected) << c.what;
    }
}

TEST(RegistryWalk, BoundsAndSubkeyNamesDecideWhichVersionsAreProbed) {
    TestRegistry registry;
    TestFiles files;
    for (const wchar_t* name : {L"1.8.0_151", L"1.8", L"1.9", L"9", L"1.7", L"1.6.0_45", L"latest"}) {
        registerRuntime(registry, 4, name, Text(L"C:\\rt\\") + name);
        files.runtime(Text(L"C:\\rt\\") + name + L"\\", {L"client"});
    }
    struct Case {
        const char* what;
        const wchar_t* minimum;  // as the settings loader parses them
        const wchar_t* maximum;
        Lines expectedVersions;
    };
    const Case cases[] = {
        {"1.7 to 1.8: every 1.8 update passes, 1.9 and 9 do not", L"1.7", L"1.8",
         {"1.8.0.151", "1.8.0.0", "1.7.0.0"}},
        // A subkey without digits reads as 0.0.0.0 and passes a minimum of 0.0.0.0.
        {"no bounds", L"", L"any", {"9.0.0.0", "1.9.0.0", "1.8.0.151", "1.8.0.0", "1.7.0.0", "1.6.0.45", "0.0.0.0"}},
        // An empty or digitless maximum leaves 0.0.0.0, which bounds nothing.
        {"all-zero maximum", L"1.8", L"", {"9.0.0.0", "1.9.0.0", "1.8.0.151", "1.8.0.0"}},
        {"maximum ANY (not the word)", L"", L"ANY",
         {"9.0.0.0", "1.9.0.0", "1.8.0.151", "1.8.0.0", "1.7.0.0", "1.6.0.45", "0.0.0.0"}},
        {"maximum 11", L"9", L"11", {"9.0.0.0"}},
    };
    for (const Case& c : cases) {
        SearchPreferences p = defaults();
        p.minimumVersion = bound(c.minimum, 0);
        p.maximumVersion = Text(c.maximum) == L"any" ? bound(L"65535.65535.65535.65535", 0) : bound(c.maximum, 65535);
        Lines versions;
        for (const std::string& line : ranked(registry, files, p)) versions.push_back(line.substr(0, line.find(' ')));
        EXPECT_EQ(versions, c.expectedVersions) << c.what;
    }
}

TEST(RegistryWalk, PreferredVersionsPickInTheirOwnOrder) {
    CandidateList ranked(2);
    ranked[0].version.set(1, 8, 0, 151);
    ranked[1].version.set(1, 7, 0, 80);
    struct Case {
        TextList preferred;
        std::size_t expected;
        bool byPreference;
    };
    const Case cases[] = {
        {{}, 0, false},
        {{L"1.7", L"1.8"}, 1, true},
        {{L"1.8", L"1.7"}, 0, true},
        {{L"", L"1.7"}, 0, true},  // an empty entry matches the first ranked at its place
        {{L"1.6", L"1.7"}, 1, true},
        {{L"1.6", L"11"}, 0, false},
        {{L"1.7.0_80"}, 1, true},
        {{L"1.7.0_79"}, 0, false},
    };
    for (const Case& c : cases) {
        const Text* pattern = nullptr;
        EXPECT_EQ(selectCandidate(ranked, c.preferred, &pattern), c.expected) << testing::PrintToString(c.preferred);
        EXPECT_EQ(pattern != nullptr, c.byPreference) << testing::PrintToString(c.preferred);
    }
}

TEST(RegistryWalk, RegistryFaultsDropOnlyTheSubkeyTheyConcern) {
    TestRegistry registry;
    TestFiles files;
    files.runtime(L"C:\\good\\", {L"client"});
    const Text key4 = kRuntimeKeys[3].path;
    registerRuntime(registry, 4, L"1.8.0_1", L"C:\\good");
    // DWORD 1 read as text: one unit 0x0001, then the NUL.
    registry.set(kMachine, key4 + L"1.8.0_2", L"JavaHome", Text(L"\x0001\0", 2));
    // Binary without a NUL: the whole data, never past it.
    registry.set(kMachine, key4 + L"1.8.0_3", L"JavaHome", Text(L"C:\\good"));
    // Text followed by garbage after its NUL.
    registry.set(kMachine, key4 + L"1.8.0_4", L"JavaHome", Text(L"C:\\good\0C:\\bad", 14));
    registry.set(kMachine, key4 + L"1.8.0_5", L"JavaHome", Text(L"\0\0", 2));
    registry.set(kMachine, key4 + L"1.8.0_6", L"JavaHome", L"");
    registry.makeKey(kMachine, key4 + L"1.8.0_7");                                 // no JavaHome
    registry.set(kMachine, key4 + L"1.8.0_8", L"JavaHome", L"C:\\missing");        // no jvm.dll
    const Text longName = L"1.8.0_9" + Text(248, L'x');                             // 255 characters
    ASSERT_EQ(longName.size(), 255u);
    registerRuntime(registry, 4, longName, L"C:\\good\\");
    // Key 3 is missing altogether; keys 1 and 2 exist without subkeys.
    registry.makeKey(kMachine, kRuntimeKeys[0].path);
    registry.makeKey(kMachine, kRuntimeKeys[1].path);

    EXPECT_EQ(ranked(registry, files, defaults()),
              (Lines{"1.8.0.9 C:\\good\\ favored", "1.8.0.4 C:\\good\\ favored", "1.8.0.3 C:\\good\\ favored",
                     "1.8.0.1 C:\\good\\ favored"}));
}

TEST(RegistryWalk, TheOtherViewWithoutPairProductOpensNoKey) {
    TestRegistry registry;
    TestFiles files;
    registerRuntime(registry, 2, L"17", L"C:\\jre17");
    files.runtime(L"C:\\jre17\\", {L"server"}, /*otherWidth=*/true);
    SearchPreferences p = defaults();
    p.vendorSearch = true;
    Text home;
    EXPECT_FALSE(chooseRegisteredRuntime(SearchPass{registry, files, p, true}, home));
    EXPECT_EQ(registry.opens, 0);
    EXPECT_TRUE(home.empty());

    p.pairProductSet = true;
    EXPECT_TRUE(chooseRegisteredRuntime(SearchPass{registry, files, p, true}, home));
    EXPECT_EQ(home, L"C:\\jre17\\");
}

TEST(RegistryWalk, VendorRegistrationsCountOnlyWhenAskedForAndOnlyOfThePassWidth) {
    TestRegistry registry;
    TestFiles files;
    registerRuntime(registry, 4, L"1.8", L"C:\\jre8");
    files.runtime(L"C:\\jre8\\", {L"client"});
    // Temurin, per machine: <version>\<vm>\MSI "Path".
    registry.set(kMachine, L"Software\\Eclipse Adoptium\\JDK\\17.0.5.8\\hotspot\\MSI", L"Path",
                 L"C:\\Program Files\\Eclipse Adoptium\\jdk-17.0.5.8-hotspot\\");
    files.runtime(L"C:\\Program Files\\Eclipse Adoptium\\jdk-17.0.5.8-hotspot\\", {L"server"});
    // Microsoft's build, per user, of the other width: only pass 2 takes it.
    registry.set(kUser, L"Software\\Microsoft\\JDK\\21.0.1.12\\hotspot\\MSI", L"Path", L"C:\\ms21");
    files.runtime(L"C:\\ms21\\", {L"server"}, /*otherWidth=*/true);
    // Zulu, per user: the version comes from the release file, not from "zulu-11".
    registry.set(kUser, L"Software\\Azul Systems\\Zulu\\zulu-11", L"InstallationPath", L"C:\\zulu11\\");
    files.runtime(L"C:\\zulu11\\", {L"server"});
    files.file(L"C:\\zulu11\\release", "IMPLEMENTOR=\"Azul Systems, Inc.\"\nJAVA_VERSION=\"11.0.21\"\r\n");
    files.file(L"C:\\zulu11\\bin\\javac.exe");
    // Liberica JRE without a release file: the key name gives 16.
    registry.set(kMachine, L"Software\\BellSoft\\Liberica\\Liberica JRE 16", L"InstallationPath", L"C:\\liberica16");
    files.runtime(L"C:\\liberica16\\", {L"server"});
    // A JAVA_HOME with its release file, and an Adoptium key whose folder is gone.
    files.environment(L"JAVA_HOME", L"C:\\jdk22");
    files.runtime(L"C:\\jdk22\\", {L"server"});
    files.file(L"C:\\jdk22\\release", "JAVA_VERSION=\"22.0.1\"\n");
    files.file(L"C:\\jdk22\\bin\\javac.exe");
    registry.set(kMachine, L"Software\\Eclipse Adoptium\\JRE\\8.0.392.8\\hotspot\\MSI", L"Path", L"C:\\gone");
    // An early AdoptOpenJDK installer: no machine level.
    registry.set(kMachine, L"Software\\AdoptOpenJDK\\JRE\\8.0.222.10\\MSI", L"Path", L"C:\\adopt8\\");
    files.runtime(L"C:\\adopt8\\", {L"client"});

    SearchPreferences off = defaults();
    EXPECT_EQ(ranked(registry, files, off), Lines{"1.8.0.0 C:\\jre8\\ favored"}) << "off: nothing changes";

    SearchPreferences on = defaults();
    on.vendorSearch = true;
    const Lines all = {"1.8.0.0 C:\\jre8\\ favored", "22.0.1.0 C:\\jdk22\\ server",
                       "17.0.5.8 C:\\Program Files\\Eclipse Adoptium\\jdk-17.0.5.8-hotspot\\ server",
                       "16.0.0.0 C:\\liberica16\\ server", "11.0.21.0 C:\\zulu11\\ server",
                       "8.0.222.10 C:\\adopt8\\"};
    EXPECT_EQ(ranked(registry, files, on), all);

    SearchPreferences jreOnly = on;
    jreOnly.favorMode = jreOnly.jdkWanted = false;
    EXPECT_EQ(ranked(registry, files, jreOnly),
              (Lines{"16.0.0.0 C:\\liberica16\\ server", "8.0.222.10 C:\\adopt8\\", "1.8.0.0 C:\\jre8\\ favored"}));

    SearchPreferences bounded = on;
    bounded.maximumVersion = bound(L"17", 65535);
    bounded.preferredVersions = {L"11"};
    Text home;
    EXPECT_TRUE(chooseRegisteredRuntime(SearchPass{registry, files, bounded, false}, home));
    EXPECT_EQ(home, L"C:\\zulu11\\");

    on.pairProductSet = true;
    // The seven keys carry no width of their own (the view is the width); vendor runtimes must
    // match the pass's width.
    EXPECT_EQ(ranked(registry, files, on, /*otherView=*/true),
              (Lines{"1.8.0.0 C:\\jre8\\ favored", "21.0.1.12 C:\\ms21\\ server"}));

    SearchPreferences ibmOnly = on;
    ibmOnly.acceptSun = ibmOnly.favorSun = false;
    EXPECT_EQ(ranked(registry, files, ibmOnly), Lines{}) << "vendor builds count as the Sun family";
}

class CollectingSink : public TraceSink {
public:
    void write(const std::string& line) override { text += line; }
    std::string text;
};

TEST(RegistryWalk, TheTraceSaysWhyEachSubkeyWasKeptOrDropped) {
    TestRegistry registry;
    TestFiles files;
    registerRuntime(registry, 4, L"1.8.0_202", L"C:\\jre8");
    files.runtime(L"C:\\jre8\\", {L"client"});
    registerRuntime(registry, 4, L"1.9", L"C:\\jre9");
    registerRuntime(registry, 4, L"1.8.0_1", L"C:\\nowhere");
    registry.makeKey(kMachine, kRuntimeKeys[3].path + Text(L"1.8.0_2"));
    SearchPreferences p = defaults();
    p.maximumVersion = bound(L"1.8", 65535);
    p.preferredVersions = {L"1.7", L"1.8"};

    CollectingSink sink;
    setTraceSink(&sink);
    Text home;
    const bool found = chooseRegisteredRuntime(SearchPass{registry, files, p, false}, home);
    setTraceSink(nullptr);
    ASSERT_TRUE(found);

    const char* const expected[] = {
        "registry pass 1 (own view): bounds any to 1.8.65535.65535\r\n",
        "key 1 HKLM\\Software\\JavaSoft\\JDK\\: not present\r\n",
        "key 4 HKLM\\Software\\JavaSoft\\Java Runtime Environment\\: 4 subkeys\r\n",
        "  1.8.0_202: kept 1.8.0.202 C:\\jre8\\ (client or other VM, favored)\r\n",
        "  1.9: dropped, version 1.9.0.0 is out of bounds\r\n",
        "  1.8.0_1: dropped, no jvm.dll under C:\\nowhere\\\r\n",
        "  1.8.0_2: dropped, no JavaHome\r\n",
        "key 5 HKLM\\Software\\JRockit\\Java Runtime Environment\\: not searched (JVM Source, VM Provider)\r\n",
        "vendor registrations and JAVA_HOME: not searched (Search Vendor Registrations is off)\r\n",
        "ranked 1: 1.8.0.202 C:\\jre8\\ (client or other VM, favored)\r\n",
        "chosen: 1.8.0.202 C:\\jre8\\ (client or other VM, favored), by preferred version \"1.8\"\r\n",
    };
    for (const char* line : expected) EXPECT_NE(sink.text.find(line), std::string::npos) << line << sink.text;
    // Every line carries the milliseconds since the trace began.
    EXPECT_TRUE(std::regex_search(sink.text, std::regex("^ *[0-9]+ ms  registry pass 1"))) << sink.text;

    // Without a sink nothing is built or written.
    sink.text.clear();
    chooseRegisteredRuntime(SearchPass{registry, files, p, false}, home);
    EXPECT_TRUE(sink.text.empty());
}

}  // namespace
