#include <gtest/gtest.h>

#include <fstream>

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

    const auto disconnect = DecodeRequest(EncodeRequest({InstanceRequest::Kind::Disconnect, {}}));
    ASSERT_TRUE(disconnect);
    EXPECT_EQ(disconnect->kind, InstanceRequest::Kind::Disconnect);

    EXPECT_FALSE(DecodeRequest("quit"));
    EXPECT_FALSE(DecodeRequest(std::string("disconnect\0a", 12)));
    EXPECT_FALSE(DecodeRequest("send"));                      // no file
    EXPECT_FALSE(DecodeRequest(std::string("send\0\0", 6)));  // an empty name
    EXPECT_FALSE(DecodeRequest(std::string("sendx\0a", 7)));
}

BackupRecord Record(std::string outcome) {
    BackupRecord r;
    r.startSeconds = 1714568645;  // 2024-05-01 13:04:05Z
    r.endSeconds = r.startSeconds + 75;
    r.phone = "Pixel\t7;%";
    r.files = 3;
    r.bytes = 1234567;
    r.outcome = std::move(outcome);
    return r;
}

TEST(BackupHistoryTest, RecordsAreAppendedAndReadBackExactly) {
    test::Sandbox sandbox;
    const auto file = sandbox.root() / "history.txt";
    EXPECT_TRUE(ReadBackupHistory(file).empty());

    BackupRecord good = Record("completed");
    BackupRecord failed = Record("failed");
    failed.incomplete = {"VID 1.mp4", "odd;name%.txt", "tab\there.jpg"};
    ASSERT_TRUE(AppendBackupRecord(file, good));
    ASSERT_TRUE(AppendBackupRecord(file, failed));
    { std::ofstream(file, std::ios::app) << "a line from somewhere else\n"; }

    const auto records = ReadBackupHistory(file);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].phone, "Pixel\t7;%");
    EXPECT_EQ(records[0].startSeconds, good.startSeconds);
    EXPECT_EQ(records[0].endSeconds, good.endSeconds);
    EXPECT_EQ(records[0].files, 3);
    EXPECT_EQ(records[0].bytes, 1234567);
    EXPECT_TRUE(records[0].incomplete.empty());
    EXPECT_EQ(records[1].incomplete, failed.incomplete);
    EXPECT_EQ(records[1].outcome, "failed");
}

TEST(BackupHistoryTest, UtcTextRoundTrips) {
    EXPECT_EQ(FormatUtc(1714568645), "2024-05-01 13:04:05Z");
    std::int64_t seconds = 0;
    ASSERT_TRUE(ParseUtc("2024-05-01 13:04:05Z", seconds));
    EXPECT_EQ(seconds, 1714568645);
    EXPECT_FALSE(ParseUtc("2024-05-01 13:04:05", seconds));
    EXPECT_FALSE(ParseUtc("yesterday", seconds));
}

TEST(BackupHistoryTest, TheTableHasAHeaderARowPerBackupAndTheIncompleteNames) {
    EXPECT_EQ(FormatHistoryTable({}), "No backup has been recorded yet.\n");
    BackupRecord failed = Record("failed");
    failed.phone = "Ünïcode phone";
    failed.incomplete = {"VID_1.mp4"};
    const std::string table = FormatHistoryTable({Record("completed"), failed});
    EXPECT_NE(table.find("Started (UTC)"), std::string::npos);
    EXPECT_NE(table.find("2024-05-01 13:04:05Z  1:15  Pixel 7;%"), std::string::npos) << table;
    EXPECT_NE(table.find("1.2 MB"), std::string::npos);
    EXPECT_NE(table.find("completed"), std::string::npos);
    EXPECT_NE(table.find("    incomplete: VID_1.mp4\n"), std::string::npos);
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

}  // namespace
}  // namespace harbrook
