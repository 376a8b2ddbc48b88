// The ECU input's worker: records with their fetch time, the link state and
// its log lines, one fetch at a time, and stopping in the middle of a wait.
#include "link/EcuWorker.h"
#include "link/TarnLink.h"
#include "link/TarnProtocol.h"
#include "tests/ecu/FakeEcu.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTime.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Rig {
    LogCapture log;
    TraceCapture traces; // keeps the protocol's traces out of the test output
    FakeEcu ecu;
    SerialPortHandler handler{[this] { return new FakeEcuDevice(ecu); }, 0};
    TarnProtocol protocol{&handler};
    EcuWorker::Clock::time_point now = EcuWorker::Clock::time_point() + 10s;
    // rpm from the first two bytes.
    EcuWorker worker{std::unique_ptr<EcuLink>(new TarnLink(protocol, 56, 2)),
                     [](const std::vector<unsigned char>& block, ValueMap& values) {
                         values["rpm"] = 256.0 * block[0] + block[1];
                     },
                     [this] { return now; }};

    int fetch()
    {
        EXPECT_TRUE(worker.requestFetch());
        return worker.waitForFetch();
    }
};

} // namespace

TEST(EcuWorker, PublishesGoodRecordsOnly)
{
    Rig rig;
    rig.ecu.block = {0x0B, 0xB8};
    EXPECT_EQ(rig.worker.latest(), nullptr);
    ASSERT_EQ(rig.fetch(), 0);
    std::shared_ptr<const EcuWorker::Record> first = rig.worker.latest();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->sequence, 1u);
    EXPECT_EQ(first->fetchedAt, rig.now);
    EXPECT_DOUBLE_EQ(first->values.find("rpm")->second, 3000.0);

    // A silent ECU publishes nothing: the old record stays the latest.
    rig.ecu.present = false;
    rig.now += 1s;
    EXPECT_EQ(rig.fetch(), TarnProtocol::kGaveUp);
    EXPECT_EQ(rig.worker.latest(), first);

    rig.ecu.present = true;
    rig.ecu.block = {0x03, 0xE8};
    ASSERT_EQ(rig.fetch(), 0);
    EXPECT_EQ(rig.worker.latest()->sequence, 2u);
    EXPECT_EQ(rig.worker.latest()->fetchedAt, rig.now);
    EXPECT_DOUBLE_EQ(rig.worker.latest()->values.find("rpm")->second, 1000.0);
}

TEST(EcuWorker, LinkStates)
{
    struct Case {
        const char* label;
        void (*spoil)(FakeEcu&);
        LinkState::Kind want;
        const char* logged;
    };
    const Case cases[] = {
        {"answers", [](FakeEcu&) {}, LinkState::Connected, "Link state: ECU connected, 9600 baud"},
        {"silent", [](FakeEcu& e) { e.present = false; }, LinkState::NoReply,
         "Link state: no reply from the ECU on "},
        {"only garbage", [](FakeEcu& e) { e.scripted.assign(40, std::string(56, '$')); },
         LinkState::NoReply, "Link state: no reply from the ECU on "},
        {"wrong lengths", [](FakeEcu& e) { e.replyLength = 30; }, LinkState::Searching,
         "Link state: searching for the ECU"},
        {"unplugged", [](FakeEcu& e) { e.unplugged = true; }, LinkState::CannotOpen,
         "Link state: cannot open "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        c.spoil(rig.ecu);
        rig.fetch();
        EXPECT_EQ(rig.worker.linkState().kind, c.want);
        wxLog::FlushActive(); // the worker's messages wait for this thread
        EXPECT_TRUE(rig.log.containsPrefix(c.logged)) << rig.worker.linkState().describe();
        EXPECT_EQ(rig.worker.linkState().reason == "it talks, but not as the ECU",
                  std::string(c.label) == "only garbage");
        // A talking device that is not the ECU never gets its bytes decoded.
        EXPECT_EQ(rig.worker.latest() != nullptr, c.want == LinkState::Connected);
    }
}

TEST(EcuWorker, OneFetchAtATimeAndStopMidWait)
{
    // A port that never answers: every fetch spends its time in waits.
    TempDir dir;
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    ASSERT_TRUE(silent.ok());
    LogCapture log;
    TraceCapture traces;
    SerialPortHandler handler;
    TarnProtocol protocol(&handler);
    EcuWorker worker(std::unique_ptr<EcuLink>(new TarnLink(protocol, 0, 0)), {});

    ASSERT_TRUE(worker.requestFetch());
    EXPECT_FALSE(worker.requestFetch()) << "a second request while the first runs";
    // The first probe reached the line: the worker now waits for its reply.
    EXPECT_NE(silent.receive(2000).find("mxc"), std::string::npos);
    const auto start = std::chrono::steady_clock::now();
    worker.stop();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, TestTime::scaled(1000ms)) << "the real figure is measured by bench_ecu_worker";
    EXPECT_FALSE(worker.requestFetch());
    // The port is usable again by whoever comes next.
    EXPECT_EQ(handler.open(), 0);
}

namespace {

// A link whose fetches always succeed and whose pages come from a script:
// page i is `pages[i]`, unless `refuse[i]` says its reply is refused.
struct PagedLink : EcuLink {
    std::vector<std::vector<unsigned char>> pages;
    std::vector<bool> refuse;

    int fetch(std::vector<unsigned char>& block, const StateReport& report) override
    {
        LinkState connected;
        connected.kind = LinkState::Connected;
        report(connected);
        block.assign(4, 0);
        return 0;
    }
    int pageCount() const override { return static_cast<int>(pages.size()); }
    int readPage(int index, std::vector<unsigned char>& bytes, std::string& problem,
                 const BetweenParts& = {}) override
    {
        if (refuse[size_t(index)]) {
            problem = "reply refused: CRC mismatch";
            return kReplyRefused;
        }
        bytes = pages[size_t(index)];
        return 0;
    }
    void interrupt() override {}
    void resume() override {}
};

} // namespace

TEST(EcuWorker, ReadsPagesOnConnectAndKeepsAFailedPage)
{
    LogCapture log;
    auto owned = std::make_unique<PagedLink>();
    PagedLink& link = *owned;
    link.pages = {{1, 2}, {3, 4, 5}};
    link.refuse = {false, false};
    EcuWorker worker(std::move(owned), nullptr);
    ASSERT_EQ(worker.pageCount(), 2);
    ASSERT_TRUE(worker.requestFetch());
    const std::shared_ptr<const EcuWorker::Pages> first = worker.waitForPages(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->readNow, 2);
    EXPECT_EQ(first->problem, "");
    EXPECT_EQ(first->bytes, link.pages);

    // Read again with page 2 refused: page 1 is new, page 2 keeps its bytes.
    // The link is only touched between rounds: the worker waits now.
    link.pages = {{9, 9}, {7, 7, 7}};
    link.refuse = {false, true};
    worker.requestPages();
    const std::shared_ptr<const EcuWorker::Pages> second = worker.waitForPages(first->sequence);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->readNow, 1);
    EXPECT_EQ(second->problem, "page 2: reply refused: CRC mismatch");
    EXPECT_EQ(second->bytes,
              (std::vector<std::vector<unsigned char>>{{9, 9}, {3, 4, 5}}));
}

namespace {

// A link whose fetches succeed, each block holding the fetch's number; the
// first `slow` fetches take `slowFor` each. Notes when each fetch started.
struct CountingLink : EcuLink {
    int slow = 0;
    std::chrono::milliseconds slowFor{0};
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> starts;

    int fetch(std::vector<unsigned char>& block, const StateReport&) override
    {
        size_t number;
        {
            std::lock_guard<std::mutex> lock(mutex);
            starts.push_back(std::chrono::steady_clock::now());
            number = starts.size();
        }
        if (int(number) <= slow)
            std::this_thread::sleep_for(slowFor); // an ECU that answers slowly
        block.assign(4, 0);
        block[0] = static_cast<unsigned char>(number >> 8);
        block[1] = static_cast<unsigned char>(number);
        return 0;
    }
    void interrupt() override {}
    void resume() override {}
};

EcuWorker::Decoder NumberDecoder()
{
    return [](const std::vector<unsigned char>& block, ValueMap& values) {
        values["n"] = 256.0 * block[0] + block[1];
    };
}

} // namespace

TEST(EcuWorker, OnItsOwnEveryRecordIsQueuedOnceInOrderAndTheQueueIsBounded)
{
    auto owned = std::make_unique<CountingLink>();
    EcuWorker worker(std::move(owned), NumberDecoder());
    worker.fetchEvery(std::chrono::microseconds(0));
    ASSERT_TRUE(worker.requestFetch());
    EXPECT_TRUE(worker.requestFetch()) << "asks nothing more, fails nothing";
    std::vector<std::shared_ptr<const EcuWorker::Record>> taken;
    while (taken.size() < 50) {
        worker.waitForFetch();
        for (auto& record : worker.takeRecords())
            taken.push_back(record);
    }
    // Nobody takes them for a while: the oldest go first, the queue stays bounded.
    while (worker.droppedRecords() == 0)
        worker.waitForFetch();
    const std::vector<std::shared_ptr<const EcuWorker::Record>> late = worker.takeRecords();
    worker.stop();
    EXPECT_LE(late.size(), EcuWorker::kQueueLimit);
    EXPECT_GE(late.size(), EcuWorker::kQueueLimit - 1);
    for (size_t i = 0; i < taken.size(); ++i) {
        ASSERT_EQ(taken[i]->sequence, i + 1);
        EXPECT_DOUBLE_EQ(taken[i]->values.find("n")->second, double(i + 1));
    }
    for (size_t i = 1; i < late.size(); ++i)
        ASSERT_EQ(late[i]->sequence, late[i - 1]->sequence + 1);
    EXPECT_GT(late.front()->sequence, taken.back()->sequence);
    EXPECT_EQ(worker.failedFetches(), 0u);
}

TEST(EcuWorker, ASlowEcuLeavesNoBacklogOfFetches)
{
    // 50 fetches a second asked; the first three take 100 ms each, owing a
    // dozen fetches that must not come all at once afterwards.
    const auto interval = std::chrono::milliseconds(20);
    auto owned = std::make_unique<CountingLink>();
    CountingLink& link = *owned;
    link.slow = 3;
    link.slowFor = std::chrono::milliseconds(100);
    EcuWorker worker(std::move(owned), NumberDecoder());
    worker.fetchEvery(interval);
    ASSERT_TRUE(worker.requestFetch());
    while (worker.latest() == nullptr || worker.latest()->sequence < 14)
        worker.waitForFetch();
    worker.stop();
    std::lock_guard<std::mutex> lock(link.mutex);
    // A load on the machine only spreads the fetches further.
    EXPECT_GE(link.starts[13] - link.starts[3], 9 * interval);
}

TEST(EcuWorker, ASwappedDecoderDecodesEveryLaterRecordAndLosesNone)
{
    // Each decoder tags its records; it takes a while, so that swaps land
    // while a block is being decoded.
    const auto tagging = [](int tag) -> EcuWorker::Decoder {
        return [tag](const std::vector<unsigned char>& block, ValueMap& values) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            values["n"] = 256.0 * block[0] + block[1];
            values["tag"] = tag;
        };
    };
    EcuWorker worker(std::make_unique<CountingLink>(), tagging(0));
    worker.fetchEvery(std::chrono::microseconds(0));
    ASSERT_TRUE(worker.requestFetch());
    uint64_t next = 1;
    const auto check = [&](const std::shared_ptr<const EcuWorker::Record>& record, int tag) {
        EXPECT_EQ(record->sequence, next++);
        EXPECT_DOUBLE_EQ(record->values.find("n")->second, double(record->sequence));
        EXPECT_DOUBLE_EQ(record->values.find("tag")->second, tag);
    };
    for (int tag = 0; tag < 20 && !HasFailure(); ++tag) {
        for (int taken = 0; taken < 3;) {
            worker.waitForFetch();
            for (const auto& record : worker.takeRecords()) {
                check(record, tag);
                ++taken;
            }
        }
        for (const auto& record : worker.setDecoder(tagging(tag + 1)))
            check(record, tag);
        const std::shared_ptr<const EcuWorker::Record> latest = worker.latest();
        EXPECT_TRUE(!latest || latest->values.find("tag")->second == tag + 1);
    }
    worker.stop();
}
