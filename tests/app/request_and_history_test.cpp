#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "app/backup_history.h"
#include "app/history_table.h"
#include "app/instance_request.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

TEST(InstanceRequestTest, ShowSendAndDisconnectSurviveTheTrip) {
    const auto show = DecodeRequest(EncodeRequest({}));
    ASSERT_TRUE(show);
    EXPECT_EQ(show->kind, InstanceRequest::Kind::Show);

    InstanceRequest send{InstanceRequest::Kind::Send, {"/a/b c.jpg", "/ü/ñ.pdf"}};
    const auto back = DecodeRequest(EncodeRequest(send));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, InstanceRequest::Kind::Send);
    EXPECT_EQ(back->files, send.files);
    EXPECT_EQ(back->answer, InstanceRequest::Answer::Box);  // what older versions send
    for (const auto answer : {InstanceRequest::Answer::Wait, InstanceRequest::Answer::Notify}) {
        send.answer = answer;
        EXPECT_EQ(DecodeRequest(EncodeRequest(send))->answer, answer);
    }
    // Every outcome has a word of its own that comes back as itself.
    std::set<std::string> words;
    for (int o = 0; o <= static_cast<int>(SendOutcome::Stopped); ++o) {
        const auto outcome = static_cast<SendOutcome>(o);
        words.insert(SendOutcomeWord(outcome));
        EXPECT_EQ(SendOutcomeFromWord(SendOutcomeWord(outcome)), outcome);
    }
    EXPECT_EQ(words.size(), static_cast<std::size_t>(SendOutcome::Stopped) + 1);
    EXPECT_FALSE(SendOutcomeFromWord(""));

    const auto disconnect = DecodeRequest(EncodeRequest({InstanceRequest::Kind::Disconnect, {}}));
    ASSERT_TRUE(disconnect);
    EXPECT_EQ(disconnect->kind, InstanceRequest::Kind::Disconnect);

    EXPECT_FALSE(DecodeRequest("quit"));
    EXPECT_FALSE(DecodeRequest(std::string("disconnect\0a", 12)));
    EXPECT_FALSE(DecodeRequest("send"));                      // no file
    EXPECT_FALSE(DecodeRequest(std::string("send\0\0", 6)));  // an empty name
    EXPECT_FALSE(DecodeRequest(std::string("sendx\0a", 7)));
}

BackupRecord Record(BackupOutcome outcome) {
    BackupRecord r;
    r.startSeconds = 1714568645;  // 2024-05-01 13:04:05Z
    r.endSeconds = r.startSeconds + 75;
    r.phone = "Pixel\t7;%";
    r.files = 3;
    r.bytes = 1234567;
    r.outcome = outcome;
    return r;
}

TEST(BackupHistoryTest, RecordsAreAppendedAndReadBackExactly) {
    test::Sandbox sandbox;
    const auto file = sandbox.root() / "history.txt";
    EXPECT_TRUE(ReadBackupHistory(file).empty());

    BackupRecord good = Record(BackupOutcome::Completed);
    BackupRecord failed = Record(BackupOutcome::Failed);
    failed.incomplete = {"VID 1.mp4", "odd;name%.txt", "tab\there.jpg"};
    failed.reason = "cannot write a\tb;%.jpg: Disk full";
    failed.alreadyStored = 2;
    BackupRecord check = Record(BackupOutcome::Failed);
    check.check = true;
    ASSERT_TRUE(AppendBackupRecord(file, good));
    ASSERT_TRUE(AppendBackupRecord(file, failed));
    ASSERT_TRUE(AppendBackupRecord(file, check));
    // A line of an older version, without the count of files stored already.
    {
        std::ofstream(file, std::ios::app)
            << "2024-05-01 13:04:05Z\t2024-05-01 13:05:05Z\tx\t1\t1\t0\t\tcompleted\t\n";
    }
    { std::ofstream(file, std::ios::app) << "a line from somewhere else\n"; }

    const auto records = ReadBackupHistory(file);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].alreadyStored, 2);
    EXPECT_FALSE(records[1].check);
    EXPECT_TRUE(records[2].check);
    EXPECT_EQ(records[2].outcome, BackupOutcome::Failed);
    EXPECT_NE(FormatHistoryTable(records).find("differs"), std::string::npos);
    EXPECT_EQ(records[3].alreadyStored, 0);
    EXPECT_EQ(records[0].phone, "Pixel\t7;%");
    EXPECT_EQ(records[0].startSeconds, good.startSeconds);
    EXPECT_EQ(records[0].endSeconds, good.endSeconds);
    EXPECT_EQ(records[0].files, 3);
    EXPECT_EQ(records[0].bytes, 1234567);
    EXPECT_TRUE(records[0].incomplete.empty());
    EXPECT_EQ(records[1].incomplete, failed.incomplete);
    EXPECT_EQ(records[1].reason, failed.reason);
    EXPECT_EQ(records[1].outcome, BackupOutcome::Failed);
    // An outcome the program does not know makes the line unreadable.
    std::string line = FormatBackupLine(good);
    line.replace(line.find("completed"), 9, "exploded");
    EXPECT_FALSE(ParseBackupLine(line));
}

TEST(BackupHistoryTest, UtcTextRoundTrips) {
    EXPECT_EQ(FormatUtc(1714568645), "2024-05-01 13:04:05Z");
    std::int64_t seconds = 0;
    ASSERT_TRUE(ParseUtc("2024-05-01 13:04:05Z", seconds));
    EXPECT_EQ(seconds, 1714568645);
    EXPECT_FALSE(ParseUtc("2024-05-01 13:04:05", seconds));
    EXPECT_FALSE(ParseUtc("yesterday", seconds));
    // Moments that cannot exist are not read as some other moment.
    for (const char* bad :
         {"2024-13-45 99:99:99Z", "2024-02-30 00:00:00Z", "2023-02-29 00:00:00Z",
          "-7937-01-01 00:00:00Z", "2024-05-01 24:00:00Z", "2024-5-1 1:2:3Z",
          "2024-05-01 13:04:05Z!", "2024-05-01 13:04:+5Z", " 2024-05-01 13:04:05Z"})
        EXPECT_FALSE(ParseUtc(bad, seconds)) << bad;
    ASSERT_TRUE(ParseUtc("2024-02-29 23:59:59Z", seconds));
    EXPECT_EQ(FormatUtc(seconds), "2024-02-29 23:59:59Z");
}

TEST(BackupHistoryTest, DamagedLinesAreSkippedAndCounted) {
    test::Sandbox sandbox;
    const auto file = sandbox.root() / "history.txt";
    ASSERT_TRUE(AppendBackupRecord(file, Record(BackupOutcome::Completed)));
    {
        std::ofstream out(file, std::ios::app);
        out << "2024-13-45 99:99:99Z\t2024-05-01 13:04:05Z\tx\t1\t1\t0\t\tcompleted\n";
        out << "2024-05-01 13:04:05Z\t2024-05-01 13:05:05Z\tx\t-1\t1\t0\t\tcompleted\n\n";
    }
    std::size_t skipped = 9;
    EXPECT_EQ(ReadBackupHistory(file, &skipped).size(), 1u);
    EXPECT_EQ(skipped, 2u);
    EXPECT_EQ(SkippedLinesNote(2), "2 lines of the history could not be read and were skipped.\n");
    EXPECT_EQ(SkippedLinesNote(0), "");
}

TEST(BackupHistoryTest, TheTableHasAHeaderARowPerBackupAndTheIncompleteNames) {
    EXPECT_EQ(FormatHistoryTable({}), "No backup has been recorded yet.\n");
    BackupRecord failed = Record(BackupOutcome::Failed);
    failed.reason = "cannot write VID_2.mp4: Disk full";
    failed.phone = "Ünïcode phone";
    failed.incomplete = {"VID_1.mp4"};
    const std::string table = FormatHistoryTable({Record(BackupOutcome::Completed), failed});
    EXPECT_NE(table.find("Started (UTC)"), std::string::npos);
    EXPECT_NE(table.find("2024-05-01 13:04:05Z  1:15  Pixel\\x097;%"), std::string::npos) << table;
    EXPECT_NE(table.find("1.2 MB"), std::string::npos);
    EXPECT_NE(table.find("completed"), std::string::npos);
    EXPECT_NE(table.find("    incomplete: VID_1.mp4\n"), std::string::npos);
    EXPECT_NE(table.find("    why: cannot write VID_2.mp4: Disk full\n"), std::string::npos);
    // Columns line up: every row's outcome starts at the header's column,
    // counted in characters, not bytes.
    std::vector<std::size_t> columns;
    std::size_t start = 0;
    while (start < table.size()) {
        const std::size_t end = table.find('\n', start);
        const std::string line = table.substr(start, end - start);
        start = end + 1;
        if (line.rfind("    ", 0) == 0 || line.rfind("---", 0) == 0) continue;
        const std::size_t at = line.find_last_of(' ') + 1;
        std::size_t chars = 0;
        for (std::size_t i = 0; i < at; ++i) chars += (line[i] & 0xC0) != 0x80;
        columns.push_back(chars);
    }
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0], columns[1]);
    EXPECT_EQ(columns[1], columns[2]);
}

TEST(BackupHistory, WideCharactersTakeTwoCellsAndMarksNone) {
    BackupRecord japanese = Record(BackupOutcome::Completed);
    japanese.phone = "\u592a\u90ce";  // two wide characters: four cells
    BackupRecord thai = Record(BackupOutcome::Completed);
    thai.phone = "\u0e17\u0e35\u0e48";  // one letter and two marks above it: one cell
    BackupRecord latin = Record(BackupOutcome::Completed);
    latin.phone = "abcde";
    const std::string table = FormatHistoryTable({japanese, thai, latin});
    // The phone column is as wide as its longest entry (five cells), then two
    // blanks, then the file count right-aligned under "Files".
    const auto followedBy = [](std::size_t blanks) { return std::string(blanks, ' ') + "3 "; };
    EXPECT_NE(table.find("\u592a\u90ce" + followedBy(1 + 2 + 4)), std::string::npos) << table;
    EXPECT_NE(table.find("\u0e17\u0e35\u0e48" + followedBy(4 + 2 + 4)), std::string::npos);
    EXPECT_NE(table.find("abcde" + followedBy(2 + 4)), std::string::npos);
}

}  // namespace
}  // namespace harbrook
