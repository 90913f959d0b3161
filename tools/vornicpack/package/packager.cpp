#include "package/packager.h"

#include "resources/dialog_templates.h"
#include "resources/icon_version.h"
#include "texts/language_texts.h"
#include "pe/pe_image.h"
#include "package/identity_codes.h"
#include "settings/settings_cipher.h"
#include "resources/string_table.h"
#include "support/pe_headers.h"
#include "texts/text_codec.h"

namespace {

Text widenBytes(const std::string& text) {
    Text out;
    for (const char c : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

Resource rcData(std::uint16_t id, Bytes data) {
    Resource resource;
    resource.type = ResourceName::of(kTypeRcData);
    resource.name = ResourceName::of(id);
    resource.data = std::move(data);
    return resource;
}

const Resource* findResource(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t id) {
    for (const Resource& resource : resources)
        if (resource.type == ResourceName::of(type) && resource.name == ResourceName::of(id)) return &resource;
    return nullptr;
}

}  // namespace

bool isPackagedResource(const Resource& resource) {
    if (!resource.type.isId()) return false;
    switch (resource.type.id) {
        case kTypeString:
        case kTypeDialog:
        case kTypeIcon:
        case kTypeGroupIcon:
        case kTypeVersion:
            return true;
        case kTypeRcData:
            return resource.name == ResourceName::of(kSettingsResource) ||
                   resource.name == ResourceName::of(kPassPhraseResource);
        default:
            return false;
    }
}

namespace {

// The icon, when one is given, and the version resource: from the options, else from the settings.
bool putIconAndVersion(const PackageInputs& in, const SplitSettings& split, std::vector<Resource>& resources,
                       PackageError& error) {
    std::string problem;
    if (in.hasIcon) {
        std::vector<Resource> icons;
        if (!buildIconResources(in.icon, icons, problem)) {
            error = {PackageInput::Icon, problem};
            return false;
        }
        for (Resource& icon : icons) putResource(resources, std::move(icon));
    }

    VersionTexts version;
    const Text versionText = !in.version.empty() ? in.version
                             : !split.productVersion.empty() ? split.productVersion
                                                             : Text(L"1.0.0.0");
    if (!parseFourPartVersion(versionText, version.version)) {
        error = {PackageInput::Version,
                 "\"" + encodeUtf8(versionText) + "\" is not a version of up to four numbers 0 to 65535"};
        return false;
    }
    version.productName = split.productName;
    if (version.productName.empty()) {
        version.productName = in.outputFileName;
        const std::size_t dot = version.productName.rfind(L'.');
        if (dot != Text::npos && dot > 0) version.productName.erase(dot);
    }
    version.fileDescription = version.productName;
    version.companyName = in.companyName;
    version.copyright = in.copyright;
    version.originalFilename = in.outputFileName;
    putResource(resources, buildVersionResource(version));
    return true;
}

// English always, as the neutral fallback; then the chosen languages, or all when none are chosen.
bool shippedLanguages(const std::vector<std::string>& tags, std::vector<const LanguageTexts*>& shipped,
                      PackageError& error) {
    shipped = {&englishTexts()};
    if (tags.empty()) {
        shipped = knownLanguages();
        return true;
    }
    for (const std::string& tag : tags) {
        const LanguageTexts* language = findLanguage(tag);
        if (!language) {
            std::string known;
            for (const LanguageTexts* each : knownLanguages()) known += (known.empty() ? "" : ", ") + std::string(each->tag);
            error = {PackageInput::Languages, "\"" + tag + "\" is not a language the packer has texts for (" + known + ")"};
            return false;
        }
        bool listed = false;
        for (const LanguageTexts* each : shipped) listed = listed || each == language;
        if (!listed) shipped.push_back(language);
    }
    return true;
}

// The strings file's texts by language; texts for a language the package leaves out are a slip.
bool readUserTexts(const PackageInputs& in, const std::vector<const LanguageTexts*>& shipped, UserTexts& userTexts,
                   PackageError& error) {
    std::string problem;
    if (in.hasStrings && !readStringsFile(in.stringsText, userTexts, problem)) {
        error = {PackageInput::Strings, problem};
        return false;
    }
    for (const auto& [tag, texts] : userTexts) {
        bool kept = false;
        for (const LanguageTexts* language : shipped) kept = kept || tag == language->tag;
        if (!kept) {
            error = {PackageInput::Strings, "texts for " + std::string(findLanguage(tag)->name) + " (" + tag +
                                                "), a language the package leaves out"};
            return false;
        }
    }
    return true;
}

// Every shipped language gets whole tables and both dialogs: the user's texts over its defaults.
void putLanguages(const std::vector<const LanguageTexts*>& shipped, UserTexts& userTexts, DialogTexts dialogTexts,
                  std::vector<Resource>& resources) {
    for (const LanguageTexts* language : shipped) {
        std::map<unsigned, Text> texts = defaultMessageTexts(*language);
        for (const auto& [id, text] : userTexts[language->tag]) texts[id] = text;
        for (Resource& block : buildStringTables(texts, language->resourceLanguage))
            putResource(resources, std::move(block));
        dialogTexts.words = &language->dialog;
        for (Resource& dialog : buildDialogs(dialogTexts, language->resourceLanguage))
            putResource(resources, std::move(dialog));
    }
}

}  // namespace

std::string PackageError::line() const {
    const char* const labels[] = {"", "stub: ", "settings: ", "strings: ", "languages: ", "icon: ", "version: "};
    return labels[static_cast<int>(input)] + text;
}

bool buildPackage(const PackageInputs& in, PackageOutput& out, std::string& error) {
    PackageError fault;
    if (buildPackage(in, out, fault)) return true;
    error = fault.line();
    return false;
}

bool buildPackage(const PackageInputs& in, PackageOutput& out, PackageError& error) {
    out = PackageOutput();
    if (!isPrintableAscii(widenBytes(in.passPhrase))) {
        error = {PackageInput::None, "the pass phrase must be printable ASCII"};
        return false;
    }
    PeImage stub;
    std::string problem;
    if (!stub.parse(in.stub, problem)) {
        error = {PackageInput::Stub, problem};
        return false;
    }
    std::vector<Resource> kept;
    if (!stub.readResources(kept, problem)) {
        error = {PackageInput::Stub, problem};
        return false;
    }
    std::vector<Resource> resources;
    for (Resource& resource : kept)
        if (!isPackagedResource(resource)) resources.push_back(std::move(resource));

    std::vector<IniSection> sections;
    SplitSettings split;
    if (!parseSettingsText(in.settingsText, sections, problem) ||
        !splitSettings(sections, in.generatedUpgradeCode, split, problem,
                       stub.machine() == kMachineI386 ? MemoryArithmetic::Bits32 : MemoryArithmetic::Bits64)) {
        error = {PackageInput::Settings, problem};
        return false;
    }

    const std::string passPhrase = in.passPhrase.empty() ? derivePassPhrase(split) : in.passPhrase;

    std::vector<const LanguageTexts*> shipped;
    UserTexts userTexts;
    if (!shippedLanguages(in.languages, shipped, error) || !readUserTexts(in, shipped, userTexts, error)) return false;

    // Two stages, as the launcher deciphers them: the pass phrase under the Upgrade Code, the
    // settings under the pass phrase; both hashed as narrow (here: ASCII) bytes.
    putResource(resources, rcData(kSettingsResource, encipherSettings(toUtf16Le(split.packagedText), passPhrase)));
    putResource(resources, rcData(kPassPhraseResource, encipherSettings(toUtf16Le(widenBytes(passPhrase)),
                                                                        narrowAscii(split.upgradeCode))));
    putLanguages(shipped, userTexts, {split.productName, in.downloadPage, nullptr}, resources);

    if (!putIconAndVersion(in, split, resources, error)) return false;

    if (!stub.withResources(resources, out.executable, problem)) {
        error = {PackageInput::Stub, problem};
        return false;
    }
    out.besideIni = {0xFF, 0xFE};
    const Bytes ini = toUtf16Le(split.besideText);
    out.besideIni.insert(out.besideIni.end(), ini.begin(), ini.end());
    out.settings = std::move(split);
    return true;
}

bool decipherPackagedSettings(const std::vector<Resource>& resources, const std::string& upgradeCode, Text& settings,
                              std::string& error) {
    settings.clear();
    const Resource* passResource = findResource(resources, kTypeRcData, kPassPhraseResource);
    const Resource* settingsResource = findResource(resources, kTypeRcData, kSettingsResource);
    if (!passResource || !settingsResource) {
        error = "it holds no packaged settings (RCDATA 8000 and 9000)";
        return false;
    }
    const Text passPhrase = fromUtf16Le(decipherSettings(passResource->data, upgradeCode));
    if (!isPrintableAscii(passPhrase)) {
        error = "the packaged settings do not decipher with this Upgrade Code";
        return false;
    }
    settings = fromUtf16Le(decipherSettings(settingsResource->data, narrowAscii(passPhrase)));
    return true;
}
