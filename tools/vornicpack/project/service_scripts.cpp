#include "project/service_scripts.h"

#include <cwctype>
#include <tuple>

#include "project/project_file.h"
#include "support/utf8.h"

namespace {

// The service manager limits names and display names to 256 characters.
constexpr std::size_t kLongestName = 256;

// What makes `value` unusable, or empty. A double quote or a line break cannot be written inside
// the quoted arguments the scripts give sc.
std::string problemIn(const std::string& field, const Text& value, bool required, bool isKeyName) {
    const std::string quoted = "\"" + field + "\"";
    if (required && value.empty()) return quoted + " is empty";
    if (required && value.size() > kLongestName) return quoted + " is longer than 256 characters";
    for (const wchar_t unit : value) {
        if (unit == L'"') return quoted + " holds a double quote, which cmd.exe cannot pass to sc";
        if (unit < 0x20 || unit == 0x7F) return quoted + " holds a control character";
        if (isKeyName && (unit == L'/' || unit == L'\\')) return quoted + " holds a slash, which a service name may not";
    }
    if (isKeyName && value.find_first_not_of(L' ') == Text::npos) return quoted + " is all blanks";
    if (isKeyName && (value.front() == L' ' || value.back() == L' '))
        return quoted + " begins or ends with a blank, which sc and the services console do not show";
    if (isKeyName && isDeviceName(value)) return quoted + " is a device name that Windows reserves (" + kDeviceNames + ")";
    return {};
}

// A value inside double quotes on a script line: cmd.exe reads & | < > ^ ( ) and ! there as they
// stand (delayed expansion stays off), and only % needs doubling.
std::string percentsDoubled(const Text& value) {
    std::string escaped;
    for (const char c : encodeUtf8(value)) escaped += c == '%' ? std::string("%%") : std::string(1, c);
    return escaped;
}

std::string quotedArgument(const Text& value) { return "\"" + percentsDoubled(value) + "\""; }

// cmd.exe reads a batch file line by line in the console's code page, the OEM one unless changed:
// the lines before the switch to UTF-8 are plain ASCII, and the previous code page comes back at
// the end. "chcp" says "Active code page: 850" (or "Aktive Codepage: 850."): the number is the
// part after the colon, without a dot.
const char* const kPreamble =
    "@echo off\r\n"
    "setlocal DisableDelayedExpansion\r\n"
    "set \"codepage=\"\r\n"
    "for /f \"tokens=2 delims=:.\" %%c in ('chcp') do set /a \"codepage=%%c\" >nul 2>&1\r\n"
    "chcp 65001 >nul 2>&1\r\n";
// sc's exit code, after the code page is back.
const char* const kEnd =
    ":end\r\n"
    "set \"result=%errorlevel%\"\r\n"
    "if \"%codepage%\" gtr \"0\" chcp %codepage% >nul 2>&1\r\n"
    "exit /b %result%\r\n";

}  // namespace

std::string serviceNameProblem(const Text& name) { return problemIn("Service Name", name, true, true); }

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

    const std::string name = quotedArgument(service.name);
    // The launcher's path comes from %~dp0, which sc's binPath needs inside quotes of its own; cmd.exe
    // sees those as the end of its quotes, so the path reaches the line as a for variable, which
    // cmd.exe substitutes after it has read the line's & | < > ^ and parentheses.
    scripts.install = std::string(kPreamble) +
                      "rem Installs the application as a Windows service. Run it from an elevated prompt.\r\n" +
                      "for %%p in (\"%~dp0" + percentsDoubled(service.launcher) + "\") do sc create " + name + " binPath= \"\\\"%%~p\\\"\" DisplayName= " +
                      quotedArgument(service.displayName) + " start= " + encodeUtf8(start) + "\r\n";
    if (!service.description.empty())
        scripts.install += "if errorlevel 1 goto end\r\nsc description " + name + " " +
                           quotedArgument(service.description) + "\r\n";
    scripts.install += kEnd;
    scripts.uninstall = std::string(kPreamble) +
                        "rem Stops and removes the application's Windows service. Run it from an elevated prompt.\r\n" +
                        "sc stop " + name + " >nul 2>&1\r\n" + "sc delete " + name + "\r\n" + kEnd;
    return true;
}
