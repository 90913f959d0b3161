// A service's frontend: every message becomes an event-log entry from the product's source and a
// line in the "Error File", and the calls that would show a window go to it once it is installed.
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"
#include "jvm/system_redirection_platform.h"
#include "runtime/runtime_selection_dialog.h"
#include "service/service_frontend.h"
#include "texts/frontend.h"
#include "texts/messages.h"

namespace {

struct Entry {
    Text source;
    WORD type;
    Text text;
};

class RecordingEventLog : public EventLog {
public:
    void report(const Text& source, WORD type, const Text& text) override { entries.push_back({source, type, text}); }
    std::vector<Entry> entries;
};

// Installed for one test; the executable's own frontend is back afterwards.
class Installed {
public:
    explicit Installed(FrontendOverride& frontend) { overrideFrontend(&frontend); }
    ~Installed() { overrideFrontend(nullptr); }
};

TEST(ServiceFrontend, EveryMessageReachesTheEventLogAndTheErrorFileWithoutAWindow) {
    const TempFolder folder;
    SetEnvironmentVariableW(L"VORNIC_SERVICE_LOGS", folder.path().c_str());
    RecordingEventLog log;
    ServiceFrontend frontend(log, L"Shop Server", L"%VORNIC_SERVICE_LOGS%logs\\errors.txt", expandedRedirectionFile);
    const Installed installed(frontend);

    // Through the launcher's own message path, the one every subsystem uses.
    EXPECT_EQ(showMessage(nullptr, Text(L"no main class \x00e9")), IDOK);
    const Text caption = L"Shop";
    EXPECT_EQ(showMessage(nullptr, Text(L"with caption"), &caption), IDOK);
    RuntimeChoice choice;
    EXPECT_EQ(askForRuntimeFolder(L"needs Java 17", JvmType::ServerOnly, choice), IDCANCEL);
    EXPECT_TRUE(choice.jvmLibraryPath.empty());
    EXPECT_FALSE(presentException(L"java.lang.IllegalStateException: broken\r\n\tat a.Main.main\r\n"));

    ASSERT_EQ(log.entries.size(), 4u);
    const Text texts[] = {L"no main class \x00e9", L"Shop: with caption", L"needs Java 17",
                          L"java.lang.IllegalStateException: broken\r\n\tat a.Main.main\r\n"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(log.entries[i].source, L"Shop Server");
        EXPECT_EQ(log.entries[i].type, EVENTLOG_ERROR_TYPE);
        EXPECT_EQ(log.entries[i].text, texts[i]);
    }
    // Its folder is made; each message is a line, in order, and nothing is doubled.
    EXPECT_EQ(readText(folder.path() + L"logs\\errors.txt"),
              "no main class \xc3\xa9\r\nShop: with caption\r\nneeds Java 17\r\n"
              "java.lang.IllegalStateException: broken\r\n\tat a.Main.main\r\n");
    EXPECT_TRUE(topLevelWindowsOf(GetCurrentProcessId()).empty());
    SetEnvironmentVariableW(L"VORNIC_SERVICE_LOGS", nullptr);
}

TEST(ServiceFrontend, WithoutProductNameOrErrorFileTheSourceIsTheExecutablesName) {
    RecordingEventLog log;
    ServiceFrontend frontend(log, L"", L"", expandedRedirectionFile);
    frontend.presentMessage(L"\x00e9t\x00e9", nullptr);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].source, L"service_frontend_tests.exe");
    EXPECT_EQ(log.entries[0].text, L"\x00e9t\x00e9");
}

}  // namespace
