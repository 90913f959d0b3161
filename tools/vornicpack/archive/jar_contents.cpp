#include "archive/jar_contents.h"

#include <cctype>

#include "pe/byte_io.h"

std::string manifestAttribute(const Bytes& manifest, const std::string& attribute) {
    // Lines end in CR LF, LF or CR; a line starting with one space continues the one before; the main
    // section ends at the first empty line.
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i <= manifest.size(); ++i) {
        const char c = i < manifest.size() ? static_cast<char>(manifest[i]) : '\n';
        if (c != '\r' && c != '\n') {
            current += c;
            continue;
        }
        if (c == '\r' && i + 1 < manifest.size() && manifest[i + 1] == '\n') ++i;
        if (!current.empty() && current[0] == ' ' && !lines.empty()) {
            lines.back() += current.substr(1);
        } else {
            if (current.empty()) break;
            lines.push_back(current);
        }
        current.clear();
    }
    std::string name;
    for (const char c : attribute) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    name += ':';
    for (const std::string& line : lines) {
        if (line.size() < name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = static_cast<char>(std::tolower(static_cast<unsigned char>(line[i]))) == name[i];
        if (!same) continue;
        std::string value = line.substr(name.size());
        while (!value.empty() && value.front() == ' ') value.erase(0, 1);
        while (!value.empty() && value.back() == ' ') value.pop_back();
        return value;
    }
    return std::string();
}

std::string manifestMainClass(const Bytes& manifest) { return manifestAttribute(manifest, "Main-Class"); }

bool manifestIsMultiRelease(const Bytes& manifest) {
    // As the runtime reads it: "true" in any case.
    std::string value = manifestAttribute(manifest, "Multi-Release");
    for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value == "true";
}

int versionedEntryRelease(const std::string& entryName, const std::string& name) {
    const std::string prefix = "META-INF/versions/";
    if (entryName.compare(0, prefix.size(), prefix) != 0) return 0;
    const std::size_t slash = entryName.find('/', prefix.size());
    if (slash == std::string::npos || slash == prefix.size() || slash - prefix.size() > 4 ||
        entryName.compare(slash + 1, std::string::npos, name) != 0)
        return 0;
    int release = 0;
    for (std::size_t i = prefix.size(); i < slash; ++i) {
        if (entryName[i] < '0' || entryName[i] > '9') return 0;
        release = release * 10 + (entryName[i] - '0');
    }
    // The runtime looks in versions 9 and later only.
    return release >= 9 ? release : 0;
}

int classFileMajor(const Bytes& classFile) {
    if (classFile.size() < 8 || classFile[0] != 0xCA || classFile[1] != 0xFE || classFile[2] != 0xBA ||
        classFile[3] != 0xBE)
        return 0;
    return classFile[6] << 8 | classFile[7];
}

std::string javaVersionOfClassFile(int major) {
    if (major <= 45) return "1.1";
    if (major <= 52) return "1." + std::to_string(major - 44);
    return std::to_string(major - 44);
}
