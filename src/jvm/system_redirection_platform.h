// What stream redirection needs from Windows: local time, the user's locale formatters for dated
// file names, and folder creation.
#pragma once

#include "jvm/output_redirection.h"

class SystemRedirectionPlatform : public RedirectionPlatform {
public:
    LocalTime localTime() override;
    bool formatTime(const Text& picture, const LocalTime& time, Text& out) override;
    bool formatDate(const Text& picture, const LocalTime& time, Text& out) override;
    void createParentFolders(const Text& file) override;
};
