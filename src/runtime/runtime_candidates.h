// Installed runtimes as candidates: the settings that judge them, the version bounds, the ranking
// and the choice. Portable; the registry walk feeds it (runtime/registry_walk.h).
//
//   rankCandidates(candidates, preferences.favorMode, preferences.jvmType);
//   const RuntimeCandidate& chosen = candidates[selectCandidate(candidates, preferences.preferredVersions)];
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/java_version.h"
#include "runtime/jvm_type.h"
#include "support/text.h"

struct RuntimeCandidate {
    JavaVersion version;
    Text home;  // ends with a backslash
    bool server = false;   // its jvm.dll is bin\server\jvm.dll
    bool favored = false;  // of a favored kind and provider
};

using CandidateList = std::vector<RuntimeCandidate>;

// What the settings ask of a registered runtime ("JVM Source", "VM Provider", "JVM Type", the
// version bounds and "Preferred versions").
struct SearchPreferences {
    JavaVersion minimumVersion;
    JavaVersion maximumVersion;
    TextList preferredVersions;
    JvmType jvmType = JvmType::ClientFirst;
    bool favorMode = true;
    bool jdkWanted = false;
    bool jreWanted = false;
    bool acceptSun = true;
    bool acceptJRockit = false;
    bool acceptIbm = false;
    bool favorSun = true;
    bool favorJRockit = false;
    bool favorIbm = false;
    bool pairProductSet = false;  // "Pair Product" names the other build: only then the other view counts
    bool vendorSearch = false;    // "Search Vendor Registrations": today's installers' own keys and JAVA_HOME
};

// Both bounds inclusive. An all-zero maximum (a "Maximum Version" that is empty or has no digit)
// is no upper bound, as it is for the minimum and as the "no runtime" message words it: an empty
// setting must not quietly reject every installed runtime.
bool withinBounds(const JavaVersion& version, const SearchPreferences& preferences);

// Stable: favored first (only in favor mode), then server VMs (only for ServerFirst), then newest.
void rankCandidates(CandidateList& candidates, bool favorMode, JvmType jvmType);

// Index of the first ranked candidate that matches the first pattern of `preferredVersions` that
// matches any; 0 when none does. `candidates` must not be empty. `decidingPattern` (may be null)
// points to the entry of `preferredVersions` that decided, null when none did.
std::size_t selectCandidate(const CandidateList& candidates, const TextList& preferredVersions,
                            const Text** decidingPattern = nullptr);

// A registry value's text: up to its first NUL, never past the data.
Text textUpToNul(const Text& data);

// The runtime's version from its `release` file (JAVA_VERSION="17.0.5"); false when the file
// holds no such line with a digit.
bool releaseFileVersion(const std::string& content, JavaVersion& version);

// "1.8.0.151 C:\rt\ (server VM, favored)": how the trace names a candidate.
Text describeCandidate(const RuntimeCandidate& candidate);
