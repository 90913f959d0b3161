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
    settings.isService = iniValue(layered, L"Application", L"Application Type") == L"service";
    settings.stopMethod = iniValue(layered, L"Application", L"Stop Method");
    settings.stopTimeoutMilliseconds = stopTimeoutOf(iniValue(layered, L"Application", L"Stop Timeout"));
    settings.eventSource = iniValue(exeIni, L"Product Information", L"Product Name");
    settings.errorFile = iniValue(layered, L"Application", L"Error File");
    return settings;
}
