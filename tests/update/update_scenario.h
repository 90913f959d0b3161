// The application folder of an update scenario under Wine: versions as files and bytes, the stage
// an updater writes, the folder's hashes, launches that wait for every process they hand on to, and
// the message boxes of any of those processes.
//
//   UpdateScenario s;
//   s.install(s.version("main: exit 0\n", "PK one"));
//   s.stage(two, s.stageFolder());
//   EXPECT_EQ(s.runChain(L"a"), 42u);
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "support/text.h"

constexpr DWORD kChainTimeout = 90000 * VORNIC_TIME_FACTOR;
extern const WText kExeName;

// A version of the application folder: each file's path and bytes; and each file's SHA-256.
using Version = std::map<WText, std::string>;
using Hashes = std::map<WText, std::string>;

std::string sha256Of(const std::string& bytes);
Hashes hashesOf(const Version& version);
std::size_t countOf(const std::string& text, const std::string& part);
bool isFile(const WText& path);
bool isFolder(const WText& path);
// A junction `link` (a new folder) to `target`, as mklink /J makes one; false where the system makes none.
bool makeJunction(const WText& link, const WText& target);

// Answers every message box that a program of `folder` shows, whichever process of a chain it is.
class BoxAnswerer {
public:
    explicit BoxAnswerer(WText folder);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    std::vector<WText> texts() const;

private:
    static BOOL CALLBACK visit(HWND window, LPARAM self);
    void answer(HWND window);
    void watch();

    WText folder_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<WText> texts_;
    std::vector<HWND> answered_;
    std::thread thread_;
};

// An application folder "app\" in a temporary folder, with the stand-in runtime outside it.
class UpdateScenario {
public:
    UpdateScenario();

    const WText& root() const { return folder_.path(); }
    WText app() const { return root() + L"app\\"; }
    WText exe() const { return app() + kExeName; }
    WText stageFolder() const { return root() + L"stage\\"; }
    std::string record() const { return readText(root() + L"record.txt"); }
    std::string trace() const { return readText(root() + L"trace.txt"); }

    // A launcher packaged with `application` settings (after "Restart Exit Code=42").
    std::string launcher(const Text& application = Text(), const Text& mainClass = L"app.Main") const;
    // The folder's files; "JRE Path" beside the executable names the runtime, or a missing one.
    Version version(const std::string& script, const std::string& jar, bool runtimeThere = true) const;
    void install(const Version& version) const;
    // What an updater writes: every file, then the manifest.
    void stage(const Version& version, const WText& folder, const TextList& removed = {}) const;
    // The application folder's files, the update folder left out.
    Hashes hashes() const;
    ChildProcess start(const WText& arguments, const std::vector<WText>& more = {}) const;
    // Starts the launcher and waits for it and every process it hands on to; its own exit code.
    DWORD runChain(const WText& arguments, const std::vector<WText>& more = {}) const;

private:
    TempFolder folder_;
};
