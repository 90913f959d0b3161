// vornicpack: turns the launcher stub and an application's settings into that application's launcher.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "folder/application_folder.h"
#include "project/project_file.h"
#include "texts/language_texts.h"
#include "package/packager.h"
#include "package/package_report.h"
#include "package/identity_codes.h"
#include "system/platform.h"
#include "texts/text_codec.h"
#include "package/verify.h"

namespace {

const char* const kUsage =
    "Usage:\n"
    "  vornicpack --stub STUB.exe --settings APP.ini --out OUT.exe [options]\n"
    "  vornicpack build APP.vornic [--stubs DIR] [--out DIR] [--zip FILE] [--launchers x64,x86]\n"
    "  vornicpack --show OUT.exe [--ini OUT.ini]\n"
    "  vornicpack verify FOLDER|FILE [--signed] [--trust CERTS.pem]\n"
    "  vornicpack --help\n"
    "\n"
    "Packaging writes OUT.exe (the stub with the application's resources) and OUT.ini beside it.\n"
    "  --stub FILE           the launcher stub (x64 or x86; vornicw.exe windowed, vornicwc.exe\n"
    "                        console), or an already packaged copy to repackage\n"
    "  --settings FILE       the application's settings: one INI text, UTF-8 or UTF-16 with BOM\n"
    "  --out FILE            the packaged executable to write; its INI file gets the same name with .ini\n"
    "  --strings FILE        replacement message texts: [Strings] for English, [Strings de] and so on\n"
    "                        for the other languages; keys are message ids\n"
    "  --languages LIST      the languages shipped beside English, such as \"de,fr,ja\" (default: all\n"
    "                        twelve: en de fr es it pt-BR nl pl ru ja zh-CN ko)\n"
    "  --icon FILE           the application's icon (.ico)\n"
    "  --version A.B.C.D     the version shown in the file's properties (default: \"Product Version\"\n"
    "                        of [Product Information], else 1.0.0.0)\n"
    "  --download-page URL   the link in the runtime selection dialog (default: https://adoptium.net/)\n"
    "  --company TEXT        the company name in the file's properties\n"
    "  --copyright TEXT      the copyright notice in the file's properties\n"
    "\n"
    "build checks a project file (the settings plus a [Package] section) and writes the application\n"
    "folder it describes, and a zip of it with --zip or Zip=. Paths in the project are relative to it.\n"
    "Console=Yes in [Package] makes console launchers from vornicwc.exe instead of vornicw.exe.\n"
    "  --stubs DIR           the folder holding x64/ and x86/ with vornicw.exe and vornicwc.exe\n"
    "                        (default: this program's folder)\n"
    "  --out DIR             the application folder (default: Output Folder of [Package])\n"
    "  --zip FILE            also write the folder as a zip (default: Zip of [Package], if given)\n"
    "  --launchers LIST      the launchers to build instead of Launchers of [Package]\n"
    "The zip's timestamps are SOURCE_DATE_EPOCH when set, else 1980-01-01. Only a folder and a zip\n"
    "that vornicpack wrote are replaced; a second build of the same output waits for the first.\n"
    "\n"
    "[Signing] in the project signs each launcher (Certificate and Key, PKCS12 File, PKCS11 Module\n"
    "and PKCS11 Key, or Sign Command with {file}); build then verifies what it wrote.\n"
    "\n"
    "verify checks the executables of an application folder (or one executable): a whole PE image\n"
    "with a correct checksum, version texts and a manifest, nothing appended, the two widths paired,\n"
    "and every signature verifying. One line per finding; exit code 1 on any.\n"
    "  --signed              every executable must be signed\n"
    "  --trust FILE          certificates (PEM) the signatures must lead to\n"
    "\n"
    "--show prints what a packaged launcher will read: whether it is a windowed or a console\n"
    "launcher, its resources, the INI file beside it (or --ini FILE), the deciphered settings and\n"
    "its messages.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "vornicpack: %s\n", message.c_str());
    return 1;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "vornicpack: %s (see vornicpack --help)\n", message.c_str());
    return 2;
}

bool readTextFile(const std::filesystem::path& path, Text& text, std::string& error) {
    Bytes bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    if (!decodeTextFile(bytes, text)) {
        error = utf8Of(path) + " is not UTF-8 or UTF-16 text with a byte-order mark";
        return false;
    }
    return true;
}

std::filesystem::path besideIniOf(const std::filesystem::path& executable) {
    std::filesystem::path ini = executable;
    return ini.replace_extension(".ini");
}

int show(const std::filesystem::path& executable, const std::filesystem::path& iniOption) {
    Bytes bytes;
    std::string error;
    if (!readWholeFile(executable, bytes, error)) return fail(error);
    const std::filesystem::path ini = iniOption.empty() ? besideIniOf(executable) : iniOption;
    Bytes iniBytes;
    std::error_code code;
    const bool haveIni = std::filesystem::exists(ini, code);
    if (haveIni && !readWholeFile(ini, iniBytes, error)) return fail(error);
    std::string report;
    if (!describePackage(bytes, haveIni ? &iniBytes : nullptr, report, error))
        return fail(utf8Of(executable) + ": " + error);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return 0;
}

int build(const std::vector<Text>& args) {
    BuildRequest request;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const Text& option = args[i];
        const bool known = option == L"--stubs" || option == L"--out" || option == L"--zip" || option == L"--launchers";
        if (!known) {
            if (option.rfind(L"--", 0) == 0 || !request.project.empty())
                return usageError("unknown argument \"" + encodeUtf8(option) + "\"");
            request.project = pathFromText(option);
            continue;
        }
        if (i + 1 >= args.size()) return usageError(encodeUtf8(option) + " needs a value");
        const Text& value = args[++i];
        if (option == L"--stubs") request.stubs = pathFromText(value);
        else if (option == L"--out") request.outputFolder = pathFromText(value);
        else if (option == L"--zip") request.zip = pathFromText(value);
        else if (!parseWidths(value, request.launchers)) return usageError("--launchers takes x64, x86 or x64,x86");
    }
    if (request.project.empty()) return usageError("build needs a project file");
    if (request.stubs.empty() && !ownProgramFolder(request.stubs)) return fail("cannot find this program's folder: give --stubs");
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char* end = nullptr;
        const long long seconds = std::strtoll(epoch, &end, 10);
        if (*end != '\0' || seconds < 0) return usageError("SOURCE_DATE_EPOCH must be a number of seconds");
        request.sourceDateEpoch = seconds;
    }
    std::vector<std::string> notes;
    std::string error;
    const bool built = buildApplication(request, notes, error);
    for (const std::string& note : notes) std::printf("vornicpack: %s\n", note.c_str());
    if (!built) return fail(error);
    return 0;
}

int verify(const std::vector<Text>& args) {
    VerifyOptions options;
    std::filesystem::path target;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == L"--signed") {
            options.expectSigned = true;
        } else if (args[i] == L"--trust") {
            if (i + 1 >= args.size()) return usageError("--trust needs a file");
            options.trust = pathFromText(args[++i]);
        } else if (args[i].rfind(L"--", 0) == 0 || !target.empty()) {
            return usageError("unknown argument \"" + encodeUtf8(args[i]) + "\"");
        } else {
            target = pathFromText(args[i]);
        }
    }
    if (target.empty()) return usageError("verify needs a folder or an executable");
    VerifyReport report;
    std::string error;
    if (!verifyShipment(target, options, report, error)) return fail(error);
    const bool folder = std::filesystem::is_directory(target);
    for (const std::string& note : report.notes) std::printf("vornicpack: %s\n", note.c_str());
    for (const VerifyFinding& finding : report.findings) {
        Text file;
        decodeUtf8(finding.file, file);
        const std::filesystem::path shown = folder ? target / pathFromText(file) : target;
        std::printf("%s: %s\n", utf8Of(shown).c_str(), finding.text.c_str());
    }
    return report.findings.empty() ? 0 : 1;
}

// The options of packaging one stub (or of --show), as given.
struct PackOptions {
    std::filesystem::path stub, settings, out, strings, icon, show, ini;
    PackageInputs in;
    bool help = false;
};

// Fills `options` from `args`; 0 when they are well formed, else the exit code of the usage error.
int readPackOptions(const std::vector<Text>& args, PackOptions& options) {
    static const std::vector<Text> withValue = {L"--stub",  L"--settings", L"--out",           L"--strings",
                                                L"--icon",  L"--version",  L"--download-page", L"--company",
                                                L"--copyright", L"--show", L"--ini",           L"--languages"};
    PackageInputs& in = options.in;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Text& option = args[i];
        if (option == L"--help" || option == L"-h") {
            options.help = true;
            continue;
        }
        bool known = false;
        for (const Text& name : withValue) known = known || name == option;
        if (!known) return usageError("unknown argument \"" + encodeUtf8(option) + "\"");
        if (i + 1 >= args.size()) return usageError(encodeUtf8(option) + " needs a value");
        const Text& value = args[++i];
        if (option == L"--stub") options.stub = pathFromText(value);
        else if (option == L"--settings") options.settings = pathFromText(value);
        else if (option == L"--out") options.out = pathFromText(value);
        else if (option == L"--strings") options.strings = pathFromText(value);
        else if (option == L"--icon") options.icon = pathFromText(value);
        else if (option == L"--show") options.show = pathFromText(value);
        else if (option == L"--ini") options.ini = pathFromText(value);
        else if (option == L"--version") in.version = value;
        else if (option == L"--languages") {
            in.languages = languageList(encodeUtf8(value));
            // Left out, the option ships all twelve; an empty list could mean that as well as none.
            if (in.languages.empty())
                return usageError("--languages names no language: give en for English alone, or leave the option "
                                  "out for all twelve");
        }
        else if (option == L"--download-page") in.downloadPage = value;
        else if (option == L"--company") in.companyName = value;
        else if (option == L"--copyright") in.copyright = value;
    }
    return 0;
}

// Reads the files the options name into the package's inputs.
bool readPackInputs(PackOptions& options, std::string& error) {
    PackageInputs& in = options.in;
    if (!readWholeFile(options.stub, in.stub, error) || !readTextFile(options.settings, in.settingsText, error))
        return false;
    if (!options.strings.empty()) {
        if (!readTextFile(options.strings, in.stringsText, error)) return false;
        in.hasStrings = true;
    }
    if (!options.icon.empty()) {
        if (!readWholeFile(options.icon, in.icon, error)) return false;
        in.hasIcon = true;
    }
#ifdef _WIN32
    in.outputFileName = options.out.filename().wstring();
#else
    decodeUtf8(options.out.filename().string(), in.outputFileName);
#endif
    // The pass phrase is derived from the settings (buildPackage); only a missing Upgrade Code is new.
    if (!newGuid(in.generatedUpgradeCode)) {
        error = "the system's random generator failed";
        return false;
    }
    return true;
}

// Why the launcher cannot be written as `out` and read its INI file beside it; empty when it can.
std::string outputNameProblem(const std::filesystem::path& out) {
    const Text name = textOfPath(out.filename()), stem = textOfPath(out.stem());
    if (std::string problem = fileNameProblem(stem); !problem.empty()) return problem;
    // Both files are first written under the name with a suffix of 17 characters (".0123456789ab.tmp").
    Text longer = name;
    if (stem.size() + 4 > name.size()) longer = stem + L".ini";
    if (std::string problem = longFileNameProblem(longer, 255 - 17); !problem.empty())
        return problem + ", as it is first written under a temporary name 17 characters longer, within the 255 of a "
                         "file name";
    return std::string();
}

int pack(PackOptions& options) {
    std::string error;
    if (!readPackInputs(options, error)) return fail(error);
    PackageOutput out;
    PackageError fault;
    if (!buildPackage(options.in, out, fault)) {
        // Name the file that the problem is about.
        const std::filesystem::path* file = fault.input == PackageInput::Stub       ? &options.stub
                                            : fault.input == PackageInput::Settings ? &options.settings
                                            : fault.input == PackageInput::Strings  ? &options.strings
                                            : fault.input == PackageInput::Icon     ? &options.icon
                                                                                    : nullptr;
        return fail(file ? utf8Of(*file) + ": " + fault.text : fault.line());
    }
    const std::filesystem::path iniOut = besideIniOf(options.out);
    if (!writeFilesReplacing({{options.out, out.executable}, {iniOut, out.besideIni}}, error)) return fail(error);
    std::printf("vornicpack: wrote %s and %s\n", utf8Of(options.out).c_str(), utf8Of(iniOut).c_str());
    if (out.settings.upgradeCodeGenerated)
        std::printf("vornicpack: generated the Upgrade Code %s; add it to [Product Information] of %s to keep it\n",
                    encodeUtf8(out.settings.upgradeCode).c_str(), utf8Of(options.settings).c_str());
    return 0;
}

int run(const std::vector<Text>& args) {
    if (!args.empty() && args[0] == L"build") return build(args);
    if (!args.empty() && args[0] == L"verify") return verify(args);
    PackOptions options;
    if (const int code = readPackOptions(args, options)) return code;
    if (options.help || args.empty()) {
        std::fputs(kUsage, stdout);
        return options.help ? 0 : 2;
    }
    if (!options.show.empty()) return show(options.show, options.ini);
    if (options.stub.empty() || options.settings.empty() || options.out.empty())
        return usageError("packaging needs --stub, --settings and --out");
    if (options.out.extension().empty()) return usageError("the --out name needs an extension, such as .exe");
    if (const std::string problem = outputNameProblem(options.out); !problem.empty())
        return fail("--out " + utf8Of(options.out) + ": the file name " + problem);
    return pack(options);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<Text> args(argv + 1, argv + argc);
    return run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<Text> args;
    for (int i = 1; i < argc; ++i) {
        Text arg;
        if (!decodeUtf8(argv[i], arg)) return usageError("argument " + std::to_string(i) + " is not UTF-8");
        args.push_back(arg);
    }
    return run(args);
}
#endif
