#include "jvm/class_data_sharing.h"

#include <gtest/gtest.h>

namespace {

JavaVersion version(const wchar_t* text) {
    JavaVersion parsed;
    parsed.parse(text);
    return parsed;
}

SharingInputs sampleInputs() {
    SharingInputs inputs;
    inputs.productName = L"Hello: World";
    inputs.runtimeVersion = version(L"17.0.2");
    inputs.jvmLibrary = {L"C:\\Java\\jdk-17\\bin\\server\\jvm.dll", 1000, 77};
    inputs.classPath = {{L"C:\\App\\lib\\a.jar", 10, 5}, {L"C:\\App\\lib\\b.jar", 20, 6}};
    return inputs;
}

// Each input the archive depends on changes the name; what Windows treats as the same file does not.
TEST(ClassDataSharing, ArchiveNameFollowsEveryInputTheArchiveDependsOn) {
    const Text base = sharingArchiveStem(sampleInputs());
    EXPECT_EQ(base.rfind(L"Hello_ World-cds-", 0), 0u) << base;
    EXPECT_EQ(base.size(), Text(L"Hello_ World-cds-").size() + 16);
    EXPECT_EQ(base.rfind(sharingProductPrefix(L"Hello: World"), 0), 0u);

    struct Change {
        const char* what;
        void (*apply)(SharingInputs&);
        bool renames;
    };
    const Change changes[] = {
        {"jar touched", [](SharingInputs& in) { in.classPath[1].modified = 7; }, true},
        {"jar resized", [](SharingInputs& in) { in.classPath[0].size = 11; }, true},
        {"entries swapped", [](SharingInputs& in) { std::swap(in.classPath[0], in.classPath[1]); }, true},
        {"entry added", [](SharingInputs& in) { in.classPath.push_back({L"C:\\App\\c.jar", 1, 1}); }, true},
        {"runtime update", [](SharingInputs& in) { in.runtimeVersion = version(L"17.0.3"); }, true},
        {"other jvm.dll", [](SharingInputs& in) { in.jvmLibrary.path = L"C:\\Java\\jdk-17b\\bin\\server\\jvm.dll"; }, true},
        {"jvm.dll replaced", [](SharingInputs& in) { in.jvmLibrary.modified = 78; }, true},
        {"path case", [](SharingInputs& in) { in.classPath[0].path = L"c:\\APP\\lib\\A.JAR"; }, false},
    };
    for (const Change& change : changes) {
        SharingInputs inputs = sampleInputs();
        change.apply(inputs);
        const Text stem = sharingArchiveStem(inputs);
        EXPECT_EQ(stem != base, change.renames) << change.what;
        EXPECT_EQ(stem.rfind(L"Hello_ World-cds-", 0), 0u) << change.what;
    }
}

TEST(ClassDataSharing, OptionsFollowTheRuntimeVersion) {
    const Text folder = L"C:\\Users\\u\\AppData\\Local\\Hello\\";
    const Text stem = L"Hello-cds-0123456789abcdef";
    const Text complete = completeArchiveName(stem, 4096);
    const Text silence = L"-Xlog:cds=off,cds+dynamic=off";
    struct Case {
        const wchar_t* version;
        Text completeName;
        SharingMode mode;
        TextList options;
    };
    const Case cases[] = {
        {L"", L"", SharingMode::none, {}},
        {L"1.8.0_381", L"", SharingMode::none, {}},
        {L"12.0.2", complete, SharingMode::none, {}},
        {L"13", L"", SharingMode::writeAtExit, {silence, L"-XX:ArchiveClassesAtExit=" + folder + stem + L".42.tmp"}},
        {L"17.0.9", L"", SharingMode::writeAtExit, {silence, L"-XX:ArchiveClassesAtExit=" + folder + stem + L".42.tmp"}},
        {L"18.0.1", complete, SharingMode::use, {silence, L"-XX:SharedArchiveFile=" + folder + complete}},
        {L"19", L"", SharingMode::automatic,
         {silence, L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=" + folder + stem + L".jsa"}},
        {L"21.0.1", complete, SharingMode::automatic,
         {silence, L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=" + folder + stem + L".jsa"}},
    };
    for (const Case& c : cases) {
        const SharingPlan plan = planClassDataSharing(version(c.version), folder, stem, c.completeName, L"42");
        EXPECT_EQ(plan.mode, c.mode) << c.version;
        EXPECT_EQ(plan.options, c.options) << c.version;
        EXPECT_EQ(plan.writing.empty(), c.mode != SharingMode::writeAtExit) << c.version;
    }

    // Only a file whose size is still the one its name recorded counts as complete.
    EXPECT_TRUE(isCompleteArchive(complete, stem, 4096));
    EXPECT_FALSE(isCompleteArchive(complete, stem, 4000));       // cut short since
    EXPECT_FALSE(isCompleteArchive(stem + L".42.tmp", stem, 4096));
    EXPECT_FALSE(isCompleteArchive(completeArchiveName(L"Hello-cds-fedcba9876543210", 4096), stem, 4096));
    EXPECT_FALSE(isCompleteArchive(completeArchiveName(stem, 0), stem, 0));

    const unsigned char header[] = {0xa8, 0xab, 0x0b, 0xf0, 0x12};
    const unsigned char staticHeader[] = {0xa2, 0xab, 0x0b, 0xf0};  // the runtime's own base archive
    EXPECT_TRUE(startsAsDynamicArchive(header, 5));
    EXPECT_FALSE(startsAsDynamicArchive(header, 3));
    EXPECT_FALSE(startsAsDynamicArchive(staticHeader, 4));
}

// Old archives are found by the product's prefix, but only the names the launcher itself gives are
// ever removed; a refusal marker keeps its place too.
TEST(ClassDataSharing, OnlyTheLaunchersOwnNamesCountAsArchives) {
    const Text prefix = sharingProductPrefix(L"Hello");
    const Text stem = L"Hello-cds-0123456789abcdef";
    const Text marker = sharingRefusedMarkerName(L"Hello", version(L"17.0.2"), {L"C:\\j\\jvm.dll", 1, 2});
    struct Case {
        Text name;
        bool launchers;
    };
    const Case cases[] = {
        {completeArchiveName(stem, 4096), true},
        {stem + L".4096.JSA", true},
        {stem + L".42.tmp", true},
        {stem + L".jsa", true},
        {L"hello-cds-FEDCBA9876543210.jsa", true},
        {L"Hello-cds-notes.txt", false},
        {L"Hello-cds-", false},
        {stem, false},
        {stem + L".txt", false},
        {stem + L".jsa.bak", false},
        {stem + L"..jsa", false},
        {stem + L".4x96.jsa", false},
        {stem + L".-1.tmp", false},
        {L"Hello-cds-0123456789abcdeg.jsa", false},
        {L"Hello-cds-0123456789abcde.jsa", false},
        {L"Other-cds-0123456789abcdef.jsa", false},
        {marker, false},
    };
    for (const Case& c : cases) EXPECT_EQ(isLauncherArchiveName(c.name, prefix), c.launchers) << c.name;

    // The marker follows the runtime, not the application.
    EXPECT_EQ(marker.rfind(L"Hello-cds-off-", 0), 0u) << marker;
    EXPECT_EQ(marker, sharingRefusedMarkerName(L"Hello", version(L"17.0.2"), {L"c:\\J\\JVM.DLL", 1, 2}));
    EXPECT_NE(marker, sharingRefusedMarkerName(L"Hello", version(L"17.0.3"), {L"C:\\j\\jvm.dll", 1, 2}));
    EXPECT_NE(marker, sharingRefusedMarkerName(L"Hello", version(L"17.0.2"), {L"C:\\j\\jvm.dll", 1, 3}));
}

}  // namespace
