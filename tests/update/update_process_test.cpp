// Whole launches of a packaged copy with the stand-in runtime: version 1 stages version 2 and asks
// for a restart; the new version runs whole in a new process (also when the launcher itself is
// replaced); an apply cut short at any step ends whole at the next start; a version that cannot
// reach main is undone; bad stages are removed; a restart loop stops with its message.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "harness.h"
#include "installed_service.h"
#include "update_scenario.h"

namespace {

const std::string kCallWithArguments = "call: main\narg: a\narg: b c\n";

TEST(Update, VersionOneStagesVersionTwoWhichRunsWholeInANewProcessWithTheSameArguments) {
    for (const bool launcherReplaced : {false, true}) {
        SCOPED_TRACE(launcherReplaced ? "the launcher replaced" : "the launcher kept");
        UpdateScenario s;
        Version one = s.version("main: stage-and-exit " + utf8Of(s.stageFolder()) + " 42\n", "PK one");
        one[L"old.txt"] = "only in version one";
        s.install(one);
        Version two = s.version("main: exit 5\n", "PK two");
        two[L"lib\\extra.jar"] = "PK extra";
        if (launcherReplaced) two[kExeName] = s.launcher(L"Cmd=from-two\r\n");
        s.stage(two, s.stageFolder(), {L"old.txt"});
        const BoxAnswerer boxes(s.app());

        EXPECT_EQ(s.runChain(L"a \"b c\""), 42u);
        const std::string record = s.record();
        EXPECT_EQ(countOf(record, kCallWithArguments), 2u) << record;
        EXPECT_TRUE(contains(record, "stage: " + utf8Of(s.app()) + "update\n")) << record;
        EXPECT_TRUE(contains(record, "exit: 42\n")) << record;
        EXPECT_TRUE(contains(record, "exit: 5\n")) << record;
        EXPECT_EQ(contains(record, "arg: from-two\n"), launcherReplaced) << record;
        EXPECT_TRUE(contains(record, "option: -Dvornicw.launcher=" + utf8Of(s.exe()) + "\n")) << record;
        EXPECT_EQ(s.hashes(), hashesOf(two));
        EXPECT_TRUE(isFolder(s.app() + L"update\\vornicw-update.backup")) << s.trace();

        // Version two reached main: the next start removes version one's backup and the folder.
        EXPECT_EQ(s.runChain(L""), 5u);
        EXPECT_FALSE(isFolder(s.app() + L"update")) << s.trace();
        EXPECT_EQ(s.hashes(), hashesOf(two));
        EXPECT_TRUE(boxes.texts().empty());
    }
}

// Each start is stopped after one more step than the last (also in the processes it hands on to);
// the start after it must leave one whole version, for a version that runs and one that is undone.
TEST(Update, AnApplyOrUndoCutShortAtAnyStepEndsWholeAtTheNextStart) {
    for (const bool good : {true, false}) {
        int steps = 0;
        for (int stop = 1; stop < 80; ++stop) {
            SCOPED_TRACE((good ? "a good version, stopped after step " : "a failing version, stopped after step ") +
                         std::to_string(stop));
            UpdateScenario s;
            const Version one = s.version("main: exit 0\n", "PK one");
            s.install(one);
            Version two = s.version(good ? "main: exit 5\n" : "class: app/Other\n", "PK two");
            two[L"lib\\extra.jar"] = "PK extra";
            // The same launcher: moving a running launcher leaves its path empty between two renames.
            two[kExeName] = one.at(kExeName);
            s.stage(two, s.app() + L"update\\");
            const BoxAnswerer boxes(s.app());
            s.runChain(L"", {L"VORNIC_UPDATE_STOP_AFTER=" + std::to_wstring(stop)});
            const bool stopped = contains(s.trace(), "stopped here");
            s.runChain(L"");
            // A trial cut short before main is undone too: a good version may end as version one.
            const Hashes now = s.hashes();
            const bool isOne = now == hashesOf(one);
            EXPECT_TRUE(isOne || (good && now == hashesOf(two))) << s.trace();
            // Nothing half done is left: at most the note that version two reached main.
            const std::string journal = readText(s.app() + L"update\\vornicw-update.journal");
            EXPECT_TRUE(journal.empty() || contains(journal, "\nstate reached\n")) << journal << s.trace();
            EXPECT_EQ(boxes.texts().size(), isOne ? 1u : 0u) << s.trace();
            if (!stopped) break;
            steps = stop;
        }
        EXPECT_GT(steps, 8) << "the apply has fewer steps than its files";
        EXPECT_LT(steps, 79);
    }
}

TEST(Update, AVersionThatCannotReachMainIsUndoneAndTheUserToldOnce) {
    struct Case {
        const char* name;
        std::string script;
        bool runtimeThere;
        Text mainClass;  // in a replaced launcher; empty: the launcher is kept
        const char* traced;
    };
    const Case cases[] = {
        {"main class missing", "class: app/Other\n", true, L"", "update trial: [215] no class app/Main"},
        {"runtime missing", "main: exit 5\n", false, L"", "update trial: no runtime fits the new version"},
        {"launcher replaced, its main class missing", "class: app/Main\nmain: exit 5\n", true, L"app.Gone",
         "update trial: [215] no class app/Gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateScenario s;
        const Version one = s.version("main: stage-and-exit " + utf8Of(s.stageFolder()) + " 42\n", "PK one");
        s.install(one);
        Version two = s.version(c.script, "PK two", c.runtimeThere);
        if (!c.mainClass.empty()) two[kExeName] = s.launcher(Text(), c.mainClass);
        s.stage(two, s.stageFolder());
        const BoxAnswerer boxes(s.app());

        EXPECT_EQ(s.runChain(L"a \"b c\""), 42u);
        EXPECT_EQ(s.hashes(), hashesOf(one)) << s.trace();
        // Version one ran twice: it staged, and it ran again after the undo, with nothing to stage.
        EXPECT_EQ(countOf(s.record(), kCallWithArguments), 2u) << s.record();
        EXPECT_TRUE(contains(s.record(), "stage: nothing to stage\n")) << s.record();
        const WText kept = s.app() + L"update\\vornicw-update.trace.txt";
        const std::vector<WText> texts = boxes.texts();
        ASSERT_EQ(texts.size(), 1u) << s.trace();
        EXPECT_EQ(texts[0], L"[253] " + kept);
        EXPECT_TRUE(contains(readText(kept), c.traced)) << readText(kept);
        // Told once: the next start says nothing.
        EXPECT_EQ(s.runChain(L""), 0u);
        EXPECT_EQ(boxes.texts().size(), 1u);
    }
}

TEST(Update, BadStagesAreIgnoredAndRemovedAndVersionOneRuns) {
    struct Case {
        const char* name;
        const char* traced;
    };
    const Case cases[] = {{"no manifest", "have no manifest"},
                          {"wrong hash", "app.jar differs from the manifest"},
                          {"a .. path", "has a \".\" or \"..\" part"},
                          {"a junction", "is a link or junction"},
                          {"an unlisted file", "is staged but not listed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateScenario s;
        const Version one = s.version("main: exit 3\n", "PK one");
        s.install(one);
        const WText update = s.app() + L"update\\";
        const Version two = s.version("main: exit 5\n", "PK two");
        s.stage(two, update);
        const std::string name = c.name;
        if (name == "no manifest") DeleteFileW((update + L"vornicw-update.manifest").c_str());
        if (name == "wrong hash") writeFileBytes(update + L"app.jar", "PK tWo");
        if (name == "an unlisted file") {
            makeFolders(update + L"lib\\");
            writeFileBytes(update + L"lib\\stray.dll", "MZ");
        }
        if (name == "a .. path") {
            std::string manifest = readText(update + L"vornicw-update.manifest");
            manifest += "file " + sha256Of("x") + " 1 lib\\..\\..\\outside.txt\n";
            writeFileBytes(update + L"vornicw-update.manifest", manifest);
        }
        if (name == "a junction") {
            const WText target = s.root() + L"elsewhere\\";
            makeFolders(target);
            writeFileBytes(target + L"keep.txt", "not the update's");
            if (!makeJunction(update + L"lib", target)) {
                // Wine 8 refuses FSCTL_SET_REPARSE_POINT (error 50): the case runs on Windows only.
                std::cout << "[ SKIPPED  ] a junction: this system makes none (error " << GetLastError() << ")\n";
                continue;
            }
        }
        EXPECT_EQ(s.runChain(L""), 3u) << s.trace();
        EXPECT_EQ(s.hashes(), hashesOf(one));
        EXPECT_TRUE(contains(s.trace(), c.traced)) << s.trace();
        EXPECT_FALSE(isFile(update + L"app.jar")) << s.trace();
        EXPECT_FALSE(isFile(update + L"vornicw-update.manifest")) << s.trace();
        if (name == "a junction") {
            EXPECT_EQ(readText(s.root() + L"elsewhere\\keep.txt"), "not the update's");
        }
    }
}

// The service control manager knows only the process it started: that process applies a version
// that replaces the launcher and goes on as the service, with the new launcher's settings. A version
// that cannot reach main is put back by the service itself, and the next start runs version one.
// A service runs in the manager's environment: the stand-in's script and record are beside jvm.dll.
TEST(Update, AServiceAppliesAVersionThatReplacesTheLauncherAndGoesOnAsTheService) {
    for (const bool reachesMain : {true, false}) {
        SCOPED_TRACE(reachesMain ? "version two runs" : "version two lacks its main class");
        UpdateScenario s;
        const WText errors = s.root() + L"errors.txt";
        const WText standin = s.root() + L"runtime\\bin\\server\\";
        const std::string released = "vornic-update-service-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(writeFileBytes(standin + L"standin-script.txt", "class: app/Main\nmain: wait-event " + released + "\n"));
        const auto record = [&] { return readText(standin + L"standin-record.txt"); };
        const Text asService = L"Application Type=service\r\nError File=" + errors + L"\r\n";
        Version one = s.version("", "PK one");
        one[kExeName] = s.launcher(asService);
        s.install(one);
        Version two = s.version("", "PK two");
        two[kExeName] = s.launcher(asService + L"Cmd=from-two\r\n", reachesMain ? L"app.Main" : L"app.Gone");
        s.stage(two, s.app() + L"update\\");
        const InstalledService service(s.exe());
        ASSERT_TRUE(service.created());
        const UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, released.c_str()));

        runSc(L"start " + service.name());  // may tell of a failure already
        SERVICE_STATUS_PROCESS status{};
        if (reachesMain) {
            ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status)) << status.dwCurrentState << readText(errors);
            WaitingFor marker(L"version two's main");
            EXPECT_TRUE(waitUntil([&] { return contains(record(), "call: main\narg: from-two\n"); },
                                  kChainTimeout, 50)) << record();
            EXPECT_EQ(s.hashes(), hashesOf(two));
            EXPECT_EQ(runSc(L"stop " + service.name()), 0u);
            ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << status.dwCurrentState;
            EXPECT_EQ(status.dwWin32ExitCode, 0u);
            EXPECT_TRUE(isFolder(s.app() + L"update\\vornicw-update.backup"));
            continue;
        }
        ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << status.dwCurrentState;
        EXPECT_EQ(status.dwWin32ExitCode, DWORD{ERROR_SERVICE_SPECIFIC_ERROR});
        EXPECT_EQ(s.hashes(), hashesOf(one));
        const std::string logged = readText(errors);
        EXPECT_TRUE(contains(logged, "[215] no class app/Gone")) << logged;
        EXPECT_EQ(countOf(logged, "[253] " + utf8Of(s.app()) + "update\\vornicw-update.trace.txt"), 1u) << logged;
        // Told once: the journal that would tell again is gone. Version one runs at the next start.
        EXPECT_FALSE(isFile(s.app() + L"update\\vornicw-update.journal"));
        runSc(L"start " + service.name());
        ASSERT_TRUE(service.waitForState(SERVICE_RUNNING, status)) << status.dwCurrentState;
        EXPECT_TRUE(SetEvent(release.get()));
        ASSERT_TRUE(service.waitForState(SERVICE_STOPPED, status)) << status.dwCurrentState;
        EXPECT_EQ(countOf(record(), "call: main\n"), 1u) << record();
        EXPECT_FALSE(contains(record(), "from-two")) << record();
    }
}

TEST(Restart, AnApplicationThatAlwaysAsksStopsAfterAFewRestartsWithItsMessage) {
    UpdateScenario s;
    s.install(s.version("main: exit 42\n", "PK one"));
    const BoxAnswerer boxes(s.app());
    EXPECT_EQ(s.runChain(L"a \"b c\""), 42u);
    // The first start and three restarts, each with the same arguments; then the message.
    EXPECT_EQ(countOf(s.record(), kCallWithArguments), 4u) << s.record();
    WaitingFor marker(L"message 252");
    EXPECT_TRUE(waitUntil([&] { return !boxes.texts().empty(); }, scaledMilliseconds(kWindowWaitMilliseconds)));
    const std::vector<WText> texts = boxes.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], L"[252] 3 60");
    EXPECT_TRUE(contains(s.trace(), "restart refused")) << s.trace();
}

}  // namespace
