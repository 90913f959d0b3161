#include "jvm/vm_options.h"

#include <windows.h>

#include "jvm/sharing_archive_folder.h"
#include "jvm/vm_parameters.h"
#include "settings/executable_path.h"
#include "settings/ini_store.h"
#include "settings/packaged_settings.h"
#include "settings/settings_paths.h"
#include "support/filesystem.h"
#include "support/path.h"
#include "support/system_text.h"
#include "support/unique_handle.h"
#include "texts/messages.h"

namespace {

void readStreamSetting(const IniStore& store, Setting fileKey, Setting appendKey, Text& file, bool& append) {
    // Left as written: its environment variables are expanded with its date pattern when the stream
    // is redirected, since only the written text tells a pattern's "%" from one in a variable's value.
    file = iniValue(store, fileKey);
    // Only the exact lower-case word counts, unlike the "Yes" of other flags.
    append = iniValue(store, appendKey) == L"yes";
}

}  // namespace

Text SystemClassPath::expandEnvironment(const Text& text) const { return ::expandEnvironment(text); }

void SystemClassPath::findMatches(const Text& searchName, TextList& names) const {
    // The basic information leaves out the short names, which a class path never uses and which
    // cost the most to produce in a folder of thousands of jars.
    WIN32_FIND_DATAW entry;
    UniqueFind search(FindFirstFileExW(withLongPathPrefix(searchName).c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return;
    do {
        names.push_back(entry.cFileName);
    } while (FindNextFileW(search.get(), &entry));
}

Text SystemClassPath::narrowSafePath(const Text& path) const { return ::narrowSafePath(path); }

MemoryFigures currentMemoryFigures() {
    MEMORYSTATUS status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    return MemoryFigures{status.dwTotalPhys, status.dwAvailVirtual};
}

bool assembleVmOptionsFrom(const VmOptionSettings& settings, const IniStore& store, const VmOptionSources& sources,
                           const ClassPathSystem& system, JavaSession& session) {
    Text classPath = buildClassPath(iniValue(store, Setting::ClassPath), folderOf(sources.exePath), system);
    if (equalsNoCase(iniValue(store, Setting::EmbeddedJar), L"Yes")) {
        classPath = system.narrowSafePath(sources.exePath) + L";" + classPath;
    }
    if (classPath.empty()) {
        showMessage(messageOwner(), kMsgVmOptions);
        return false;
    }

    // Each entry was expanded on its own; expanding the whole again would rewrite a folder whose own
    // name holds "%NAME%" into another folder.
    session.vmOptions.push_back(toAnsiText(L"-Djava.class.path=" + classPath));
    // Before the VM parameters, so that an option written there has the last word.
    addClassDataSharing(settings.productName, store, classPath, session);
    TextList options;
    const Text parameters = iniValue(store, Setting::VirtualMachineParameters);
    for (const Text& parameter : splitVmParameters(parameters)) {
        addVmParameter(parameter, sources.memory, sources.arithmetic, options, session.javaThreadStackSize);
    }
    for (const Text& option : options) session.vmOptions.push_back(toAnsiText(::expandEnvironment(option)));
    // After the parameters: the launcher reads its update folder there, whatever a parameter says.
    const Text exeFolder = system.narrowSafePath(folderOf(sources.exePath));
    session.vmOptions.push_back(toAnsiText(L"-Dvornicw.update.folder=" + exeFolder + L"update\\"));
    session.vmOptions.push_back(toAnsiText(L"-Dvornicw.launcher=" + system.narrowSafePath(sources.exePath)));

    readStreamSetting(store, Setting::OutputFile, Setting::OutputAppend, session.outputFile, session.outputAppend);
    readStreamSetting(store, Setting::ErrorFile, Setting::ErrorAppend, session.errorFile, session.errorAppend);

    const Text cmd = iniValue(store, Setting::Cmd);
    if (!cmd.empty()) {
        TextList words;
        splitArguments(::expandEnvironment(cmd), words);
        for (Text& word : words) {
            if (!word.empty()) session.mainArguments.push_back(std::move(word));
        }
    }
    return true;
}

bool assembleVmOptions(const VmOptionSettings& settings, JavaSession& session) {
    Text iniPath;
    if (!settingsFilePath(iniPath)) return false;
    VmOptionSources sources;
    if (!getExePath(sources.exePath)) return false;
    sources.memory = currentMemoryFigures();
    const LayeredIniStore store = openLayeredStore(iniPath, settings.upgradeCode);
    return assembleVmOptionsFrom(settings, store, sources, SystemClassPath(), session);
}
