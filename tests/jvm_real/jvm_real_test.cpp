// The launcher's JNI logic against the machine's OpenJDK: one probe process per scenario.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "jvm/class_data_sharing.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ProbeRun {
    int exitStatus = -1000;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

class JvmReal : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vornic_jvm_real_XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // `environment` holds "NAME=value" entries that replace this process's own.
    ProbeRun probe(const std::string& scenario, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment = {}) {
        std::vector<std::string> words = {VORNIC_JVM_PROBE, classPath_};
        words.insert(words.end(), vmOptions_.begin(), vmOptions_.end());
        words.push_back(scenario);
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);

        const fs::path outPath = folder_ / "probe.out";
        const fs::path errPath = folder_ / "probe.err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t child = 0;
        ProbeRun run;
        std::vector<std::string> variables = environment;
        for (char** entry = environ; *entry; ++entry) {
            const std::string variable = *entry;
            const std::string name = variable.substr(0, variable.find('=') + 1);
            bool replaced = false;
            for (const std::string& given : environment) replaced = replaced || given.rfind(name, 0) == 0;
            if (!replaced) variables.push_back(variable);
        }
        std::vector<char*> envp;
        for (std::string& variable : variables) envp.push_back(variable.data());
        envp.push_back(nullptr);
        const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return run;
        int status = 0;
        waitpid(child, &status, 0);
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        run.out = readAll(outPath);
        run.err = readAll(errPath);
        return run;
    }

    fs::path folder_;
    std::string classPath_ = VORNIC_PROBE_CLASSES;
    std::vector<std::string> vmOptions_;  // before the scenario
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// What EchoArgs prints for one argument: its UTF-16 code units in hex.
std::string echoLine(const std::u16string& units) {
    std::string line = "arg";
    char hex[8];
    for (char16_t unit : units) {
        std::snprintf(hex, sizeof(hex), " %x", static_cast<unsigned>(unit));
        line += hex;
    }
    return line + "\n";
}

TEST_F(JvmReal, MainClassIsLoadedThroughLauncherHelperWhenTheRuntimeOffersIt) {
    const ProbeRun run = probe("main-boot", {"probe.EchoArgs", "x"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "count 1\n")) << run.out;
    EXPECT_FALSE(contains(run.out, "FindClass probe/EchoArgs")) << run.out;
    EXPECT_FALSE(contains(run.out, "no boot finder"));
    EXPECT_TRUE(contains(run.out, "before main\ncount 1")) << run.out;
}

TEST_F(JvmReal, MainClassFallsBackToFindClassWithTheSlashName) {
    const ProbeRun run = probe("main-findclass", {"probe.EchoArgs", "x"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "FindClass probe/EchoArgs\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "count 1\n")) << run.out;
}

TEST_F(JvmReal, ArgumentsArriveUnchangedEitherWay) {
    const std::vector<std::pair<std::string, std::u16string>> arguments = {
        {"plain", u"plain"},
        {"with two  spaces", u"with two  spaces"},
        {"", u""},
        {"\xc3\xbcnic\xc3\xb8" "de \xe2\x82\xac", u"\u00fcnic\u00f8de \u20ac"},
        {"\xe6\x97\xa5\xe6\x9c\xac", u"\u65e5\u672c"},
        {"\"quoted\"", u"\"quoted\""},
    };
    for (const char* scenario : {"main-boot", "main-findclass"}) {
        std::vector<std::string> words = {"probe.EchoArgs"};
        std::string expected = "count " + std::to_string(arguments.size()) + "\n";
        for (const auto& [word, units] : arguments) {
            words.push_back(word);
            expected += echoLine(units);
        }
        const ProbeRun run = probe(scenario, words);
        EXPECT_EQ(run.exitStatus, 0) << scenario << run.err;
        EXPECT_TRUE(contains(run.out, expected)) << scenario << "\n" << run.out;
    }
}

TEST_F(JvmReal, ClassWithoutMainLeavesTheRuntimesErrorAndNoMessage) {
    const ProbeRun run = probe("main-findclass", {"probe.NoMain"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(contains(run.err, "java.lang.NoSuchMethodError")) << run.err;
    EXPECT_FALSE(contains(run.out, "message 216")) << run.out;
    EXPECT_FALSE(contains(run.out, "before main"));
    EXPECT_TRUE(contains(run.out, "not ran\n")) << run.out;  // nothing left pending
}

TEST_F(JvmReal, MissingClassThroughFindClassShowsMessage215) {
    const ProbeRun run = probe("main-findclass", {"probe.Missing"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(contains(run.err, "java.lang.NoClassDefFoundError: probe/Missing")) << run.err;
    EXPECT_TRUE(contains(run.out, "message 215 [probe/Missing]\n")) << run.out;
}

TEST_F(JvmReal, MissingClassThroughLauncherHelperIsReportedAndEndedByTheRuntime) {
    // The runtime's LauncherHelper prints its own error and calls System.exit(1).
    const ProbeRun run = probe("main-boot", {"probe.Missing"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(contains(run.err, "probe.Missing")) << run.err;
    EXPECT_FALSE(contains(run.out, "message")) << run.out;
}

TEST_F(JvmReal, RequestSystemExitEndsTheProcessWithMinusOne) {
    const ProbeRun run = probe("exit-after-main", {"probe/EchoArgs"});
    EXPECT_EQ(run.exitStatus, 255);  // -1 in the 8 bits a Linux status keeps
    EXPECT_TRUE(contains(run.out, "count 0\n")) << run.out;
    EXPECT_FALSE(contains(run.out, "exit returned")) << run.out;
}

TEST_F(JvmReal, StreamsGoToFilesWithTruncateAndAppend) {
    const fs::path out = folder_ / "out.txt";
    const fs::path err = folder_ / "err.txt";
    std::ofstream(out) << "old output\n";
    std::ofstream(err) << "old error\n";

    ProbeRun run = probe("redirect", {out.string(), "0", err.string(), "1", "probe/Printer", "one"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readAll(out), "out one\n");
    EXPECT_EQ(readAll(err), "old error\nerr one\n");
    EXPECT_FALSE(contains(run.out, "out one")) << run.out;
    EXPECT_FALSE(contains(run.err, "err one")) << run.err;

    run = probe("redirect", {out.string(), "1", err.string(), "0", "probe/Printer", "two"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readAll(out), "out one\nout two\n");
    EXPECT_EQ(readAll(err), "err two\n");
}

// Appending, each stream writes at the end; otherwise one stream serves both, and neither overwrites.
TEST_F(JvmReal, BothStreamsInOneFileKeepEveryLineInOrder) {
    const fs::path both = folder_ / "both.txt";
    ProbeRun run = probe("redirect", {both.string(), "1", both.string(), "1", "probe/Printer", "x"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readAll(both), "out x\nerr x\n");

    const std::string other = (folder_ / "sub" / ".." / "both.txt").string();  // the same file, named otherwise
    run = probe("redirect", {both.string(), "0", other, "0", "probe/Printer", "a much longer line"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readAll(both), "out a much longer line\nerr a much longer line\n");
}

TEST_F(JvmReal, DatePatternsUseOneInstantAndDatedFoldersAreCreated) {
    const std::string out = (folder_ / "logs" / "%yyyy-MM-dd%" / "out.txt").string();
    const std::string err = (folder_ / "err_%HHmmss_L%.txt").string();
    const ProbeRun run = probe("redirect", {out, "0", err, "0", "probe/Printer", "dated"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const fs::path expectedOut = folder_ / "logs" / "2024-03-05" / "out.txt";
    const fs::path expectedErr = folder_ / "err_140709_45.txt";
    EXPECT_TRUE(contains(run.out, "names [" + expectedOut.string() + "] [" + expectedErr.string() + "] time read 1\n"))
        << run.out;
    EXPECT_EQ(readAll(expectedOut), "out dated\n");
    EXPECT_EQ(readAll(expectedErr), "err dated\n");
}

TEST_F(JvmReal, UnopenableFileIsDescribedAndTheStreamStays) {
    const fs::path blocker = folder_ / "plain-file";
    std::ofstream(blocker) << "x";
    const std::string out = (blocker / "out.txt").string();  // a folder that is a file
    const ProbeRun run = probe("redirect", {out, "0", "", "0", "probe/Printer", "still"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.err, "java.io.FileNotFoundException")) << run.err;
    EXPECT_TRUE(contains(run.out, "out still\n")) << run.out;
}

TEST_F(JvmReal, ExceptionTextHoldsTheTraceAndItsCause) {
    const ProbeRun run = probe("exception-text", {"probe/Thrower"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const size_t begin = run.out.find("text-begin\n");
    const size_t end = run.out.find("text-end");
    ASSERT_NE(begin, std::string::npos) << run.out;
    ASSERT_NE(end, std::string::npos) << run.out;
    const std::string text = run.out.substr(begin, end - begin);
    EXPECT_TRUE(contains(text, "java.lang.IllegalStateException: settings unusable \xc3\xa9t\xc3\xa9\n")) << text;
    EXPECT_TRUE(contains(text, "\tat probe.Thrower.main(Thrower.java:")) << text;
    EXPECT_TRUE(contains(text, "Caused by: java.io.IOException: disk gone\n")) << text;
    EXPECT_TRUE(contains(text, "\tat probe.Thrower.readSettings(Thrower.java:")) << text;
    EXPECT_TRUE(contains(run.out, "ran\n")) << run.out;  // the cleared exception stays cleared
}

// Without "Failure Check", main's exception goes where the runtime sends any thread's: the program's
// own handler, else the runtime's report on System.err; nothing stays pending for the detach.
TEST_F(JvmReal, UncaughtExceptionReachesTheThreadsHandler) {
    const ProbeRun plain = probe("uncaught", {"probe/Thrower"});
    EXPECT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_TRUE(contains(plain.err, "Exception in thread \"main\" java.lang.IllegalStateException: settings unusable"))
        << plain.err;
    EXPECT_TRUE(contains(plain.err, "Caused by: java.io.IOException: disk gone")) << plain.err;
    EXPECT_TRUE(contains(plain.out, "reported\nran\n")) << plain.out;

    const ProbeRun handled = probe("uncaught", {"probe/HandledThrower"});
    EXPECT_EQ(handled.exitStatus, 0) << handled.err;
    EXPECT_TRUE(contains(handled.out, "handled on main: crashed\nreported\nran\n")) << handled.out;
    EXPECT_FALSE(contains(handled.err, "crashed")) << handled.err;
}

// The text comes back in UTF-8, whatever the runtime's default charset: with the C locale that is
// ASCII on Java 17, where reading the trace back in it made every other character a "?".
TEST_F(JvmReal, ExceptionTextKeepsEveryScript) {
    // "Привет 漢字 😀", the emoji a surrogate pair in Java.
    const std::string message =
        "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe6\xbc\xa2\xe5\xad\x97 \xf0\x9f\x98\x80";
    const std::vector<std::string> ascii = {"LC_ALL=C", "LANG=C", "LC_CTYPE=C"};
    for (const auto& environment : {std::vector<std::string>{}, ascii}) {
        SCOPED_TRACE(environment.empty() ? "inherited locale" : "C locale");
        const ProbeRun run = probe("exception-text", {"probe/ScriptThrower"}, environment);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(contains(run.out, "text-begin\njava.lang.IllegalArgumentException: " + message + "\n\tat "
                                      "probe.ScriptThrower.main(ScriptThrower.java:"))
            << run.out;
        EXPECT_FALSE(contains(run.out, "?")) << run.out;
    }
}

// A later start's exit code: before the call for the void variant, its result after the call for the
// int one, -1 when that one throws, and no reply at all when there is nothing to call.
TEST_F(JvmReal, SecondaryRequestsAreServedAndAnswered) {
    struct Case {
        const char* mainClass;
        std::vector<std::string> arguments;
        std::vector<std::string> outInOrder;
        const char* described;
        int exitStatus;
    };
    const Case cases[] = {
        {"probe/SecondaryVoid", {"a", "b c", ""}, {"reply 0\n", "secondary void a|b c|\n", "\nran\n"}, nullptr, 0},
        {"probe/SecondaryInt", {"a", "b c"}, {"secondary int a|b c\n", "reply -7\n", "\nran\n"}, nullptr, 0},
        {"probe/SecondaryInt", {"throw"}, {"secondary int throw\n", "reply -1\n", "not ran\n"},
         "java.lang.IllegalStateException: no document", 1},
        {"probe/EchoArgs", {"a"}, {"not ran\n"}, "java.lang.NoSuchMethodError", 1},
        {"probe/Absent", {"a"}, {"not ran\n"}, "java.lang.NoClassDefFoundError", 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words = {c.mainClass};
        words.insert(words.end(), c.arguments.begin(), c.arguments.end());
        const ProbeRun run = probe("secondary", words);
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.mainClass << run.err;
        std::size_t at = 0;
        for (const std::string& line : c.outInOrder) {
            at = run.out.find(line, at);
            ASSERT_NE(at, std::string::npos) << c.mainClass << ": " << line << " in order in\n" << run.out;
        }
        if (c.outInOrder.size() == 1) EXPECT_FALSE(contains(run.out, "reply")) << run.out;
        if (c.described) EXPECT_TRUE(contains(run.err, c.described)) << run.err;
    }
}

std::string narrow(const Text& text) { return std::string(text.begin(), text.end()); }  // ASCII paths only
Text wide(const std::string& text) { return Text(text.begin(), text.end()); }

FileStamp stampOf(const fs::path& file) {
    return {wide(file.string()), fs::file_size(file),
            static_cast<std::uint64_t>(fs::last_write_time(file).time_since_epoch().count())};
}

// The archive's life on the real Java 17 machine with the options the launcher passes: written under
// its temporary name by the first start, used by the next, replaced when a jar changes, and neither a
// cut-short nor a foreign file stops the program or reaches its output.
TEST_F(JvmReal, ClassDataSharingArchiveIsWrittenUsedAndNeverHarms) {
    const fs::path jar = folder_ / "app.jar";
    fs::copy_file(VORNIC_PROBE_JAR, jar);
    classPath_ = jar.string();
    const Text archives = wide((folder_ / "").string());
    JavaVersion java17;
    java17.parse(L"17.0.15");
    SharingInputs inputs;
    inputs.productName = L"Probe";
    inputs.runtimeVersion = java17;
    inputs.jvmLibrary = stampOf(VORNIC_LIBJVM);
    inputs.classPath = {stampOf(jar)};
    const Text stem = sharingArchiveStem(inputs);

    // What the launcher decides from the folder: the complete archive is the one whose size its name holds.
    const auto completeIn = [&](const Text& candidate) {
        const fs::path path = folder_ / narrow(candidate);
        return fs::exists(path) && isCompleteArchive(candidate, stem, fs::file_size(path)) ? candidate : Text();
    };
    // Runs EchoArgs with the plan's options (and `extra`); the program's own output must be all there is.
    const auto start = [&](const SharingPlan& plan, const std::vector<std::string>& extra) {
        vmOptions_.clear();
        for (const Text& option : plan.options) vmOptions_.push_back(narrow(option));
        vmOptions_.insert(vmOptions_.end(), extra.begin(), extra.end());
        const ProbeRun run = probe("main-findclass", {"probe.EchoArgs", "x"});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(contains(run.out, "count 1\narg 78\n")) << run.out;
        EXPECT_EQ(run.err, "");
        if (extra.empty()) {
            EXPECT_FALSE(contains(run.out, "[")) << run.out;  // no log line of the runtime
        }
        return run;
    };

    SharingPlan plan = planClassDataSharing(java17, archives, stem, Text(), L"1");
    ASSERT_EQ(plan.mode, SharingMode::writeAtExit);
    start(plan, {});
    const fs::path written = narrow(plan.writing);
    ASSERT_TRUE(fs::exists(written));
    const Text complete = completeArchiveName(stem, fs::file_size(written));
    fs::rename(written, folder_ / narrow(complete));  // as the launcher does once the machine has ended

    plan = planClassDataSharing(java17, archives, stem, completeIn(complete), L"2");
    ASSERT_EQ(plan.mode, SharingMode::use);
    EXPECT_TRUE(contains(start(plan, {"-Xlog:cds"}).out, "Mapped dynamic region"));
    EXPECT_FALSE(fs::exists(narrow(archives + stem + L".2.tmp")));

    // A jar touched by an update gives another archive name.
    fs::last_write_time(jar, fs::last_write_time(jar) + std::chrono::seconds(10));
    inputs.classPath = {stampOf(jar)};
    EXPECT_NE(sharingArchiveStem(inputs), stem);
    // Run with the archive made before the update anyway, as a stale one: the runtime refuses it, and
    // its warning stays in the log tag sets the options switch off.
    start(plan, {});

    // Cut short, the file no longer has the size its name holds: it is not passed, and is written anew.
    fs::resize_file(folder_ / narrow(complete), 5000);
    plan = planClassDataSharing(java17, archives, stem, completeIn(complete), L"3");
    EXPECT_EQ(plan.mode, SharingMode::writeAtExit);
    start(plan, {});

    // Random bytes of the recorded size pass the launcher's check; the runtime rejects them silently.
    const Text foreign = completeArchiveName(stem, 65536);
    std::ofstream bytes(folder_ / narrow(foreign), std::ios::binary);
    unsigned state = 12345;
    for (int i = 0; i < 65536; ++i) bytes.put(static_cast<char>((state = state * 1103515245u + 12345u) >> 16));
    bytes.close();
    plan = planClassDataSharing(java17, archives, stem, completeIn(foreign), L"4");
    ASSERT_EQ(plan.mode, SharingMode::use);
    start(plan, {});
}

// From Java 19 on the runtime keeps the archive itself under the name the launcher gives: the first
// start creates it, the next maps it, and the output stays the program's own. The launcher removes a
// file there that lacks the archive's magic number (the runtime writes that header last, so a write cut
// short leaves none): such a file would make the runtime drop its base archive too and warn at every start.
TEST_F(JvmReal, ClassDataSharingArchiveTheRuntimeKeepsIsCreatedAndUsed) {
    if (std::string(VORNIC_LIBJVM_AUTOMATIC).empty()) GTEST_SKIP() << "no runtime from Java 19 on";
    const fs::path jar = folder_ / "app.jar";
    fs::copy_file(VORNIC_PROBE_JAR, jar);
    classPath_ = jar.string();
    JavaVersion version;
    version.parse(wide(VORNIC_AUTOMATIC_VERSION));
    const SharingPlan plan = planClassDataSharing(version, wide((folder_ / "").string()), L"Probe-cds-1", Text(), L"1");
    ASSERT_EQ(plan.mode, SharingMode::automatic);
    const auto start = [&](const std::vector<std::string>& extra) {
        vmOptions_.clear();
        for (const Text& option : plan.options) vmOptions_.push_back(narrow(option));
        vmOptions_.insert(vmOptions_.end(), extra.begin(), extra.end());
        // That runtime's archive writer copies a few bytes past its own allocations (whole words of a
        // symbol), which the sanitizer's memcpy check would stop the probe for.
        const ProbeRun run = probe("main-findclass", {"probe.EchoArgs", "x"},
                                   {std::string("VORNIC_PROBE_LIBJVM=") + VORNIC_LIBJVM_AUTOMATIC,
                                    "ASAN_OPTIONS=handle_segv=0:allow_user_segv_handler=1:detect_leaks=0:replace_intrin=0"});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(contains(run.out, "count 1\narg 78\n")) << run.out;
        EXPECT_EQ(run.err, "");
        if (extra.empty()) {
            EXPECT_FALSE(contains(run.out, "[")) << run.out;
        }
        return run;
    };
    start({});
    const fs::path archive = narrow(plan.archive);
    ASSERT_TRUE(fs::exists(archive));
    std::ifstream file(archive, std::ios::binary);
    unsigned char magic[4] = {};
    file.read(reinterpret_cast<char*>(magic), 4);
    EXPECT_TRUE(startsAsDynamicArchive(magic, static_cast<std::size_t>(file.gcount())));
    file.close();
    EXPECT_TRUE(contains(start({"-Xlog:cds"}).out, "Mapped dynamic region"));
}

}  // namespace
