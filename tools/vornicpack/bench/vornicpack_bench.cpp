// Prints how long packaging the stub takes: in memory (parse, cipher, resources, rebuilt image) and
// with the two files written and renamed into place.
//
//   vornicpack_bench STUB.exe [iterations]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "package/packager.h"
#include "package/identity_codes.h"
#include "system/platform.h"
#include "texts/text_codec.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vornicpack_bench STUB.exe [iterations]\n");
        return 2;
    }
    const int iterations = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    PackageInputs in;
    std::string error;
    if (!readWholeFile(argv[1], in.stub, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    in.settingsText =
        L"[Product Information]\r\nProduct Name=Bench Application\r\nProduct Code={11111111-2222-3333-4444-555555555555}\r\n"
        L"[Java Runtime Environment]\r\nMain Class=com.example.bench.Main\r\nMinimum Version=1.8\r\n"
        L"Virtual Machine Parameters=-Xmx50% -Dfile.encoding=UTF-8\r\n[Class Path]\r\nClass Path=lib\\*.jar\r\n"
        L"[Application]\r\nSingle Instance=yes\r\nFailure Check=Yes\r\n";
    in.outputFileName = L"bench.exe";
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    PackageOutput out;
    for (int i = 0; i < iterations; ++i) {
        const auto start = Clock::now();
        if (!newPassPhrase(in.passPhrase) || !newGuid(in.generatedUpgradeCode) || !buildPackage(in, out, error)) {
            std::fprintf(stderr, "packaging failed: %s\n", error.c_str());
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("stub %zu bytes -> packaged %zu bytes\n", in.stub.size(), out.executable.size());
    std::printf("in memory: median %.3f ms, min %.3f ms, max %.3f ms over %d runs\n", times[times.size() / 2],
                times.front(), times.back(), iterations);

    const auto folder = std::filesystem::temp_directory_path() / "vornicpack_bench";
    std::filesystem::create_directories(folder);
    const auto start = Clock::now();
    if (!writeFilesReplacing({{folder / "bench.exe", out.executable}, {folder / "bench.ini", out.besideIni}}, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double writeMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("writing both files: %.3f ms; one packaged copy: %.3f ms (goal: under 50 ms)\n", writeMs,
                times[times.size() / 2] + writeMs);
    std::filesystem::remove_all(folder);
    return 0;
}
