// install-service.cmd and uninstall-service.cmd for an application of "Application Type" service:
// sc.exe commands that register the launcher beside the scripts (wherever the folder was installed)
// and remove it again. Run from an elevated prompt; each ends with sc's exit code.
//
//   ServiceScripts scripts;
//   if (!makeServiceScripts({L"ShopServer", L"Shop Server", L"Serves orders", L"auto", L"shop.exe"}, scripts, error)) ...
#pragma once

#include <string>

#include "support/text.h"

struct ServiceDefinition {
    Text name;         // the service's key name, as sc takes it
    Text displayName;  // what the services console shows
    Text description;  // empty: none
    Text start;        // auto, delayed-auto, demand or disabled (any case); empty: auto
    Text launcher;     // the launcher's file name beside the scripts
};

struct ServiceScripts {
    std::string install, uninstall;  // UTF-8, CRLF line ends
};

// Why `name` cannot be a service's name (empty, all blanks, a device name, a quote, a slash, ...);
// empty when it can.
std::string serviceNameProblem(const Text& name);

// False, with `error` naming the field, for texts the service manager or cmd.exe cannot take.
bool makeServiceScripts(const ServiceDefinition& service, ServiceScripts& scripts, std::string& error);
