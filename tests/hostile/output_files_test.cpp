// Whole launches whose output settings a hostile or careless set-up makes hard: "%" in a variable's
// value and in the install folder, a relative file in a folder that does not exist yet, a date
// pattern that would name an NTFS stream, output and error in one file, and a "System Path" longer
// than "Path" may be.
#include <gtest/gtest.h>

#include <algorithm>

#include "packaged_copy.h"

namespace {

WText today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t day[16];
    swprintf(day, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return day;
}

// The file of that day, read; a launch that ran over midnight wrote the later one.
std::string readDated(const WText& before, const WText& dayBefore, const WText& after) {
    const std::string text = readText(before + dayBefore + after);
    return text.empty() ? readText(before + today() + after) : text;
}

bool folderExists(const WText& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

PackagedResources withApplication(const Text& applicationLines, const Text& runtimeLines = Text()) {
    return PackagedCopy::resourcesFor(PackagedCopy::plainSettings(runtimeLines, L"[Application]\r\n" + applicationLines));
}

TEST(OutputFiles, PercentInFoldersRelativeNamesRefusedPatternsAndFoldersThatCannotBeMade) {
    TempFolder base;
    const WText logDir = base.path() + L"pct\\50%off";  // does not exist yet
    const std::string script = "main: out to the output file\nmain: err to the error file\n";

    // A variable whose value holds "%": the pattern is the one the settings wrote, and a name without
    // one keeps its folder.
    {
        const WText day = today();
        PackagedCopy copy(base.path() + L"one 50%off\\", L"app.exe",
                          withApplication(L"Output File=%LOGDIR%\\o_%yyyyMMdd%.log\r\nError File=%LOGDIR%\\e.log\r\n"),
                          script);
        ASSERT_TRUE(copy.ready());
        const Launch launch = copy.run({L"LOGDIR=" + logDir});
        ASSERT_TRUE(launch.finished) << describe(launch);
        EXPECT_EQ(launch.exitCode, 0u) << describe(launch);
        EXPECT_EQ(readDated(logDir + L"\\o_", day, L".log"), "to the output file\r\n");
        EXPECT_EQ(readText(logDir + L"\\e.log"), "to the error file\r\n");
        EXPECT_FALSE(folderExists(base.path() + L"pct\\50off")) << "a folder named from a broken pattern";
    }

    // Relative names in a folder with "%" (the current folder, as the runtime resolves them): the
    // missing "logs" folder is made there. A pattern that gives ":" would name a hidden stream of
    // another file; it is refused in the trace and the name is used without it.
    {
        const WText day = today();
        PackagedCopy copy(base.path() + L"two 50%off\\", L"app.exe",
                          withApplication(L"Output File=logs\\o_%yyyyMMdd%.log\r\nError File=e_%HH:mm%.log\r\n"),
                          script);
        ASSERT_TRUE(copy.ready());
        const WText trace = copy.scratch() + L"trace.txt";
        const Launch launch = copy.run({L"VORNIC_TRACE=" + trace});
        ASSERT_TRUE(launch.finished) << describe(launch);
        EXPECT_EQ(launch.exitCode, 0u) << describe(launch);
        EXPECT_EQ(readDated(copy.folder() + L"logs\\o_", day, L".log"), "to the output file\r\n");
        EXPECT_EQ(readText(copy.folder() + L"e_.log"), "to the error file\r\n");
        EXPECT_TRUE(contains(readText(trace), "which no file name may hold")) << readText(trace);
        EXPECT_TRUE(contains(readText(trace), "Output File: " + utf8Of(copy.folder()) + "logs\\o_")) << readText(trace);
    }

    // A folder that cannot be made (a file stands in its way): the trace says so, the stream stays
    // where it was, and the application runs.
    {
        PackagedCopy copy(base.path() + L"three\\", L"app.exe", withApplication(L"Output File=app.jar\\sub\\o.log\r\n"),
                          script);
        ASSERT_TRUE(copy.ready());
        const WText trace = copy.scratch() + L"trace.txt";
        const Launch launch = copy.run({L"VORNIC_TRACE=" + trace});
        ASSERT_TRUE(launch.finished) << describe(launch);
        EXPECT_EQ(launch.exitCode, 0u) << describe(launch);
        EXPECT_TRUE(copy.mainRan()) << copy.record();
        EXPECT_TRUE(contains(readText(trace), "app.jar\\sub\\o.log: its folder cannot be created")) << readText(trace);
        EXPECT_FALSE(contains(copy.record(), "set-out")) << copy.record();
    }
}

TEST(OutputFiles, OneFileForBothStreamsAndASystemPathLongerThanPath) {
    // 40,000 characters of folders that do not exist, before the system's and the runtime's.
    Text systemPath;
    for (int i = 0; systemPath.size() < 40000; ++i) systemPath += L"D:\\tools\\folder" + std::to_wstring(10000 + i) + L";";
    std::string script;
    std::string expected;
    for (int i = 1; i <= 6; ++i) {
        const std::string out = "out line " + std::to_string(i) + std::string(static_cast<size_t>(i * 7), 'o');
        const std::string err = "err " + std::to_string(i);
        script += "main: out " + out + "\nmain: err " + err + "\n";
        expected += out + "\r\n" + err + "\r\n";
    }
    TempFolder base;
    PackagedCopy copy(base.path() + L"app\\", L"app.exe",
                      withApplication(L"Output File=both.log\r\nError File=" + base.path() + L"APP\\.\\Both.log\r\n",
                                      L"System Path=" + systemPath + L"\r\n"),
                      script);
    ASSERT_TRUE(copy.ready());
    ASSERT_TRUE(writeFileBytes(copy.folder() + L"both.log", "an older and much longer text that must go\r\n"));
    const WText trace = copy.scratch() + L"trace.txt";
    const Launch launch = copy.run({L"VORNIC_TRACE=" + trace});
    ASSERT_TRUE(launch.finished) << describe(launch);
    EXPECT_EQ(launch.exitCode, 0u) << describe(launch);
    EXPECT_TRUE(copy.mainRan()) << copy.record();

    // Every line of both streams, in the order written.
    EXPECT_EQ(readText(copy.folder() + L"both.log"), expected);

    // The runtime saw a "Path" that the system accepts, with its own folders and the runtime's bin.
    const std::string record = copy.record();
    const size_t at = record.find("env Path: ");
    ASSERT_NE(at, std::string::npos) << record;
    const std::string path = record.substr(at + 10, record.find('\n', at) - at - 10);
    EXPECT_LE(path.size(), 32766u);
    const std::string bin = ";" + utf8Of(copy.folder()) + (sizeof(void*) == 8 ? "jre64\\bin" : "jre\\bin");
    EXPECT_EQ(path.substr(path.size() - std::min(path.size(), bin.size())), bin);
    EXPECT_TRUE(contains(path, "D:\\tools\\folder10000;")) << "the start of System Path stays";
    WText windows(MAX_PATH, L'\0');
    windows.resize(GetWindowsDirectoryW(windows.data(), MAX_PATH));
    EXPECT_TRUE(contains(path, ";" + utf8Of(windows) + ";")) << path.substr(path.size() - 300);
    const std::string traced = readText(trace);
    EXPECT_TRUE(contains(traced, "folders left out: D:\\tools\\folder")) << traced.substr(0, 2000);
    EXPECT_TRUE(contains(traced, "Output File and Error File are one file")) << traced.substr(0, 2000);
}

}  // namespace
