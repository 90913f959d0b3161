// Whole launches on a machine without Java whose application names a runtime to download: the
// launcher fetches the stand-in runtime's zip from a server of the test's own on 127.0.0.1, checks
// and unpacks it, remembers it and starts it; every way a download can fail gives its one message,
// leaves nothing behind, and the selection dialog follows; Cancel in the progress window too.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "resources/dialog_templates.h"
#include "download/download_settings.h"
#include "harness.h"
#include "local_http_server.h"
#include "package_resources.h"
#include "resources/string_table.h"
#include "support/sha256.h"
#include "archive/zip_archive.h"

namespace {

// The selection dialog's caption ends with its template's title.
bool isRuntimeDialog(const SeenWindow& window) {
    const WText title = L"Java Runtime Needed";
    return window.caption.size() >= title.size() && window.caption.compare(window.caption.size() - title.size(), title.size(), title) == 0;
}
bool isProgressWindow(const SeenWindow& window) { return window.caption == L"Downloading Java for Download Demo"; }

SeenWindow seenWindow(HWND window) {
    SeenWindow seen;
    seen.className = windowClassOf(window);
    seen.caption = windowTextOf(window);
    seen.text = messageBoxText(window);
    return seen;
}

constexpr DWORD kLaunchTimeout = 60000 * VORNIC_TIME_FACTOR;
constexpr DWORD kMinusOne = 0xFFFFFFFF;
const Text kUpgradeCode = L"{2C8F1D37-6A4B-4E92-B0D5-7F3E9A1C6B28}";
const Text kProductName = L"Download Demo";
const Text kProductCode = L"{5E1A9C73-0B2D-4F68-93E4-C7D8A2B61F05}";
const WText kStandin = WIDE_STANDIN_RUNTIME;
const wchar_t* const kWidth = sizeof(void*) == 8 ? L"x64" : L"x86";

using Bytes = std::vector<unsigned char>;

Bytes fileBytes(const WText& path) {
    std::string bytes;
    EXPECT_TRUE(readFileBytes(path, bytes)) << utf8Of(path);
    return Bytes(bytes.begin(), bytes.end());
}

// The stand-in runtime as a vendor's zip: one top folder holding bin\ and a release file.
Bytes standinZip(const std::string& version, const std::string& extraEntry = "") {
    ZipWriter zip(dosDateTime(0));
    std::string error;
    zip.addFolder("jre-test/");
    EXPECT_TRUE(zip.addFile("jre-test/bin/java.dll", fileBytes(kStandin + L"bin\\java.dll"), error));
    EXPECT_TRUE(zip.addFile("jre-test/bin/server/jvm.dll", fileBytes(kStandin + L"bin\\server\\jvm.dll"), error));
    const std::string release = "JAVA_VERSION=\"" + version + "\"\n";
    EXPECT_TRUE(zip.addFile("jre-test/release", Bytes(release.begin(), release.end()), error));
    if (!extraEntry.empty()) {
        EXPECT_TRUE(zip.addFile(extraEntry, Bytes{'x'}, error));
    }
    Bytes archive;
    EXPECT_TRUE(zip.finish(archive, error)) << error;
    return archive;
}

Text digestOf(const Bytes& bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hexOfDigest(hash.finish());
}

// What the settings say of the archive; the URL, digest and size of `archive` unless replaced.
struct Offer {
    Text consent;  // "Runtime Download" value
    WText url;
    Bytes archive;
    Text digest;   // empty: the archive's own
};

// A packaged copy "app.exe" with the packer's dialog 201 and texts, its own APPDATA and LOCALAPPDATA,
// and no runtime anywhere: only the download can give it one.
class DownloadingCopy {
public:
    explicit DownloadingCopy(const Offer& offer, const wchar_t* stub = L"vornicw.exe") {
        EXPECT_TRUE(CopyFileW(besideThisProgram(stub).c_str(), exe().c_str(), FALSE));
        PackagedResources resources;
        const Text digest = offer.digest.empty() ? digestOf(offer.archive) : offer.digest;
        resources.settings(kUpgradeCode, L"second",
                           L"[Java Runtime Environment]\r\nMain Class=app.Main\r\nMinimum Version=11\r\n"
                           L"[Class Path]\r\nClass Path=app.jar\r\n[Runtime Download]\r\nRuntime Download=" +
                               offer.consent + L"\r\n" + kWidth + L" URL=" + offer.url + L"\r\n" + kWidth +
                               L" SHA-256=" + digest + L"\r\n" + kWidth + L" Size=" +
                               std::to_wstring(offer.archive.size()) + L"\r\n");
        resources.strings = defaultMessageTexts();
        resources.dialogs[201] = encodeDialog(runtimeSelectionDialog({kProductName, L"https://example.com/java"}));
        EXPECT_TRUE(resources.writeInto(exe()));
        EXPECT_TRUE(writeUtf16File(folder() + L"app.ini", L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                                              L"\r\nProduct Name=" + kProductName +
                                                              L"\r\nProduct Code=" + kProductCode + L"\r\n"));
        EXPECT_TRUE(writeFileBytes(folder() + L"app.jar", "PK"));
        EXPECT_TRUE(makeFolders(folder() + L"appdata") && makeFolders(localAppData()));
    }

    const WText& folder() const { return folder_.path(); }
    WText exe() const { return folder() + L"app.exe"; }
    WText localAppData() const { return folder() + L"localappdata"; }
    WText productFolder() const { return localAppData() + L"\\" + kProductName + L"\\"; }
    WText userIni() const { return folder() + L"appdata\\" + kProductName + L"\\" + kProductCode + L"\\app.ini"; }
    std::string record() const { return readText(folder() + L"record.txt"); }
    std::string trace() const { return readText(folder() + L"trace.txt"); }

    // Starts the copy and answers as a user would: the question with `question`, a message with OK,
    // the selection dialog with Cancel, and the progress window with Cancel only when told; then
    // `afterCancel` is how long the next window took to show.
    Launch run(int question, bool cancelProgress = false, ULONGLONG* afterCancel = nullptr) const {
        Launch result;
        ULONGLONG cancelledAt = 0;
        ChildProcess child = ChildProcess::start(exe(), L"\"" + exe() + L"\" -nosplash", folder(),
                                                 standinEnvironment(folder(), {L"LOCALAPPDATA=" + localAppData(), L"VORNIC_TRACE=" + folder() + L"trace.txt"}));
        if (!child.started()) return result;
        WaitingFor marker(L"the windows of a downloading launch");
        std::vector<HWND> answered;
        waitUntil(
            [&] {
                if (WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0) return true;
                for (HWND window : topLevelWindowsOf(child.id())) {
                    if (std::find(answered.begin(), answered.end(), window) != answered.end()) continue;
                    answered.push_back(window);
                    result.windows.push_back(seenWindow(window));
                    const SeenWindow& seen = result.windows.back();
                    if (cancelledAt && afterCancel && !*afterCancel) *afterCancel = GetTickCount64() - cancelledAt;
                    if (isProgressWindow(seen)) {
                        if (cancelProgress) {
                            pressButton(window, IDCANCEL);
                            cancelledAt = GetTickCount64();
                        }
                    } else if (isRuntimeDialog(seen)) {
                        pressButton(window, IDCANCEL);
                    } else {
                        pressButton(window, GetDlgItem(window, IDYES) ? question : IDOK);
                    }
                }
                return false;
            },
            kLaunchTimeout, 20);
        result.finished = child.waitForExit(scaledMilliseconds(10000), result.exitCode);
        return result;
    }

    // The console launcher's run: standard input `input` (a pipe or the console), standard output
    // and error into pipes; what standard error received once it ended.
    std::string runConsole(HANDLE input, DWORD& exitCode) const {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
        UniqueHandle errorRead(readEnd), errorWrite(writeEnd);
        SetHandleInformation(errorRead.get(), HANDLE_FLAG_INHERIT, 0);
        StartOptions options;
        options.input = input;
        options.output = errorWrite.get();
        options.error = errorWrite.get();
        ChildProcess child = ChildProcess::start(exe(), L"\"" + exe() + L"\"", folder(),
                                                 standinEnvironment(folder(), {L"LOCALAPPDATA=" + localAppData(), L"VORNIC_TRACE=" + folder() + L"trace.txt"}), options);
        errorWrite.reset();
        std::string received;
        std::thread reader([&] {
            char chunk[4096];
            DWORD read = 0;
            while (ReadFile(errorRead.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) received.append(chunk, read);
        });
        EXPECT_TRUE(child.waitForExit(kLaunchTimeout, exitCode));
        reader.join();
        return received;
    }

    // Everything under the product's folder, as "relative path" lines: what a launch left there.
    std::vector<WText> leftInProductFolder() const {
        std::vector<WText> found;
        list(productFolder(), L"", found);
        return found;
    }

private:
    static void list(const WText& base, const WText& relative, std::vector<WText>& found) {
        WIN32_FIND_DATAW entry{};
        const HANDLE search = FindFirstFileW((base + relative + L"*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const WText name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            found.push_back(relative + name);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) list(base, relative + name + L"\\", found);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }

    TempFolder folder_;
};

std::string windowsOf(const Launch& launch) {
    std::string all;
    for (const SeenWindow& window : launch.windows)
        all += utf8Of(window.className + L" \"" + window.caption + L"\" " + window.text) + "\n";
    return all;
}

bool startsWith(const WText& text, const WText& start) { return text.compare(0, start.size(), start) == 0; }

// As the launcher writes megabytes: one decimal, rounded down.
std::string megabytesOf(std::size_t bytes) {
    const std::size_t tenths = bytes * 10 / (1024 * 1024);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

Text iniValue(const WText& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"", value, 1024, file.c_str());
    return value;
}

std::string joined(const std::vector<WText>& lines) {
    std::string all;
    for (const WText& line : lines) all += utf8Of(line) + "\n";
    return all;
}


TEST(DownloadProcess, DownloadsChecksRemembersAndStartsTheRuntimeThenUsesItWithoutADownload) {
    LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    const Bytes archive = standinZip("17.0.2");
    server.serve("/jre.zip", archive, LocalHttpServer::Answer::Whole);
    const DownloadingCopy copy({L"Yes", server.url("/jre.zip"), archive, L""});

    const Launch first = copy.run(IDNO);
    ASSERT_TRUE(first.finished) << copy.trace() << windowsOf(first);
    EXPECT_EQ(first.exitCode, 0u) << joined(copy.leftInProductFolder());
    EXPECT_TRUE(contains(copy.record(), "main-class: app/Main")) << copy.record();
    EXPECT_EQ(server.requests("/jre.zip"), 1);
    for (const SeenWindow& window : first.windows) EXPECT_TRUE(isProgressWindow(window)) << utf8Of(window.caption);
    const WText home = copy.productFolder() + L"runtimes\\" + digestOf(archive).substr(0, 16) + L"\\";
    EXPECT_TRUE(contains(copy.record(), "env VORNIC_JVM_HOME: " + utf8Of(home.substr(0, home.size() - 1))))
        << copy.record();
    EXPECT_EQ(iniValue(copy.userIni(), L"Java Runtime Environment", L"JRE Path"), home);
    // The runtime, whole, and nothing else: no download file, no unpack folder.
    std::vector<WText> left = copy.leftInProductFolder();
    std::sort(left.begin(), left.end());  // Wine lists a folder in the host file system's order
    const WText runtime = L"runtimes\\" + digestOf(archive).substr(0, 16);
    EXPECT_EQ(left, (std::vector<WText>{L"runtimes", runtime, runtime + L"\\bin", runtime + L"\\bin\\java.dll",
                                        runtime + L"\\bin\\server", runtime + L"\\bin\\server\\jvm.dll",
                                        runtime + L"\\release"}))
        << joined(left);

    const Launch second = copy.run(IDNO);
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(server.requests("/jre.zip"), 1);
    EXPECT_TRUE(second.windows.empty());
}

TEST(DownloadProcess, AsksFirstAndDownloadsOnlyWhenTheUserAgrees) {
    LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    const Bytes archive = standinZip("17.0.2");
    server.serve("/jre.zip", archive, LocalHttpServer::Answer::Whole);
    const std::size_t megabytes = (archive.size() + 1024 * 1024 - 1) / (1024 * 1024);
    const Text question = L"Download Demo needs Java of version 11.0 or newer: download it now (" +
                          std::to_wstring(megabytes) + L" MB)?";

    const DownloadingCopy declined({L"Ask", server.url("/jre.zip"), archive, L""});
    const Launch no = declined.run(IDNO);
    ASSERT_TRUE(no.finished) << declined.trace() << windowsOf(no);
    EXPECT_EQ(no.exitCode, kMinusOne);
    ASSERT_GE(no.windows.size(), 1u);
    EXPECT_EQ(no.windows[0].text, question);
    EXPECT_EQ(server.requests("/jre.zip"), 0);
    EXPECT_TRUE(declined.leftInProductFolder().empty()) << joined(declined.leftInProductFolder());

    const DownloadingCopy agreed({L"Ask", server.url("/jre.zip"), archive, L""});
    const Launch yes = agreed.run(IDYES);
    ASSERT_TRUE(yes.finished);
    EXPECT_EQ(yes.exitCode, 0u);
    ASSERT_GE(yes.windows.size(), 1u);
    EXPECT_EQ(yes.windows[0].text, question);
    EXPECT_EQ(server.requests("/jre.zip"), 1);
    EXPECT_TRUE(contains(agreed.record(), "main-class: app/Main"));
}

TEST(DownloadProcess, EachFailureGivesItsMessageLeavesNothingAndTheSelectionDialogFollows) {
    LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    const Bytes good = standinZip("17.0.2");
    const Bytes escaping = standinZip("17.0.2", "jre-test/../evil.dll");
    const Bytes old = standinZip("1.8.0_392");
    server.serve("/good.zip", good, LocalHttpServer::Answer::Whole);
    server.serve("/short.zip", good, LocalHttpServer::Answer::CutShort);
    server.serve("/escaping.zip", escaping, LocalHttpServer::Answer::Whole);
    server.serve("/old.zip", old, LocalHttpServer::Answer::Whole);
    const WText nowhere = L"http://127.0.0.1:" + std::to_wstring(LocalHttpServer::unusedPort()) + L"/good.zip";
    const struct {
        const char* what;
        Offer offer;
        const wchar_t* reason;
    } cases[] = {
        {"a wrong hash", {L"Yes", server.url("/good.zip"), good, Text(64, L'0')},
         L"the file that arrived is not the one the application names"},
        {"a short file", {L"Yes", server.url("/short.zip"), good, L""}, L"bytes arrived, but the application names"},
        {"HTTP 404", {L"Yes", server.url("/missing.zip"), good, L""}, L"the server answered with HTTP status 404."},
        {"no server", {L"Yes", nowhere, good, L""}, L"the server could not be reached (Windows error code"},
        {"an entry outside its folder", {L"Yes", server.url("/escaping.zip"), escaping, L""},
         L"the archive holds the path \"jre-test/../evil.dll\", which would lie outside its folder."},
        {"a runtime too old", {L"Yes", server.url("/old.zip"), old, L""},
         L"the archive holds no Java runtime of this application's width and version."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DownloadingCopy copy(c.offer);
        const Launch launch = copy.run(IDNO);
        ASSERT_TRUE(launch.finished) << copy.trace() << windowsOf(launch);
        EXPECT_EQ(launch.exitCode, kMinusOne);
        std::vector<SeenWindow> shown;
        for (const SeenWindow& window : launch.windows)
            if (!isProgressWindow(window)) shown.push_back(window);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_TRUE(startsWith(shown[0].text, L"Java could not be downloaded from \"" + c.offer.url + L"\": "))
            << utf8Of(shown[0].text);
        EXPECT_NE(shown[0].text.find(c.reason), WText::npos) << utf8Of(shown[0].text);
        EXPECT_TRUE(isRuntimeDialog(shown[1])) << utf8Of(shown[1].caption);
        EXPECT_TRUE(copy.leftInProductFolder().empty()) << joined(copy.leftInProductFolder());
        EXPECT_EQ(GetFileAttributesW((copy.localAppData() + L"\\evil.dll").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(iniValue(copy.userIni(), L"Java Runtime Environment", L"JRE Path"), L"");
    }
}

TEST(DownloadProcess, CancelInTheProgressWindowStopsAtOnceAndLeavesNothing) {
    LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    const Bytes archive = standinZip("17.0.2");
    server.serve("/slow.zip", archive, LocalHttpServer::Answer::Slow);
    const DownloadingCopy copy({L"Yes", server.url("/slow.zip"), archive, L""});
    // Cancel in the progress window, then in the selection dialog. The server sends half of the
    // archive and then nothing: the selection dialog must not wait for the network's timeout (30 s),
    // even where closing the request does not end the read that waits for it (Wine).
    ULONGLONG afterCancel = 0;
    const Launch launch = copy.run(IDNO, true, &afterCancel);
    ASSERT_TRUE(launch.finished);
    EXPECT_GT(afterCancel, 0u);
    EXPECT_LT(afterCancel, scaledMilliseconds(15000));
    EXPECT_EQ(launch.exitCode, kMinusOne);
    ASSERT_EQ(launch.windows.size(), 2u);
    EXPECT_TRUE(isProgressWindow(launch.windows[0])) << utf8Of(launch.windows[0].caption);
    EXPECT_TRUE(isRuntimeDialog(launch.windows[1]));
    EXPECT_TRUE(waitUntil([&] { return server.abandoned("/slow.zip") == 1; }, scaledMilliseconds(10000)));
    EXPECT_TRUE(copy.leftInProductFolder().empty()) << joined(copy.leftInProductFolder());
}

}  // namespace

namespace {

UniqueHandle inheritablePipeInput(const std::string& text) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
    DWORD written = 0;
    WriteFile(writeEnd, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(writeEnd);
    return UniqueHandle(readEnd);
}

TEST(DownloadProcess, TheConsoleLauncherShowsTheProgressOnStandardErrorAndAsksOnlyAtAConsole) {
    LocalHttpServer server;
    ASSERT_TRUE(server.listening());
    const Bytes archive = standinZip("17.0.2");
    server.serve("/jre.zip", archive, LocalHttpServer::Answer::Whole);

    const DownloadingCopy yes({L"Yes", server.url("/jre.zip"), archive, L""}, L"vornicwc.exe");
    DWORD exitCode = 1;
    UniqueHandle input = inheritablePipeInput("");
    const std::string progress = yes.runConsole(input.get(), exitCode);
    EXPECT_EQ(exitCode, 0u) << progress << yes.trace();
    const std::string size = megabytesOf(archive.size());
    EXPECT_TRUE(contains(progress, "Downloading Java for Download Demo\r\n")) << progress;
    EXPECT_TRUE(contains(progress, size + " MB of " + size + " MB received, ")) << progress;
    EXPECT_TRUE(contains(yes.record(), "main-class: app/Main"));

    // Asked first, with nobody at a console: no question, no download, the launch goes on as before.
    const DownloadingCopy ask({L"Ask", server.url("/jre.zip"), archive, L""}, L"vornicwc.exe");
    input = inheritablePipeInput("y\r\n");
    const std::string asked = ask.runConsole(input.get(), exitCode);
    EXPECT_EQ(exitCode, kMinusOne);
    EXPECT_FALSE(contains(asked, "download it now")) << asked;
    EXPECT_TRUE(contains(asked, "This application needs a Java runtime, of version 11.0 or newer")) << asked;
    EXPECT_EQ(server.requests("/jre.zip"), 1);
}

}  // namespace
