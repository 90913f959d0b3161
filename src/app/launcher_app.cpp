#include "app/launcher_app.h"

#include <windows.h>

#include "app/command_line.h"
#include "app/launcher_settings_files.h"
#include "app/relaunch.h"
#include "display/process_dpi.h"
#include "display/taskbar_identity.h"
#include "download/runtime_download.h"
#include "jvm/java_invocation.h"
#include "jvm/java_thread.h"
#include "jvm/jvm_environment.h"
#include "jvm/vm_options.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_folder.h"
#include "runtime/runtime_selection_prompt.h"
#include "service/service_hooks.h"
#include "settings/ini_file.h"
#include "settings/setting_names.h"
#include "settings/settings_paths.h"
#include "splash/splash_controller.h"
#include "support/trace.h"
#include "texts/frontend.h"
#include "texts/messages.h"
#include "update/restart.h"
#include "update/staged_update.h"

namespace {

bool hasArgument(const TextList& arguments, const wchar_t* wanted) {
    for (const Text& argument : arguments) {
        if (argument == wanted) return true;
    }
    return false;
}

// What the Java thread tells the launcher: later starts are served and a service is running once
// main is about to run, and main's exception takes the splash away before its dialog shows.
class JavaThreadEvents : public JavaThreadObserver {
public:
    JavaThreadEvents(InstanceChannel& channel, SplashController& splash, const Text& mainClass)
        : channel_(channel), splash_(splash), mainClass_(mainClass) {}
    void mainStarting(JavaVM* vm) override {
        updateReachedMain();
        channel_.signalReady(vm, serveSecondaryRequest);
        serviceMainEntered(vm, mainClass_);
    }
    void mainThrew() override { splash_.closeWindow(); }

private:
    InstanceChannel& channel_;
    SplashController& splash_;
    const Text& mainClass_;
};

// System.exit may ask for a restart; a service reports its end with the code.
void vmExiting(int exitCode) {
    restartIfAsked(exitCode, runningAsService());
    serviceExiting(exitCode);
}

// A failed write costs only the memory of the choice: this launch goes on, the next one asks again.
void writeJrePath(const Text& file, const Text& home) {
    // The system would take an empty name as a file in the Windows folder.
    if (file.empty()) return;
    writeIniValue(file, sectionName(settingSection(Setting::JrePath)), settingKey(Setting::JrePath), home);
}

}  // namespace

LauncherApp::~LauncherApp() {
    splash.closeWindow();
    destroyVm(java);
    instanceChannel.close();
    callExitHook();
}

bool LauncherApp::initialize() {
    commandArguments = argumentsOfCommandLine(GetCommandLineW());
    Text handedOverBy;
    startedByHandOver = takeHandOverMark(handedOverBy);
    if (startedByHandOver) VORNIC_TRACE(L"started by the hand-over of " + handedOverBy + L": never handing over again");
    if (!loadLauncherSettings(settings)) return false;
    armRestart(settings.restartExitCode);
    applyAppUserModelId(settings.display);
    settings.pairProduct = resolvePairProduct(settings.pairProduct);
    if (!settings.pairProduct.empty()) VORNIC_TRACE(L"Pair Product resolved to " + settings.pairProduct);
    settings.search.pairProductSet = !settings.pairProduct.empty();
    if (!instanceChannel.open(settings.instance, commandArguments)) return false;
    if (instanceChannel.isActive() && !instanceChannel.isFirstInstance()) return true;
    return prepareRuntime();
}

bool LauncherApp::prepareRuntime() {
    if (settings.overrideWorkingDir) applyWorkingDirOverride();
    if (findRuntime()) return true;
    return downloadRuntime() || askForRuntime();
}

bool LauncherApp::findRuntime() {
    const SearchPreferences& search = settings.search;
    const Text& pair = settings.pairProduct;
    Text home;
    if (!settings.jrePathSetting.empty()) {
        home = ensureTrailingBackslash(settings.jrePathSetting);
        java.jvmLibraryPath = findJvmLibrary(home, search.jvmType);
        VORNIC_TRACE(L"JRE Path " + home + L": " + (java.jvmLibraryPath.empty() ? L"no jvm.dll" : java.jvmLibraryPath));
        if (!java.jvmLibraryPath.empty()) {
            runPairProduct = pairRunsRuntime(java.jvmLibraryPath, pair);
            if (runPairProduct) VORNIC_TRACE(L"JRE Path runtime has the other processor width: handed to Pair Product");
            return true;
        }
    }
    if (settings.jrePathSetting.empty()) VORNIC_TRACE(L"JRE Path: not set");
    const bool besideExe = findPrivateRuntime(home);
    VORNIC_TRACE(besideExe ? L"runtime beside the executable: " + home : Text(L"runtime beside the executable: none"));
    if (besideExe) {
        java.jvmLibraryPath = findJvmLibrary(home, search.jvmType);
        if (!java.jvmLibraryPath.empty()) return true;
    }
    // The other view holds runtimes of the other width; only the paired build can load those.
    const bool found = searchRegistry(search, RegistryView::Own, home, runPairProduct) ||
                       (!pair.empty() && searchRegistry(search, RegistryView::Other, home, runPairProduct));
    if (found) {
        java.jvmLibraryPath = findJvmLibrary(home, search.jvmType);
        VORNIC_TRACE(L"registry runtime: " + java.jvmLibraryPath +
                     (runPairProduct ? L", handed to Pair Product" : L""));
        if (!java.jvmLibraryPath.empty()) return true;
    }
    VORNIC_TRACE(L"no runtime found: asking the user");
    return false;
}

bool LauncherApp::askForRuntime() {
    const SearchPreferences& search = settings.search;
    const Text prompt = runtimeSelectionPrompt(search.jvmType, search.minimumVersion, search.maximumVersion);
    RuntimeChoice choice;
    INT_PTR result = 0;
    {
        const SystemAwareThread sharp;
        result = askForRuntimeFolder(prompt, search.jvmType, choice);
    }
    if (result == -1 && GetLastError() == ERROR_NOT_ENOUGH_MEMORY) {
        SetLastError(ERROR_OUTOFMEMORY);
        return false;
    }
    if (result != IDOK) return false;
    java.jvmLibraryPath = choice.jvmLibraryPath;
    runPairProduct = pairRunsRuntime(java.jvmLibraryPath, settings.pairProduct);
    rememberRuntime(choice.home, true);
    return true;
}

// The runtime the settings name for this width, when the user agrees (or the settings say Yes).
bool LauncherApp::downloadRuntime() {
    RuntimeDownload download;
    if (!takeRuntimeDownload(settings.download, download)) return false;
    if (runningAsService()) {
        // Nobody could answer the question or watch the progress, and a service must not wait on the
        // network at its start: it says why in its log and goes on as without a download.
        VORNIC_TRACE(L"runtime download: not by a service");
        showMessageId(kMsgDownloadNotByService, {});
        return false;
    }
    const SearchPreferences& search = settings.search;
    const DownloadRequest request{download, settings.productName, search.jvmType, search.minimumVersion,
                                  search.maximumVersion};
    RuntimeChoice choice;
    if (!provideDownloadedRuntime(request, choice)) return false;
    java.jvmLibraryPath = choice.jvmLibraryPath;
    runPairProduct = false;  // checked for this build's width
    rememberRuntime(choice.home, false);
    return true;
}

void LauncherApp::rememberRuntime(const Text& home, bool alsoPair) {
    Text ownFile;
    if (!settingsFilePath(ownFile)) return;
    const ProductFiles files = settings.productFiles();
    const bool paired = alsoPair && !settings.pairProduct.empty();
    if (settings.isService) {
        writeJrePath(ownFile, home);
        Text pairFile;
        if (paired && pairSettingsFilePath(files, pairFile)) writeJrePath(pairFile, home);
        return;
    }
    writeJrePath(userSettingsFilePath(files, true), home);
    if (paired) writeJrePath(pairUserSettingsFilePath(files), home);
}

int LauncherApp::run() {
    if (runPairProduct) return handOverToPairProduct();
    while (instanceChannel.isActive() && !instanceChannel.isFirstInstance()) {
        int code = 0;
        if (instanceChannel.waitForReply(code)) return code;
        // The running instance has ended without this command line: this start runs the application
        // itself, or hands over to a start that became the first instance meanwhile.
        instanceChannel.close();
        if (!instanceChannel.open(settings.instance, commandArguments)) return -1;
        if (instanceChannel.isActive() && !instanceChannel.isFirstInstance()) continue;
        if (!prepareRuntime()) return -1;
        if (runPairProduct) return handOverToPairProduct();
    }
    const VmOptionSettings vmSettings = settings.vmOptionSettings();
    prepareJvmEnvironment(vmSettings, java);
    applyRuntimeDpiAwareness(settings.display, java.jvmLibraryPath);
    const bool noSplash = hasArgument(commandArguments, L"-nosplash") || hasArgument(commandArguments, L"/nosplash");
    if (!noSplash && !runningAsService() && !startSplash()) return 0;
    if (!java.jvmLibrary.load(java.jvmLibraryPath)) return -1;
    java.mainArguments = commandArguments;  // assembly adds the "Cmd" words
    // Without a class path (message 209) the runtime would run without the application's options,
    // output settings and "Cmd" words, and could even end with 0: it is never created.
    if (!assembleVmOptions(vmSettings, java)) {
        VORNIC_TRACE(L"no class path or no settings file: the runtime is not created");
        return -1;
    }
    JavaThreadEvents events(instanceChannel, splash, settings.mainClass);
    listenForVmExit(vmExiting);
    const JavaEnd ended = startJavaThread(java, settings.javaRunSettings(), events);
    instanceChannel.applicationEnded();
    switch (ended) {
    case JavaEnd::MainReturned: return 0;
    case JavaEnd::MainThrew: return kMainThrewExitCode;
    case JavaEnd::Failed: break;
    }
    callExitHook();
    return -1;
}

// False only when the settings file path cannot be formed.
bool LauncherApp::startSplash() {
    SplashSettings splashSettings;
    if (!loadSplashSettings(splashSettings)) return false;
    splash.start(splashSettings, java.jvmLibraryPath, exitHook);
    return true;
}

int LauncherApp::handOverToPairProduct() {
    const Text& pair = settings.pairProduct;
    // A launcher that was itself handed the launch, or whose pair is this very executable, would hand
    // it on in a circle: its pair has the same wrong width.
    const bool circle = startedByHandOver || namesThisExecutable(pair);
    if (circle) {
        VORNIC_TRACE(L"runtime " + java.jvmLibraryPath + L" has the other processor width, and so has Pair Product " +
                     pair + (startedByHandOver ? L" (this launch was handed over)" : L" (it is this executable)") +
                     L": not handed over");
        showMessageId(kMsgPairSameWidth, {java.jvmLibraryPath});
        return -1;
    }
    int exitCode = 0;
    unsigned long error = 0;
    if (!relaunchPairProduct(pair, settings.pairReturnCode, exitCode, error)) {
        VORNIC_TRACE(L"Pair Product " + pair + L" could not be started: error " + decimalText(error));
        showMessageId(kMsgPairStartFailed, {pair, error});
        return -1;
    }
    VORNIC_TRACE(L"handed to Pair Product " + pair +
                 (settings.pairReturnCode ? L", which ended with exit code " + decimalText(exitCode)
                                          : Text(L", not waited for")));
    return exitCode;
}

void LauncherApp::callExitHook() {
    if (ExitHook hook = exitHook) {
        exitHook = nullptr;
        hook();
    }
}
