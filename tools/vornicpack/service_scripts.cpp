#include "service_scripts.h"

#include <cwctype>
#include <tuple>

#include "support/utf8.h"

namespace {

// The service manager limits names and display names to 256 characters.
constexpr std::size_t kLongestName = 256;

// What makes `value` unusable, or empty. cmd.exe reads a `set "name=value"` line with only % special
// inside the quotes; a double quote or a line break cannot be written there at all.
std::string problemIn(const std::string& field, const Text& value, bool required, bool isKeyName) {
    const std::string quoted = "\"" + field + "\"";
    if (required && value.empty()) return quoted + " is empty";
    if (required && value.size() > kLongestName) return quoted + " is longer than 256 characters";
    for (const wchar_t unit : value) {
        if (unit == L'"') return quoted + " holds a double quote, which cmd.exe cannot pass to sc";
        if (unit < 0x20 || unit == 0x7F) return quoted + " holds a control character";
        if (isKeyName && (unit == L'/' || unit == L'\\')) return quoted + " holds a slash, which a service name may not";
    }
    return {};
}

// `set "variable=<prefix><value>"`, the value as cmd.exe reads it back: % doubled.
std::string setLine(const char* variable, const Text& value, const char* prefix = "") {
    std::string escaped;
    for (const char c : encodeUtf8(value)) escaped += c == '%' ? std::string("%%") : std::string(1, c);
    return std::string("set \"") + variable + "=" + prefix + escaped + "\"\r\n";
}

// Values are set while delayed expansion is off and used as !name! once it is on: cmd expands those
// after it has read & | < > ^ and parentheses, so an application folder such as C:\R&D\ or a display
// name such as "Orders & Invoices" reaches sc as it stands.
const char* const kPreamble = "@echo off\r\nsetlocal DisableDelayedExpansion\r\n";
const char* const kExpand = "setlocal EnableDelayedExpansion\r\n";
const char* const kStopOnFailure = "if errorlevel 1 exit /b !errorlevel!\r\n";

}  // namespace

bool makeServiceScripts(const ServiceDefinition& service, ServiceScripts& scripts, std::string& error) {
    Text start = service.start.empty() ? Text(L"auto") : service.start;
    for (wchar_t& unit : start) unit = static_cast<wchar_t>(std::towlower(unit));
    if (start != L"auto" && start != L"delayed-auto" && start != L"demand" && start != L"disabled") {
        error = "\"Service Start\" must be auto, delayed-auto, demand or disabled, not \"" +
                encodeUtf8(service.start) + "\"";
        return false;
    }
    for (const auto& [field, value, required, isKeyName] :
         {std::tuple{"Service Name", &service.name, true, true},
          std::tuple{"Service Display Name", &service.displayName, true, false},
          std::tuple{"Service Description", &service.description, false, false}})
        if (std::string problem = problemIn(field, *value, required, isKeyName); !problem.empty()) {
            error = problem;
            return false;
        }

    scripts.install = std::string(kPreamble) +
                      "rem Installs the application as a Windows service. Run it from an elevated prompt.\r\n" +
                      setLine("service", service.name) + setLine("display", service.displayName) +
                      setLine("description", service.description) + setLine("launcher", service.launcher, "%~dp0") +
                      kExpand + "sc create \"!service!\" binPath= \"\\\"!launcher!\\\"\" DisplayName= \"!display!\" start= " +
                      encodeUtf8(start) + "\r\n" + kStopOnFailure;
    if (!service.description.empty())
        scripts.install += std::string("sc description \"!service!\" \"!description!\"\r\n") + kStopOnFailure;
    scripts.uninstall = std::string(kPreamble) +
                        "rem Stops and removes the application's Windows service. Run it from an elevated prompt.\r\n" +
                        setLine("service", service.name) + kExpand + "sc stop \"!service!\" >nul 2>&1\r\n" +
                        "sc delete \"!service!\"\r\n";
    return true;
}
