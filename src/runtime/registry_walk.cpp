#include "runtime/registry_walk.h"

#include <utility>

#include "support/trace.h"

const RuntimeKey kRuntimeKeys[7] = {
    {1, L"Software\\JavaSoft\\JDK\\", RuntimeKind::Jdk, RuntimeProvider::Sun, false, false, false},
    {2, L"Software\\JavaSoft\\JRE\\", RuntimeKind::Jre, RuntimeProvider::Sun, false, false, false},
    {3, L"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::Jdk, RuntimeProvider::Sun, true, true, false},
    {4, L"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::Sun, false, true, true},
    {5, L"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::JRockit, false, true,
     false},
    {6, L"Software\\JRockit\\Java Development Kit\\", RuntimeKind::Jdk, RuntimeProvider::JRockit, true, true, false},
    {7, L"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::Jre, RuntimeProvider::Ibm, false, true, false},
};

namespace {

// How today's installers register a runtime under their own key.
enum class VendorShape {
    // <key>\<version>\<vm>\MSI, value "Path" (the installer the Eclipse Foundation's Adoptium
    // project builds for Temurin, and Microsoft for its build of OpenJDK; the first ones had no <vm>).
    MsiPath,
    // <key>\<name>, value "InstallationPath" (Azul's and BellSoft's installers).
    InstallationPath,
};

struct VendorKey {
    const wchar_t* path;
    VendorShape shape;
    bool kindFromKey;  // else a JDK is told by its bin\javac.exe
    RuntimeKind kind;
};

const VendorKey kVendorKeys[] = {
    {L"Software\\Eclipse Adoptium\\JDK\\", VendorShape::MsiPath, true, RuntimeKind::Jdk},
    {L"Software\\Eclipse Adoptium\\JRE\\", VendorShape::MsiPath, true, RuntimeKind::Jre},
    {L"Software\\AdoptOpenJDK\\JDK\\", VendorShape::MsiPath, true, RuntimeKind::Jdk},
    {L"Software\\AdoptOpenJDK\\JRE\\", VendorShape::MsiPath, true, RuntimeKind::Jre},
    {L"Software\\Microsoft\\JDK\\", VendorShape::MsiPath, true, RuntimeKind::Jdk},
    {L"Software\\Azul Systems\\Zulu\\", VendorShape::InstallationPath, false, RuntimeKind::Jdk},
    {L"Software\\BellSoft\\Liberica\\", VendorShape::InstallationPath, false, RuntimeKind::Jdk},
};

bool providerWanted(RuntimeProvider provider, const SearchPreferences& p) {
    switch (provider) {
        case RuntimeProvider::Sun:
            return p.acceptSun || p.favorSun;
        case RuntimeProvider::JRockit:
            return p.acceptJRockit || p.favorJRockit;
        case RuntimeProvider::Ibm:
            return p.acceptIbm || p.favorIbm;
    }
    return false;
}

bool providerFavored(RuntimeProvider provider, const SearchPreferences& p) {
    switch (provider) {
        case RuntimeProvider::Sun:
            return p.favorSun;
        case RuntimeProvider::JRockit:
            return p.favorJRockit;
        case RuntimeProvider::Ibm:
            return p.favorIbm;
    }
    return false;
}

bool kindWanted(RuntimeKind kind, const SearchPreferences& p) {
    return kind == RuntimeKind::Jdk ? p.jdkWanted : p.jreWanted;
}

Text versionText(const JavaVersion& v) {
    return decimalText(v.parts[0]) + L"." + decimalText(v.parts[1]) + L"." + decimalText(v.parts[2]) +
           L"." + decimalText(v.parts[3]);
}

// A bound that admits every version reads "any": "0.0.0.0 to 0.0.0.0" would read as nothing allowed.
Text boundText(const JavaVersion& v, bool upper) {
    const std::int32_t open = upper ? JavaVersion::kUnbounded : 0;
    const bool unset = (v.parts[0] == 0 && v.parts[1] == 0 && v.parts[2] == 0 && v.parts[3] == 0) ||
                       (v.parts[0] == open && v.parts[1] == open && v.parts[2] == open && v.parts[3] == open);
    return unset ? Text(L"any") : versionText(v);
}

const wchar_t* rootName(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? L"HKLM\\" : L"HKCU\\"; }

// A vendor registration or JAVA_HOME, judged like a registry candidate plus two checks of its
// own: the kind (the seven keys say it by their name) and the width (HKEY_CURRENT_USER and
// JAVA_HOME are the same for both builds).
void considerVendorHome(const SearchPass& pass, const Text& where, const Text& rawHome, const JavaVersion* keyVersion,
                        const VendorKey* vendor, CandidateList& candidates) {
    const SearchPreferences& p = pass.preferences;
    if (rawHome.empty()) {
        VORNIC_TRACE(L"  " + where + L": dropped, no installation folder");
        return;
    }
    const Text home = ensureTrailingBackslash(rawHome);
    const RuntimeKind kind = vendor && vendor->kindFromKey ? vendor->kind
                             : pass.files.fileExists(home + L"bin\\javac.exe") ? RuntimeKind::Jdk
                                                                                : RuntimeKind::Jre;
    if (!p.favorMode && !kindWanted(kind, p)) {
        VORNIC_TRACE(L"  " + where + L": dropped, " + (kind == RuntimeKind::Jdk ? L"a JDK" : L"a JRE") +
                     L" is not wanted by JVM Source");
        return;
    }
    JavaVersion version;
    std::string release;
    if (keyVersion) {
        version = *keyVersion;
    } else if (!(pass.files.readFile(home + L"release", release) && releaseFileVersion(release, version)) && vendor) {
        version.parse(where.substr(where.rfind(L'\\') + 1), 0);
    }
    if (!withinBounds(version, p)) {
        VORNIC_TRACE(L"  " + where + L": dropped, version " + versionText(version) + L" is out of bounds");
        return;
    }
    bool server = false;
    const Text library = pass.files.findJvmLibrary(home, p.jvmType, &server);
    if (library.empty()) {
        VORNIC_TRACE(L"  " + where + L": dropped, no jvm.dll under " + home);
        return;
    }
    if (pass.files.isOtherWidth(library) != pass.otherView) {
        VORNIC_TRACE(L"  " + where + L": dropped, " + library + L" is built for the wrong processor width");
        return;
    }
    RuntimeCandidate candidate{version, home, server, false};
    VORNIC_TRACE(L"  " + where + L": kept " + describeCandidate(candidate));
    candidates.push_back(std::move(candidate));
}

void walkVendorKey(const SearchPass& pass, RegistryRoot root, const VendorKey& vendor, CandidateList& candidates) {
    TextList names;
    if (!pass.registry.subkeyNames(root, vendor.path, names)) return;
    VORNIC_TRACE(L"vendor key " + Text(rootName(root)) + vendor.path + L": " + decimalText(names.size()) +
                 L" subkeys");
    for (const Text& name : names) {
        const Text key = vendor.path + name;
        if (vendor.shape == VendorShape::InstallationPath) {
            Text data;
            pass.registry.valueData(root, key, L"InstallationPath", data);
            considerVendorHome(pass, rootName(root) + key, textUpToNul(data), nullptr, &vendor, candidates);
            continue;
        }
        JavaVersion version;
        version.parse(name, 0);
        TextList machines;  // hotspot, openj9, ...
        pass.registry.subkeyNames(root, key, machines);
        for (const Text& machine : machines) {
            // The first installers had no machine level: <version>\MSI.
            const Text msiKey = equalsNoCase(machine, L"MSI") ? key + L"\\MSI" : key + L"\\" + machine + L"\\MSI";
            Text data;
            pass.registry.valueData(root, msiKey, L"Path", data);
            considerVendorHome(pass, rootName(root) + msiKey, textUpToNul(data), &version, &vendor, candidates);
        }
    }
}

}  // namespace

bool isKeySearched(const RuntimeKey& key, const SearchPreferences& p) {
    return (p.favorMode || kindWanted(key.kind, p)) && providerWanted(key.provider, p);
}

bool isKeyFavored(const RuntimeKey& key, const SearchPreferences& p) {
    return key.everFavored && kindWanted(key.kind, p) && providerFavored(key.provider, p);
}

bool probeRuntimeKey(const RuntimeKey& key, const Text& name, const SearchPass& pass, Text& home, bool& server) {
    home.clear();
    Text data;
    if (!pass.registry.valueData(RegistryRoot::LocalMachine, key.path + name, L"JavaHome", data)) {
        VORNIC_TRACE(L"  " + name + L": dropped, no JavaHome");
        return false;
    }
    const Text javaHome = textUpToNul(data);
    if (javaHome.empty()) {
        VORNIC_TRACE(L"  " + name + L": dropped, JavaHome is empty");
        return false;
    }
    const Text candidateHome = ensureTrailingBackslash(javaHome) + (key.homeInJre ? L"jre\\" : L"");
    const JvmType type = key.clientFirstForServerFirst && pass.preferences.jvmType == JvmType::ServerFirst
                             ? JvmType::ClientFirst
                             : pass.preferences.jvmType;
    if (pass.files.findJvmLibrary(candidateHome, type, &server).empty()) {
        VORNIC_TRACE(L"  " + name + L": dropped, no jvm.dll under " + candidateHome);
        return false;
    }
    home = candidateHome;
    return true;
}

void collectCandidates(const RuntimeKey& key, const SearchPass& pass, CandidateList& candidates) {
    TextList names;
    if (!pass.registry.subkeyNames(RegistryRoot::LocalMachine, key.path, names)) {
        VORNIC_TRACE(L"key " + decimalText(key.number) + L" HKLM\\" + key.path + L": not present");
        return;
    }
    VORNIC_TRACE(L"key " + decimalText(key.number) + L" HKLM\\" + key.path + L": " +
                 decimalText(names.size()) + L" subkeys");
    const bool favored = isKeyFavored(key, pass.preferences);
    for (const Text& name : names) {
        RuntimeCandidate candidate;
        candidate.version.parse(name, 0);
        if (!withinBounds(candidate.version, pass.preferences)) {
            VORNIC_TRACE(L"  " + name + L": dropped, version " + versionText(candidate.version) +
                         L" is out of bounds");
            continue;
        }
        if (!probeRuntimeKey(key, name, pass, candidate.home, candidate.server)) continue;
        candidate.favored = favored;
        VORNIC_TRACE(L"  " + name + L": kept " + describeCandidate(candidate));
        candidates.push_back(std::move(candidate));
    }
}

void collectVendorCandidates(const SearchPass& pass, CandidateList& candidates) {
    if (!providerWanted(RuntimeProvider::Sun, pass.preferences)) {
        VORNIC_TRACE(L"vendor registrations: not searched, VM Provider excludes them");
        return;
    }
    for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        for (const VendorKey& vendor : kVendorKeys) walkVendorKey(pass, root, vendor, candidates);
    }
    const Text javaHome = pass.files.environmentVariable(L"JAVA_HOME");
    if (!javaHome.empty()) considerVendorHome(pass, L"JAVA_HOME " + javaHome, javaHome, nullptr, nullptr, candidates);
}

void collectPassCandidates(const SearchPass& pass, CandidateList& candidates) {
    const SearchPreferences& p = pass.preferences;
    for (const RuntimeKey& key : kRuntimeKeys) {
        if (isKeySearched(key, p)) {
            collectCandidates(key, pass, candidates);
        } else {
            VORNIC_TRACE(L"key " + decimalText(key.number) + L" HKLM\\" + key.path +
                         L": not searched (JVM Source, VM Provider)");
        }
    }
    if (p.vendorSearch) {
        collectVendorCandidates(pass, candidates);
    } else {
        VORNIC_TRACE(L"vendor registrations and JAVA_HOME: not searched (Search Vendor Registrations is off)");
    }
}

bool chooseRegisteredRuntime(const SearchPass& pass, Text& home) {
    home.clear();
    const SearchPreferences& p = pass.preferences;
    const Text passName = pass.otherView ? L"registry pass 2 (other width's view)" : L"registry pass 1 (own view)";
    if (pass.otherView && !p.pairProductSet) {
        VORNIC_TRACE(passName + L": skipped, no Pair Product to hand a runtime to");
        return false;
    }
    VORNIC_TRACE(passName + L": bounds " + boundText(p.minimumVersion, false) + L" to " + boundText(p.maximumVersion, true));
    CandidateList candidates;
    collectPassCandidates(pass, candidates);
    if (candidates.empty()) {
        VORNIC_TRACE(passName + L": no candidate");
        return false;
    }
    rankCandidates(candidates, p.favorMode, p.jvmType);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        VORNIC_TRACE(L"ranked " + decimalText(i + 1) + L": " + describeCandidate(candidates[i]));
    }
    const Text* pattern = nullptr;
    const std::size_t chosen = selectCandidate(candidates, p.preferredVersions, &pattern);
    VORNIC_TRACE(L"chosen: " + describeCandidate(candidates[chosen]) +
                 (pattern ? L", by preferred version \"" + *pattern + L"\""
                  : p.preferredVersions.empty() ? Text(L", the first ranked")
                                                : Text(L", the first ranked (no preferred version matched)")));
    home = candidates[chosen].home;
    return true;
}
