// Sending files to a phone stand-in over loopback: what arrives, what the
// user is told in every ending, and how a send and a backup keep apart.
#include <gtest/gtest.h>

#include <fstream>
#include <future>

#include "link/frames.h"
#include "link/keywords.h"
#include "locale/ui_strings.h"
#include "platform/utf8.h"
#include "send/send_files.h"
#include "tests/backup/transfer_harness.h"
#include "tools/phone/phone_receive.h"

namespace harbrook::test {
namespace {

using std::chrono::milliseconds;
namespace fs = std::filesystem;

std::string Text(unsigned id) {
    return LoadUiString(id, 1024);
}

// A phone that the test drives frame by frame: a ROUTER on the send port.
class ScriptedPhone {
  public:
    explicit ScriptedPhone(int port) : m_socket(m_context, zmq::socket_type::router) {
        SetReceiveTimeout(m_socket, milliseconds(5000));
        SetLinger(m_socket, milliseconds(0));
        m_socket.bind("tcp://127.0.0.1:" + std::to_string(port));
    }
    // One whole message without the PC's identity frame.
    std::vector<std::string> Receive() {
        std::vector<std::string> frames;
        zmq::message_t part;
        do {
            if (!m_socket.recv(part)) return {};
            frames.emplace_back(part.data<char>(), part.size());
        } while (part.more());
        if (!frames.empty()) {
            m_identity = frames.front();
            frames.erase(frames.begin());
        }
        return frames;
    }
    void Reply(std::string_view word) {
        SendText(m_socket, m_identity, true);
        SendText(m_socket, word);
    }
    bool Quiet(milliseconds window) { return !PollIn(m_socket, window); }
    const std::string& identity() const { return m_identity; }

  private:
    zmq::context_t m_context;
    zmq::socket_t m_socket;
    std::string m_identity;
};

class SendTest : public ::testing::Test {
  protected:
    explicit SendTest(Timing timing = FastTiming()) : h(timing) { fs::create_directories(PcDir()); }

    fs::path PcDir() const { return h.sandbox.root() / "pc"; }
    fs::path PhoneDir() const { return h.sandbox.root() / "phone-storage"; }
    fs::path MakeFile(const std::string& name, std::uintmax_t size, unsigned seed = 1) {
        const fs::path file = PcDir() / platform::PathFromUtf8(name);
        WritePatternFile(file, size, seed);
        return file;
    }

    // A phone stand-in that serves one send on its own thread.
    std::future<phone::ReceiveReport> StartPhone(phone::ReceiveOptions options = {}) {
        options.port = h.link.ports.send;
        options.outputFolder = PhoneDir();
        options.timeout = milliseconds(5000);
        auto receiver = std::make_shared<phone::PhoneReceiver>(options);
        EXPECT_TRUE(receiver->IsListening());
        return std::async(std::launch::async, [receiver] { return receiver->Serve(); });
    }

    // The send as the user starts it; waits for its end.
    void Send(std::vector<fs::path> files) {
        std::jthread worker = OnSendFiles(h.link, std::move(files));
        ASSERT_TRUE(worker.joinable());
        worker.join();
    }

    void ExpectAtRest() {
        EXPECT_EQ(h.frontend.sendButtonText(), "Send Files");
        EXPECT_TRUE(h.frontend.sendButtonEnabled());
        EXPECT_FALSE(h.link.transferBusy.test());
    }

    TransferHarness h;
};

TEST_F(SendTest, SeveralFilesArriveWholeAndEmptyOnesAreSkipped) {
    const std::vector<fs::path> files{
        MakeFile("a.txt", 10, 1),      MakeFile("empty.bin", 0),
        MakeFile("b.bin", 600'000, 2), MakeFile("c.jpg", 300'001, 3),
        MakeFile("d.bin", 300'000, 4), MakeFile("\xC3\xA9t\xC3\xA9.txt", 5, 5),
    };
    auto phone = StartPhone();
    Send(files);
    const auto report = phone.get();
    EXPECT_TRUE(report.ended) << report.problem;
    EXPECT_EQ(report.total, "1200016");
    ASSERT_EQ(report.files.size(), 5u);
    const std::vector<std::pair<std::string, int>> expected{
        {"a.txt", 1}, {"b.bin", 2}, {"c.jpg", 2}, {"d.bin", 1}, {"\xC3\xA9t\xC3\xA9.txt", 1}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(report.files[i].name, expected[i].first);
        EXPECT_EQ(report.files[i].pieces, expected[i].second) << expected[i].first;
        EXPECT_EQ(HashFile(report.files[i].storedAs),
                  HashFile(PcDir() / platform::PathFromUtf8(expected[i].first)));
    }
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{Text(send_text::kDone)});
    ExpectAtRest();
}

TEST_F(SendTest, PiecesGoOneAtATimeEachAfterAReply) {
    const auto file = MakeFile("b.bin", 600'000, 9);
    ScriptedPhone phone(h.link.ports.send);
    std::jthread worker = OnSendFiles(h.link, {file});
    EXPECT_EQ(phone.Receive(), std::vector<std::string>{"600000"});
    EXPECT_EQ(phone.identity(), kw::kPcSending);
    phone.Reply("sufficient");
    EXPECT_EQ(phone.Receive(), (std::vector<std::string>{"b.bin", "sending"}));
    EXPECT_TRUE(phone.Quiet(milliseconds(100)));  // nothing before the phone asks
    const std::string bytes = ReadFileBytes(file);
    std::string got;
    for (int piece = 0; piece < 2; ++piece) {
        phone.Reply("ok");
        const auto frames = phone.Receive();
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].size(), 300'000u);
        got += frames[0];
        EXPECT_TRUE(phone.Quiet(milliseconds(50)));
    }
    EXPECT_EQ(got, bytes);
    phone.Reply("ok");
    EXPECT_EQ(phone.Receive(), std::vector<std::string>{"harbrook"});
    phone.Reply("fileEnd");
    EXPECT_EQ(phone.Receive(), (std::vector<std::string>{"123.jpg", "sendingEnd"}));
    worker.join();
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{Text(send_text::kDone)});
    ExpectAtRest();
    // Progress once the phone took the total, after each piece and each file.
    EXPECT_EQ(h.frontend.sendEvents(),
              (std::vector<std::string>{"start 600000", "300000 bytes, 0 files",
                                        "600000 bytes, 0 files", "600000 bytes, 1 files", "end"}));
}

// One send at a time, whatever starts it; the button reads "Sending" until
// the send has ended, and the outcome is told only after it came back.
TEST_F(SendTest, ASecondSendIsRefusedUntilTheFirstHasEnded) {
    const auto file = MakeFile("a.bin", 1000);
    ScriptedPhone phone(h.link.ports.send);
    std::vector<SendOutcome> outcomes;
    bool atRestWhenTold = false;
    std::jthread first = OnSendFiles(h.link, {file}, [&](SendOutcome outcome) {
        atRestWhenTold = h.frontend.sendButtonEnabled() && !h.link.transferBusy.test() &&
                         !h.link.sendRunning.test();
        outcomes.push_back(outcome);
    });
    EXPECT_EQ(phone.Receive(), std::vector<std::string>{"1000"});
    EXPECT_EQ(h.frontend.sendButtonText(), "Sending");
    EXPECT_FALSE(h.frontend.sendButtonEnabled());

    SendOutcome refused = SendOutcome::Sent;
    EXPECT_FALSE(
        OnSendFiles(h.link, {file}, [&](SendOutcome o) { refused = o; }).joinable());  // --send
    EXPECT_FALSE(OnSendFiles(h.link, {file}).joinable());  // a drop or the button
    EXPECT_EQ(refused, SendOutcome::SendRunning);
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{Text(send_text::kSendRunning)});
    EXPECT_EQ(h.frontend.sendButtonText(), "Sending");
    EXPECT_FALSE(h.frontend.sendButtonEnabled());

    phone.Reply("sufficient");
    EXPECT_EQ(phone.Receive(), (std::vector<std::string>{"a.bin", "sending"}));
    phone.Reply("fileEnd");
    EXPECT_EQ(phone.Receive(), (std::vector<std::string>{"123.jpg", "sendingEnd"}));
    first.join();
    EXPECT_EQ(outcomes, std::vector<SendOutcome>{SendOutcome::Sent});
    EXPECT_TRUE(atRestWhenTold);
    EXPECT_EQ(h.frontend.messages().size(), 1u);  // the report took the outcome
    ExpectAtRest();
}

TEST_F(SendTest, UnusableSelectionsAreRefusedBeforeAnyConnection) {
    const auto empty = MakeFile("empty.bin", 0);
    const auto good = MakeFile("good.bin", 10);
    fs::create_directories(PcDir() / "folder");
    const std::vector<std::vector<fs::path>> selections{
        {empty}, {good, PcDir() / "missing.bin"}, {good, PcDir() / "folder"}};
    for (const auto& selection : selections) SendFilesThread(h.link, selection);
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>(3, Text(send_text::kBadFiles)));
    ExpectAtRest();

    // No phone address at all: message 145 and no thread.
    h.link.state.SetConnectionState(false, "", "", "");
    std::jthread none = OnSendFiles(h.link, {good});
    EXPECT_FALSE(none.joinable());
    EXPECT_EQ(h.frontend.messages().back(), Text(send_text::kNoPhone));
}

TEST_F(SendTest, TwoGibibytesIsTheLimitToTheByte) {
    const auto exact = PcDir() / "exact.bin";
    const auto over = PcDir() / "over.bin";
    std::ofstream(exact).close();
    std::ofstream(over).close();
    fs::resize_file(exact, kMaxSendFileSize);  // sparse: no disk is used
    fs::resize_file(over, kMaxSendFileSize + 1);
    const auto small = MakeFile("small.bin", 10);
    EXPECT_EQ(TotalSelectedSize({exact}), kMaxSendFileSize);
    EXPECT_EQ(TotalSelectedSize({exact, small}), kMaxSendFileSize + 10);
    EXPECT_EQ(TotalSelectedSize({over}), 0u);
    EXPECT_EQ(TotalSelectedSize({small, over}), 0u);
    SendFilesThread(h.link, {small, over});
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{Text(send_text::kBadFiles)});
}

TEST_F(SendTest, PhoneAnswersAreToldToTheUser) {
    const auto file = MakeFile("a.bin", 1000);
    struct Case {
        const char* what;
        phone::ReceiveOptions options;
        unsigned message;
    };
    std::vector<Case> cases(3);
    cases[0] = {"no space", {}, send_text::kNoSpace};
    cases[0].options.space = 999;
    cases[1] = {"an unexpected word", {}, send_text::kNoPermission};
    cases[1].options.totalReply = "denied";
    cases[2] = {"fileError", {}, send_text::kNoPermission};
    cases[2].options.fileErrorAfterPieces = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto phone = StartPhone(c.options);
        Send({file});
        phone.get();
        EXPECT_EQ(h.frontend.messages().back(), Text(c.message));
        ExpectAtRest();
    }
}

TEST_F(SendTest, AFileThatVanishesBeforeItsTurnIsReported) {
    const auto first = MakeFile("first.bin", 100, 1);
    const auto second = MakeFile("second.bin", 100, 2);
    ScriptedPhone phone(h.link.ports.send);
    std::jthread worker = OnSendFiles(h.link, {first, second});
    EXPECT_EQ(phone.Receive(), std::vector<std::string>{"200"});
    phone.Reply("sufficient");
    EXPECT_EQ(phone.Receive(), (std::vector<std::string>{"first.bin", "sending"}));
    fs::remove(second);
    phone.Reply("ok");
    EXPECT_EQ(phone.Receive().at(0).size(), 100u);
    phone.Reply("fileEnd");
    worker.join();
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{Text(send_text::kBadFiles)});
    ExpectAtRest();
}

// (A send holds the same flag while it runs, SendLingerTest shows, and a
// backup is not answered while it is held: backup_flow_test.)
TEST_F(SendTest, ASendIsRefusedWhileABackupRuns) {
    h.StartReceiver();
    phone::BackupLink backup(h.BackupEndpoint(), "phone", milliseconds(5000));
    backup.SendTotal("100");
    ASSERT_EQ(backup.ReceiveWord(), std::optional<std::string>("sufficient"));
    SendFilesThread(h.link, {MakeFile("a.bin", 1000)});
    EXPECT_EQ(h.frontend.messages(), std::vector<std::string>{Text(send_text::kBackupRunning)});
    EXPECT_EQ(h.frontend.sendButtonText(), "Send Files");
    EXPECT_TRUE(h.link.transferBusy.test()) << "still the backup's";
    backup.SendOffer("end", "1", "document", kw::kBackingEnd);
    ASSERT_TRUE(h.WaitForBackupEnds(1));
    ExpectAtRest();
}

class SendTimeoutTest : public SendTest {
  protected:
    SendTimeoutTest() : SendTest(FastTiming(milliseconds(500))) {}
};

TEST_F(SendTimeoutTest, SilenceOrNobodyListeningIsALostConnection) {
    const auto file = MakeFile("a.bin", 1000);
    // Nobody listens: the connect succeeds, the reply never comes.
    EXPECT_EQ(SendFilesThread(h.link, {file}), SendOutcome::NoAnswer);
    EXPECT_EQ(h.frontend.messages().back(), Text(send_text::kConnectionLost));
    ExpectAtRest();

    phone::ReceiveOptions silent;
    silent.silent = true;
    auto phone = StartPhone(silent);
    Send({file});
    EXPECT_EQ(phone.get().total, "1000");
    EXPECT_EQ(h.frontend.messages().back(), Text(send_text::kConnectionLost));
    ExpectAtRest();
}

TEST_F(SendTimeoutTest, DisconnectAndStopEndTheSendQuickly) {
    const auto file = MakeFile("a.bin", 1000);
    {
        ScriptedPhone phone(h.link.ports.send);
        std::jthread worker = OnSendFiles(h.link, {file});
        EXPECT_EQ(phone.Receive(), std::vector<std::string>{"1000"});
        phone.Reply("sufficient");
        EXPECT_EQ(phone.Receive(), (std::vector<std::string>{"a.bin", "sending"}));
        h.link.state.SetConnectionState(false, "", "", "");
        phone.Reply("ok");  // the PC looks at the flag before the next piece
        worker.join();
        EXPECT_EQ(h.frontend.sendEvents().back(), "end");
        EXPECT_EQ(h.frontend.messages().back(), Text(send_text::kConnectionLost));
        ExpectAtRest();
    }
    h.link.state.SetConnectionState(true, "Pixel", "id1", "127.0.0.1");
    ScriptedPhone phone(h.link.ports.send);
    std::jthread worker = OnSendFiles(h.link, {file});
    EXPECT_EQ(phone.Receive(), std::vector<std::string>{"1000"});
    const std::size_t before = h.frontend.messages().size();
    EXPECT_LT(TimeTaken([&] {
                  h.link.stop.RequestStop();
                  worker.join();
              }),
              kStopDeadline);
    EXPECT_EQ(h.frontend.messages().size(), before);  // a stop tells the user nothing
    ExpectAtRest();
}

class SendLingerTest : public SendTest {
  protected:
    SendLingerTest() : SendTest(LongLinger()) {}
    static Timing LongLinger() {
        Timing t = FastTiming(milliseconds(10000));
        t.linger = milliseconds(10000);  // what a send would flush, if it could
        return t;
    }
};

TEST_F(SendLingerTest, AStopWhileTheSendWaitsForAnAbsentPhoneEndsAtOnce) {
    const auto file = MakeFile("a.bin", 1000);
    std::jthread worker = OnSendFiles(h.link, {file});
    // Nobody listens: once the send holds the link, its total waits, unsent,
    // for a phone that never comes.
    ASSERT_TRUE(WaitFor([&] { return h.link.transferBusy.test(); }));
    auto stopped = std::async(std::launch::async, [&] {
        h.link.stop.RequestStop();
        worker.join();
    });
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(2)), std::future_status::ready);
}

}  // namespace
}  // namespace harbrook::test
