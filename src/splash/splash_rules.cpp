#include "splash/splash_rules.h"

#include "support/path.h"

namespace {

constexpr std::uint32_t kLongestLimitMs = 24u * 60u * 60u * 1000u;

}  // namespace

SplashPoint splashPosition(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight) {
    // C++ integer division truncates toward zero, which is the rule wanted here (-1 / 2 is 0).
    return SplashPoint{(screenWidth - pictureWidth) / 2, (screenHeight - pictureHeight) / 2};
}

bool wantsShadow(const Text& setting) { return setting == L"true"; }

bool prefersNativeSplash(const Text& setting) { return equalsNoCase(setting, L"yes"); }

SplashClosing splashClosingOf(const Text& onWindowSetting, const Text& timeLimitSetting) {
    SplashClosing closing;
    closing.onFirstWindow = equalsNoCase(trimText(onWindowSetting), L"yes");
    const Text digits = trimText(timeLimitSetting);
    if (digits.empty()) return closing;
    std::uint64_t value = 0;
    for (wchar_t unit : digits) {
        if (unit < L'0' || unit > L'9') return closing;
        value = value * 10 + static_cast<std::uint64_t>(unit - L'0');
        if (value > kLongestLimitMs) value = kLongestLimitMs;
    }
    closing.timeLimitMs = static_cast<std::uint32_t>(value);
    return closing;
}

Text splashPicturePath(const Text& setting, const Text& exeFolder, const std::function<bool(const Text&)>& exists) {
    const bool folderRelative = !setting.empty() && !isAbsolutePath(setting) && setting[0] != L'\\' && setting[0] != L'/';
    if (!folderRelative || exeFolder.empty() || exists(setting)) return setting;
    const Text beside = ensureTrailingBackslash(exeFolder) + setting;
    return exists(beside) ? beside : setting;
}

Text nativeSplashCandidate(const Text& jvmLibraryPath) {
    Text folder = stripPathComponents(jvmLibraryPath, 2);
    if (folder.empty()) return Text();
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + L"splashscreen.dll";
}
