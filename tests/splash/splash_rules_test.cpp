#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "splash/splash_rules.h"

namespace {

TEST(SplashRules, PositionCentresOnTheFullScreenAndTruncatesTowardZero) {
    const struct {
        int screenWidth, screenHeight, pictureWidth, pictureHeight, x, y;
    } cases[] = {
        {1920, 1080, 300, 200, 810, 440},
        {1920, 1080, 301, 201, 809, 439},   // odd remainders drop
        {1024, 768, 1025, 769, 0, 0},       // -1 / 2 is 0, not -1
        {1024, 768, 1027, 771, -1, -1},
        {800, 600, 2000, 1000, -600, -200},  // larger than the screen: negative, still centred
        {800, 600, 0, 0, 400, 300},
    };
    for (const auto& c : cases) {
        const SplashPoint at = splashPosition(c.screenWidth, c.screenHeight, c.pictureWidth, c.pictureHeight);
        EXPECT_EQ(at.x, c.x) << c.pictureWidth << " on " << c.screenWidth;
        EXPECT_EQ(at.y, c.y) << c.pictureHeight << " on " << c.screenHeight;
    }
}

TEST(SplashRules, SettingWordsAreReadAsEachKeyDemands) {
    // The shadow wants the exact word; the native preference takes "yes" in any case.
    const struct {
        const wchar_t* text;
        bool shadow, native;
    } cases[] = {
        {L"true", true, false}, {L"True", false, false}, {L"TRUE", false, false}, {L" true", false, false},
        {L"yes", false, true},  {L"Yes", false, true},   {L"YES", false, true},   {L"yes ", false, false},
        {L"", false, false},    {L"1", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wantsShadow(c.text), c.shadow) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(prefersNativeSplash(c.text), c.native) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(SplashRules, ClosingSettingsDefaultToStayingUntilTheEnd) {
    const struct {
        const wchar_t* onWindow;
        const wchar_t* limit;
        bool expectOnWindow;
        std::uint32_t expectLimit;
    } cases[] = {
        {L"", L"", false, 0},
        {L"Yes", L"", true, 0},
        {L"yes", L"2500", true, 2500},
        {L"no", L" 750 ", false, 750},
        {L"true", L"0", false, 0},
        {L"YES", L"12s", true, 0},          // not a number: no limit rather than a guess
        {L"", L"-5", false, 0},
        {L"", L"99999999999999999999", false, 86400000},  // held at a day, never wrapped
    };
    for (const auto& c : cases) {
        const SplashClosing closing = splashClosingOf(c.onWindow, c.limit);
        EXPECT_EQ(closing.onFirstWindow, c.expectOnWindow) << testing::PrintToString(std::wstring(c.limit));
        EXPECT_EQ(closing.timeLimitMs, c.expectLimit) << testing::PrintToString(std::wstring(c.limit));
    }
}

TEST(SplashRules, ARelativePictureIsTakenFromTheCurrentFolderElseFromBesideTheExecutable) {
    // The current folder is C:\Work; the executable lies in C:\App. `files` are the paths that exist,
    // as the system would find them (relative ones in the current folder).
    const struct {
        const wchar_t* setting;
        std::vector<Text> files;
        const wchar_t* expected;
    } cases[] = {
        {L"splash.png", {L"splash.png", L"C:\\App\\splash.png"}, L"splash.png"},  // the current folder first
        {L"splash.png", {L"C:\\App\\splash.png"}, L"C:\\App\\splash.png"},   // a shortcut's other folder
        {L"art\\splash.png", {L"C:\\App\\art\\splash.png"}, L"C:\\App\\art\\splash.png"},
        {L"..\\splash.png", {L"C:\\App\\..\\splash.png"}, L"C:\\App\\..\\splash.png"},
        {L"splash.png", {}, L"splash.png"},  // nowhere: as written, and no splash shows
        {L"D:\\art\\splash.png", {L"C:\\App\\D:\\art\\splash.png"}, L"D:\\art\\splash.png"},  // absolute
        {L"\\\\server\\art\\splash.png", {}, L"\\\\server\\art\\splash.png"},
        {L"\\art\\splash.png", {L"C:\\App\\\\art\\splash.png"}, L"\\art\\splash.png"},  // rooted on the current drive
        {L"", {L"C:\\App\\"}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.setting)));
        std::vector<Text> asked;
        const auto exists = [&](const Text& path) {
            asked.push_back(path);
            return std::find(c.files.begin(), c.files.end(), path) != c.files.end();
        };
        EXPECT_EQ(splashPicturePath(c.setting, L"C:\\App\\", exists), std::wstring(c.expected));
        // Without the executable's folder only the setting itself is left.
        EXPECT_EQ(splashPicturePath(c.setting, L"", exists), std::wstring(c.setting));
        if (!asked.empty()) {
            EXPECT_EQ(asked.front(), std::wstring(c.setting));  // never the other order
        }
    }
}

TEST(SplashRules, NativeLibraryLiesTwoComponentsAboveTheJvmLibrary) {
    const struct {
        const wchar_t* jvm;
        const wchar_t* library;
    } cases[] = {
        {L"C:\\Runtime\\bin\\server\\jvm.dll", L"C:\\Runtime\\bin\\splashscreen.dll"},
        {L"C:\\Runtime\\bin\\client\\jvm.dll", L"C:\\Runtime\\bin\\splashscreen.dll"},
        {L"C:\\bin\\server\\", L"C:\\bin\\splashscreen.dll"},
        {L"C:/rt/bin/\\server\\jvm.dll", L"C:/rt/bin/splashscreen.dll"},  // a slash ends a folder too
        {L"\\jvm.dll", L""},                                                 // nothing left
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nativeSplashCandidate(c.jvm), std::wstring(c.library)) << testing::PrintToString(std::wstring(c.jvm));
    }
}

}  // namespace
