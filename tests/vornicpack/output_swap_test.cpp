// Moving a finished output into place, and the lock that keeps a second build of it out, with the
// file system of each build (the Windows packer's under Wine).
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <thread>

#include "folder/build_lock.h"
#include "folder/output_guard.h"
#include "folder/output_swap.h"
#include "system/platform.h"

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string textOf(const fs::path& path) {
    Bytes bytes;
    std::string error;
    return readWholeFile(path, bytes, error) ? std::string(bytes.begin(), bytes.end()) : "(" + error + ")";
}

class TempRoot {
public:
    TempRoot() : path_(fs::temp_directory_path() / ("vornicpack-swap-" + std::to_string(std::random_device()()))) {
        fs::create_directories(path_);
    }
    ~TempRoot() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The zip's move is the last step; when it fails the new folder goes back out and the previous
// one returns, so the folder and the thing at the zip's name are both as they were.
TEST(OutputSwap, AZipThatCannotBeMovedLeavesThePreviousFolderAndZip) {
    TempRoot root;
    const fs::path& r = root.path();
    writeText(r / "App" / kOutputMarker, outputMarkerText());
    writeText(r / "App/old.txt", "old");
    writeText(r / "docs/guide.txt", "guide");  // a folder where the zip should go
    writeText(r / "App.vornicpack-new" / kOutputMarker, outputMarkerText());
    writeText(r / "App.vornicpack-new/new.txt", "new");
    writeText(r / "docs.vornicpack-new", "PK new zip");
    std::string error;
    EXPECT_FALSE(swapIntoPlace(r / "App.vornicpack-new", r / "App", r / "docs.vornicpack-new", r / "docs", error));
    EXPECT_NE(error.find("cannot replace "), std::string::npos) << error;
    EXPECT_EQ(textOf(r / "App/old.txt"), "old");
    EXPECT_FALSE(fs::exists(r / "App/new.txt"));
    EXPECT_EQ(textOf(r / "docs/guide.txt"), "guide");
    for (const char* staged : {"App.vornicpack-new", "App.vornicpack-old", "docs.vornicpack-new"})
        EXPECT_FALSE(fs::exists(r / staged)) << staged;

    // With a zip that can be replaced, both move in.
    writeText(r / "App.vornicpack-new" / kOutputMarker, outputMarkerText());
    writeText(r / "App.vornicpack-new/new.txt", "new");
    writeText(r / "App.zip", "PK old zip");
    writeText(r / "App.zip.vornicpack-new", "PK new zip");
    ASSERT_TRUE(swapIntoPlace(r / "App.vornicpack-new", r / "App", r / "App.zip.vornicpack-new", r / "App.zip", error))
        << error;
    EXPECT_EQ(textOf(r / "App/new.txt"), "new");
    EXPECT_FALSE(fs::exists(r / "App/old.txt"));
    EXPECT_EQ(textOf(r / "App.zip"), "PK new zip");
    for (const char* staged : {"App.vornicpack-new", "App.vornicpack-old", "App.zip.vornicpack-new"})
        EXPECT_FALSE(fs::exists(r / staged)) << staged;
}

TEST(BuildLock, OneHolderAtATimeAWaiterGetsItAndNoFileIsLeft) {
    TempRoot root;
    const fs::path file = root.path() / "App.vornicpack-lock";
    BuildLock first, second;
    bool busy = false;
    std::string error;
    ASSERT_TRUE(BuildLock::acquire(file, 0, first, busy, error)) << error;
    EXPECT_FALSE(BuildLock::acquire(file, 0, second, busy, error));
    EXPECT_TRUE(busy);
    EXPECT_FALSE(second.held());

    // A waiter gets it once the holder lets go, whenever that is within its wait.
    bool taken = false, waiterBusy = false;
    std::string waiterError;
    std::thread waiter([&] { taken = BuildLock::acquire(file, 60000, second, waiterBusy, waiterError); });
    first.release();
    waiter.join();
    EXPECT_TRUE(taken) << waiterError;
    EXPECT_TRUE(second.held());
    EXPECT_FALSE(BuildLock::acquire(file, 0, first, busy, error));
    second.release();
    EXPECT_FALSE(fs::exists(file));
    ASSERT_TRUE(BuildLock::acquire(file, 0, first, busy, error)) << error;
}

}  // namespace
