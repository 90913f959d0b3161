#include "service/service_settings.h"

std::uint32_t stopTimeoutOf(const Text& seconds) {
    constexpr std::uint32_t kMostSeconds = 86400;
    if (seconds.empty() || seconds.size() > 5) return kDefaultStopTimeoutMilliseconds;
    std::uint32_t value = 0;
    for (wchar_t unit : seconds) {
        if (unit < L'0' || unit > L'9') return kDefaultStopTimeoutMilliseconds;
        value = value * 10 + static_cast<std::uint32_t>(unit - L'0');
    }
    if (value == 0 || value > kMostSeconds) return kDefaultStopTimeoutMilliseconds;
    return value * 1000;
}

ServiceSettings readServiceSettings(const IniStore& layered, const IniStore& exeIni) {
    ServiceSettings settings;
    settings.isService = iniValue(layered, Setting::ApplicationType) == L"service";
    settings.stopMethod = iniValue(layered, Setting::StopMethod);
    settings.stopTimeoutMilliseconds = stopTimeoutOf(iniValue(layered, Setting::StopTimeout));
    settings.eventSource = iniValue(exeIni, Setting::ProductName);
    settings.errorFile = iniValue(layered, Setting::ErrorFile);
    return settings;
}
