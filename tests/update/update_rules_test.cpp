// The portable rules of updates and restarts: SHA-256 against published vectors, the manifest and
// its path rules, the journal's text and its moves after an interruption at any point, and the
// restart guard.
#include <gtest/gtest.h>

#include <string>

#include "update/restart_guard.h"
#include "support/sha256.h"
#include "update/update_journal.h"
#include "update/update_manifest.h"

namespace {

std::string sha256Of(const std::string& bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hash.finishHex();
}

const std::string kEmptyHash = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

TEST(Sha256, KnownVectorsAlsoWhenFedInPieces) {
    EXPECT_EQ(sha256Of(""), kEmptyHash);
    EXPECT_EQ(sha256Of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(sha256Of(twoBlocks), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million "a", in pieces that straddle every block boundary.
    Sha256 hash;
    const std::string piece(997, 'a');
    std::size_t left = 1000000;
    while (left > 0) {
        const std::size_t take = left < piece.size() ? left : piece.size();
        hash.update(piece.data(), take);
        left -= take;
    }
    EXPECT_EQ(hash.finishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(UpdateManifest, ParsesFilesAndRemovalsAndWritesThemBack) {
    const std::string text = "vornicw update 1\r\nfile " + kEmptyHash + " 0 lib/app one.jar\r\n\r\nfile " +
                             kEmptyHash + " 12 app.exe\nremove lib\\old.jar\n";
    UpdateManifest manifest;
    Text why;
    ASSERT_TRUE(parseManifest(text, L"update", manifest, why)) << std::string(why.begin(), why.end());
    ASSERT_EQ(manifest.files.size(), 2u);
    EXPECT_EQ(manifest.files[0].path, L"lib\\app one.jar");
    EXPECT_EQ(manifest.files[1].size, 12u);
    ASSERT_EQ(manifest.removed.size(), 1u);
    UpdateManifest again;
    ASSERT_TRUE(parseManifest(manifestText(manifest), L"update", again, why));
    EXPECT_EQ(manifestText(again), manifestText(manifest));
}

TEST(UpdateManifest, RefusesWhatWouldLeaveTheFolderOrIsNotWhole) {
    const std::string file = "file " + kEmptyHash + " 0 ";
    const char* const bad[] = {
        "",                                                        // no header
        "vornicw update 2\n",                                      // another format
        "vornicw update 1\n",                                      // no file
        "vornicw update 1\nfile abc 0 a.jar\n",                    // short hash
        "vornicw update 1\nfile E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855 0 a\n",
        "vornicw update 1\nfile e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 -1 a\n",
        "vornicw update 1\ncopy a\n",                              // unknown line
    };
    for (const char* text : bad) {
        UpdateManifest manifest;
        Text why;
        EXPECT_FALSE(parseManifest(text, L"update", manifest, why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
    const char* const badPaths[] = {"..\\evil.dll", "lib\\..\\..\\evil.dll", "C:\\Windows\\evil.dll", "\\evil.dll",
                                    "\\\\server\\share\\x", "a.jar:stream", "lib\\\\a.jar", "lib\\", "a.jar.",
                                    "a.jar ", "CON.txt", "lib\\nul", "a?.jar", "update\\x.jar",
                                    "vornicw-update.journal", "VORNICW-UPDATE.backup\\a", "./a.jar"};
    for (const char* path : badPaths) {
        UpdateManifest manifest;
        Text why;
        EXPECT_FALSE(parseManifest("vornicw update 1\n" + file + path + "\n", L"update", manifest, why)) << path;
    }
    // The same file twice, in another letter case or with the other separator.
    UpdateManifest manifest;
    Text why;
    EXPECT_FALSE(parseManifest("vornicw update 1\n" + file + "lib/A.jar\n" + file + "LIB\\a.jar\n", L"update",
                               manifest, why));
    EXPECT_FALSE(parseManifest("vornicw update 1\n" + file + "a.jar\nremove A.JAR\n", L"update", manifest, why));
}

TEST(UpdateJournal, RoundTripsAndRefusesACutOrForeignText) {
    const UpdateJournal journal{JournalState::Undoing,
                                {{EntryKind::Replace, L"app.exe"}, {EntryKind::Add, L"lib\\new.jar"},
                                 {EntryKind::Remove, L"lib\\old.jar"}}};
    const std::string text = journalText(journal);
    UpdateJournal read;
    ASSERT_TRUE(parseJournal(text, read));
    EXPECT_EQ(journalText(read), text);
    EXPECT_TRUE(journalChanges(read, L"APP.EXE"));
    EXPECT_FALSE(journalChanges(read, L"lib\\old.jar"));  // removed, not changed
    for (std::size_t cut = 0; cut < text.size(); ++cut) EXPECT_FALSE(parseJournal(text.substr(0, cut), read)) << cut;
    EXPECT_FALSE(parseJournal("vornicw journal 1\nstate sleeping\nend\n", read));
}

TEST(UpdateJournal, PlanReplacesAddsAndRemovesOnlyWhatIsInstalled) {
    UpdateManifest manifest;
    manifest.files = {{L"app.exe", 1, kEmptyHash}, {L"lib\\new.jar", 1, kEmptyHash}, {L"same.dll", 1, kEmptyHash}};
    manifest.removed = {L"lib\\old.jar", L"lib\\gone.jar"};
    const auto installed = [](const ManifestFile& file) {
        if (file.path == L"same.dll") return Installed::Same;  // never moved
        return file.path == L"app.exe" || file.path == L"lib\\old.jar" ? Installed::Other : Installed::Absent;
    };
    const std::vector<JournalEntry> entries = planEntries(manifest, installed);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].kind, EntryKind::Replace);
    EXPECT_EQ(entries[1].kind, EntryKind::Add);
    EXPECT_EQ(entries[2].kind, EntryKind::Remove);
    EXPECT_EQ(entries[2].path, L"lib\\old.jar");
}

// Every point of an entry's apply, as facts, with what going on and going back do from there.
TEST(UpdateJournal, EveryInterruptionPointGoesOnOrBackToAWholeFile) {
    using M = Move;
    struct Case {
        EntryKind kind;
        FileFacts facts;  // staged, installed, backed up
        bool fits;
        std::vector<Move> forward;
        std::vector<Move> undo;
    };
    const Case cases[] = {
        {EntryKind::Replace, {true, true, false}, true, {M::InstalledToBackup, M::StageToInstalled}, {}},
        {EntryKind::Replace, {true, false, true}, true, {M::StageToInstalled}, {M::BackupToInstalled}},
        {EntryKind::Replace, {false, true, true}, true, {}, {M::InstalledToDiscard, M::BackupToInstalled}},
        {EntryKind::Replace, {true, true, true}, false, {}, {M::InstalledToDiscard, M::BackupToInstalled}},
        {EntryKind::Replace, {false, false, false}, false, {}, {}},
        {EntryKind::Add, {true, false, false}, true, {M::StageToInstalled}, {}},
        {EntryKind::Add, {false, true, false}, true, {}, {M::InstalledToDiscard}},
        {EntryKind::Add, {true, true, false}, false, {}, {}},  // not the update's file: left alone
        {EntryKind::Remove, {false, true, false}, true, {M::InstalledToBackup}, {}},
        {EntryKind::Remove, {false, false, true}, true, {}, {M::BackupToInstalled}},
        {EntryKind::Remove, {false, false, false}, false, {}, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        std::vector<Move> moves;
        EXPECT_EQ(forwardMoves(c.kind, c.facts, moves), c.fits) << i;
        if (c.fits) {
            EXPECT_EQ(moves, c.forward) << i;
        }
        EXPECT_EQ(undoMoves(c.kind, c.facts), c.undo) << i;
    }
}

TEST(UpdateJournal, EachStateTellsTheNextStartWhatToDo) {
    EXPECT_EQ(actionAtStart(JournalState::Applying, false), StartAction::Complete);
    EXPECT_EQ(actionAtStart(JournalState::Trial, true), StartAction::RunTrial);
    EXPECT_EQ(actionAtStart(JournalState::Trial, false), StartAction::Undo);
    EXPECT_EQ(actionAtStart(JournalState::Reached, false), StartAction::RemoveBackup);
    EXPECT_EQ(actionAtStart(JournalState::Undoing, true), StartAction::Undo);
    EXPECT_EQ(actionAtStart(JournalState::Undone, false), StartAction::ReportUndone);
}

TEST(RestartGuard, ExitCodeValues) {
    struct Case {
        const wchar_t* text;
        bool taken;
        int code;
    };
    const Case cases[] = {{L"42", true, 42},          {L"-2", true, -2},        {L"+7", true, 7},
                          {L"2147483647", true, 2147483647}, {L"-2147483648", true, -2147483647 - 1},
                          {L"2147483648", false, 0},  {L"0", false, 0},         {L"1", false, 0},
                          {L"-1", false, 0},          {L"", false, 0},          {L"4 2", false, 0},
                          {L"0x2A", false, 0},        {L"-", false, 0},         {L"12345678901", false, 0}};
    for (const Case& c : cases) {
        int code = 99;
        EXPECT_EQ(parseRestartExitCode(c.text, code), c.taken) << std::wstring(c.text).size();
        EXPECT_EQ(code, c.code);
    }
}

TEST(RestartGuard, AFewRestartsWithinTheWindowThenNoMore) {
    Text history;
    long long now = 1000000;
    for (int restart = 0; restart < kMostRestarts; ++restart) {
        Text next;
        ASSERT_TRUE(allowRestart(history, now, next)) << restart;
        history = next;
        now += 5000;
    }
    Text next;
    EXPECT_FALSE(allowRestart(history, now, next));
    EXPECT_TRUE(next.empty());
    // Once the first has left the window, one more is allowed, and the old time is dropped.
    ASSERT_TRUE(allowRestart(history, 1000000 + kRestartWindowMilliseconds, next));
    EXPECT_EQ(next.find(L"1000000,"), Text::npos);
    // Rubbish in the variable counts for nothing.
    EXPECT_TRUE(allowRestart(L"x,,12a,", now, next));
    EXPECT_EQ(next, decimalText(now));
}

}  // namespace
