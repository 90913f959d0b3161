// Start-up with the launcher's class-data-sharing options against the plain start, on the machine's
// own OpenJDK: the example application (headless: it prints and ends) and a generated program that
// loads 3,000 classes of its own. Prints, per program, the medians and the ratio of the first start
// (the one that writes the archive) and of later starts (the ones that use it): to the program's
// output (the start a user waits for) and to the process's exit (the archive is written at exit).
//
//   class_data_sharing_benchmark [RUNS]     # on a quiet machine; 10 runs unless told
//
// The machine is started by the JDK's own `java` with exactly the options planClassDataSharing gives
// (the probe of the real-VM tests is built with the sanitizers, which would weigh on every start).
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "jvm/class_data_sharing.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string narrow(const Text& text) { return std::string(text.begin(), text.end()); }
Text wide(const std::string& text) { return Text(text.begin(), text.end()); }

// One start, in milliseconds from spawn: to the program's first output, which it prints once main
// has done its work, and to its exit, which for the writing start includes the runtime dumping the
// archive after the program has finished. A failed run ends the benchmark: its figures would mean nothing.
struct Timing {
    double output = 0, exit = 0;
};

Timing timeRun(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    Timing timing;
    char buffer[4096];
    bool first = true;
    for (ssize_t got; spawned == 0 && (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0) break;
        if (first) timing.output = since();
        first = false;
    }
    close(pipeEnds[0]);
    int status = -1;
    if (spawned != 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || first) {
        std::fprintf(stderr, "run failed: %s\n", words.back().c_str());
        std::exit(1);
    }
    timing.exit = since();
    return timing;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Classes with some code each, so that loading and verifying them is a real part of the start.
fs::path generateProgram(const fs::path& folder, int classes) {
    const fs::path sources = folder / "src" / "gen";
    fs::create_directories(sources);
    std::ofstream main(sources / "Main.java");
    main << "package gen;\npublic final class Main {\n  public static void main(String[] a) {\n    long s = 0;\n";
    for (int i = 0; i < classes; ++i) {
        const std::string name = "C" + std::to_string(i);
        std::ofstream(sources / (name + ".java"))
            << "package gen;\nfinal class " << name << " implements java.util.function.IntUnaryOperator {\n"
            << "  private final int[] table = new int[" << (i % 7 + 3) << "];\n"
            << "  public int applyAsInt(int x) { for (int k = 0; k < table.length; ++k) table[k] = x * k + " << i
            << "; return table[x % table.length] ^ x; }\n"
            << "  String describe(Object o) { return o == null ? \"" << name << "\" : o.toString() + table.length; }\n}\n";
        main << "    s += new " << name << "().applyAsInt(" << i << ");\n";
    }
    main << "    System.out.println(s);\n  }\n}\n";
    main.close();
    run(std::string(VORNIC_JAVAC) + " -nowarn -d " + (folder / "classes").string() + " -sourcepath " +
        (folder / "src").string() + " " + (sources / "Main.java").string());
    const fs::path jar = folder / "generated.jar";
    run(std::string(VORNIC_JAR) + " cf " + jar.string() + " -C " + (folder / "classes").string() + " gen");
    return jar;
}

void measure(const char* label, const fs::path& jar, const std::string& mainClass, const fs::path& folder, int runs) {
    JavaVersion version;
    version.parse(wide(VORNIC_JAVA_VERSION));
    SharingInputs inputs;
    inputs.productName = L"Benchmark";
    inputs.runtimeVersion = version;
    inputs.jvmLibrary = {wide(VORNIC_LIBJVM), fs::file_size(VORNIC_LIBJVM), 0};
    inputs.classPath = {{wide(jar.string()), fs::file_size(jar), 0}};
    const Text stem = sharingArchiveStem(inputs);
    const Text archives = wide((folder / "").string());
    const auto command = [&](const SharingPlan& plan) {
        std::vector<std::string> words = {VORNIC_JAVA, "-Djava.awt.headless=true", "-Djava.class.path=" + jar.string()};
        for (const Text& option : plan.options) words.push_back(narrow(option));
        words.push_back(mainClass);
        return words;
    };
    timeRun(command(SharingPlan()));  // warm the file cache
    std::vector<Timing> plain, first, later;
    for (int i = 0; i < runs; ++i) {
        plain.push_back(timeRun(command(SharingPlan())));
        const SharingPlan writing = planClassDataSharing(version, archives, stem, Text(), L"1");
        first.push_back(timeRun(command(writing)));
        const Text complete = completeArchiveName(stem, fs::file_size(narrow(writing.writing)));
        fs::rename(narrow(writing.writing), folder / narrow(complete));
        const SharingPlan using_ = planClassDataSharing(version, archives, stem, complete, L"2");
        if (using_.mode != SharingMode::use && using_.mode != SharingMode::automatic) std::exit(1);
        later.push_back(timeRun(command(using_)));
        fs::remove(folder / narrow(complete));
    }
    for (const auto& [what, field] : {std::pair{"to output", &Timing::output}, std::pair{"to exit  ", &Timing::exit}}) {
        const auto medianOf = [&, field = field](const std::vector<Timing>& timings) {
            std::vector<double> values;
            for (const Timing& timing : timings) values.push_back(timing.*field);
            return median(values);
        };
        const double base = medianOf(plain), writing = medianOf(first), using_ = medianOf(later);
        std::printf("%-16s %s  plain %7.1f ms  first %7.1f ms (%.2f)  later %7.1f ms (%.2f)  %d runs\n", label, what,
                    base, writing, writing / base, using_, using_ / base, runs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    char pattern[] = "/tmp/vornic_cds_bench_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path folder = pattern;
    std::printf("Java %s, archives written with the launcher's options; ratios against plain\n", VORNIC_JAVA_VERSION);
    measure("example (hello)", VORNIC_EXAMPLE_JAR, "hello.Hello", folder, runs);
    const fs::path generated = generateProgram(folder, 3000);
    measure("3,000 classes", generated, "gen.Main", folder, runs);
    fs::remove_all(folder);
    return 0;
}
