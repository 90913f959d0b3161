#include <gtest/gtest.h>

#include "harness.h"
#include "settings/executable_path.h"
#include "support/filesystem.h"
#include "texts/messages.h"

namespace {

TEST(Messages, StringsComeFromTheProgramsOwnTable) {
    Text text = L"unchanged";
    EXPECT_FALSE(loadStringId(4000, text));
    EXPECT_EQ(text, L"unchanged");
    ASSERT_TRUE(loadStringId(kMsgExePathText, text));
    EXPECT_EQ(text, L"the launcher's own path");
    EXPECT_EQ(formatMessageId(4000, {L"x"}), L"");
    EXPECT_EQ(formatMessageId(kMsgEntryPointOrPathFailed, {L"abc", 5}), L"Cannot go on: abc (error 5).");
}

// A module path that cannot be had is reported as message 202 with the text of 208 and the error code.
TEST(Messages, AModulePathThatCannotBeHadIsShownAndFails) {
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    Text path = L"stale";
    const bool ok = getModulePathReporting(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x10)), path);
    const DWORD error = GetLastError();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(path.empty());
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Cannot go on: the launcher's own path (error " + std::to_wstring(error) + L").");
}

TEST(Messages, AStringLongerThan255UnitsIsShownWhole) {
    WindowAnswerer answerer(GetCurrentProcessId(), IDOK);
    EXPECT_EQ(showMessage(nullptr, 4001u), IDOK);
    const std::vector<SeenWindow> seen = answerer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text.size(), 600u);
}

}  // namespace
