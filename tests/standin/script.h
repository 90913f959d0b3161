// The test's script: what "main" and "secondaryMain" do (format in standin.h).
#pragma once

#include <string>
#include <vector>

#include "objects.h"

namespace standin {

struct Script {
    std::vector<std::string> mainActions;
    std::vector<std::string> secondaryActions;
    std::string stopMethod;  // a static void method without arguments, as a service's stop method
    std::vector<std::string> stopActions;
    std::string secondarySignature;  // "", "([Ljava/lang/String;)V" or "([Ljava/lang/String;)I"
    std::vector<std::string> classes;
    std::vector<std::string> classesWithoutMain;
    std::string afterExitHookEvent;
    unsigned long loadDelayMilliseconds = 0;  // how long loading an application class takes
};

// Read once, on first use.
const Script& script();

// Waits until the named (manual-reset) event is set.
void waitForEvent(const std::string& name);

// Runs the actions of "main", "secondaryMain" or "stop" (the stop method) for the application class `owner`.
jvalue runScriptedMethod(const std::string& method, const ClassInfo& owner, Call& call);

}  // namespace standin
