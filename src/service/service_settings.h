// The settings a launcher needs before its launch begins, to decide whether to run as a service and
// how a service stops and speaks. Read from the same stores as every other setting, at the process
// entry, before the launch reads its own.
#pragma once

#include <cstdint>

#include "settings/ini_store.h"

struct ServiceSettings {
    bool isService = false;       // [Application] "Application Type" is exactly "service"
    Text stopMethod;              // [Application] "Stop Method": a static void method of the main class
    std::uint32_t stopTimeoutMilliseconds = 20000;  // [Application] "Stop Timeout", in seconds
    Text eventSource;             // [Product Information] "Product Name": the event log's source
    Text errorFile;               // [Application] "Error File", as written (expanded when used)
};

constexpr std::uint32_t kDefaultStopTimeoutMilliseconds = 20000;

// "Stop Timeout": whole seconds from 1 to 86400 (one day); anything else is the default of 20 s.
std::uint32_t stopTimeoutOf(const Text& seconds);

// `layered`: the packaged settings under the INI beside the executable; `exeIni`: that file alone.
ServiceSettings readServiceSettings(const IniStore& layered, const IniStore& exeIni);
