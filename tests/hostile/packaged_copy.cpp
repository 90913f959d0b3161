#include "packaged_copy.h"

#include <sstream>

namespace {

const WText kStandin = WIDE_STANDIN_RUNTIME;

bool copyInto(const WText& from, const WText& to) { return CopyFileW(from.c_str(), longForm(to).c_str(), FALSE) != 0; }

}  // namespace

const Text PackagedCopy::kUpgradeCode = L"{6E2B9D40-3C71-4F85-A0D6-5B8E1C9F2A37}";
const Text PackagedCopy::kProductName = L"Hostile Places";
const Text PackagedCopy::kProductCode = L"{D17A4C2E-8B39-4E60-9F15-2C7B0A5E8D43}";

WText longForm(const WText& path) {
    return path.size() >= 240 && path.compare(0, 4, L"\\\\?\\") != 0 ? L"\\\\?\\" + path : path;
}

Text PackagedCopy::plainSettings(const Text& runtimeLines, const Text& more) {
    return L"[Java Runtime Environment]\r\nMain Class=app.Main\r\n" + runtimeLines +
           L"[Class Path]\r\nClass Path=app.jar\r\n" + more;
}

PackagedResources PackagedCopy::resourcesFor(const Text& iniText) {
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second stage", iniText);
    for (unsigned id : {202u, 203u, 209u, 210u, 211u, 213u, 215u, 216u, 222u, 225u, 226u, 227u, 228u, 229u, 230u}) {
        resources.strings[id] = L"[" + std::to_wstring(id) + L"] %s %s";
    }
    resources.strings[222] = L"[222] cannot load %s (%d)";
    resources.strings[202] = L"[202] %s (%d)";
    return resources;
}

PackagedCopy::PackagedCopy(const WText& folder, const WText& exeName, const PackagedResources& resources,
                           const std::string& script)
    : folder_(folder), exeName_(exeName) {
    // The copy is packaged where every path is short, then moved into place.
    const WText staged = scratch() + L"staged.exe";
    if (!CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), staged.c_str(), FALSE) || !resources.writeInto(staged)) {
        return;
    }
    const WText runtime = folder_ + (sizeof(void*) == 8 ? L"jre64\\" : L"jre\\");
    ready_ = makeFolders(longForm(runtime + L"bin\\server")) &&
             MoveFileW(staged.c_str(), longForm(exe()).c_str()) &&
             writeUtf16File(longForm(iniFile()), L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                     L"\r\nProduct Name=" + kProductName + L"\r\nProduct Code=" +
                                                     kProductCode + L"\r\n") &&
             writeFileBytes(longForm(folder_ + L"app.jar"), "PK") &&
             copyInto(kStandin + L"bin\\java.dll", runtime + L"bin\\java.dll") &&
             copyInto(kStandin + L"bin\\server\\jvm.dll", runtime + L"bin\\server\\jvm.dll") &&
             writeFileBytes(scratch() + L"script.txt", script) && makeFolders(scratch() + L"appdata");
}

WText PackagedCopy::iniFile() const { return exe().substr(0, exe().rfind(L'.')) + L".ini"; }

Launch PackagedCopy::run(const std::vector<WText>& environment, const WText& currentFolder) const {
    std::vector<WText> all = {L"APPDATA=" + scratch() + L"appdata", L"VORNIC_STANDIN_RECORD=" + scratch() + L"record.txt",
                              L"VORNIC_STANDIN_SCRIPT=" + scratch() + L"script.txt", L"VORNIC_STANDIN_STACK_SIZE="};
    all.insert(all.end(), environment.begin(), environment.end());
    DeleteFileW((scratch() + L"record.txt").c_str());
    return runAnswering(longForm(exe()), L"\"" + exe() + L"\"", IDOK, 30000 * VORNIC_TIME_FACTOR,
                        currentFolder.empty() ? folder_ : currentFolder, all);
}

std::string describe(const Launch& launch) {
    std::ostringstream out;
    out << (launch.finished ? "exit " : "hung, ended; ") << static_cast<int>(launch.exitCode) << ", "
        << launch.milliseconds << " ms";
    for (const SeenWindow& window : launch.windows) out << "; window \"" << utf8Of(window.text) << "\"";
    return out.str();
}
