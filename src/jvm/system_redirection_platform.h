// What stream redirection needs from Windows: local time, the process environment, the user's
// locale formatters for dated file names, full paths and folder creation.
#pragma once

#include "jvm/output_redirection.h"

// `written` as the runtime's redirection names its file: expanded, then made a full path; empty
// stays empty.
Text expandedRedirectionFile(const Text& written);

class SystemRedirectionPlatform : public RedirectionPlatform {
public:
    LocalTime localTime() override;
    bool formatTime(const Text& picture, const LocalTime& time, Text& out) override;
    bool formatDate(const Text& picture, const LocalTime& time, Text& out) override;
    bool environmentVariableSet(const Text& name) override;
    Text expandEnvironment(const Text& text) override;
    bool fullPath(const Text& name, Text& full) override;
    unsigned long createParentFolders(const Text& fullPath) override;
};
