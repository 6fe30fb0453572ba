#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <thread>
#include <vector>

#include "fakes/FakeUpdate.h"
#include "platform/WorkerDisplayQueue.h"

namespace {

using Kind = DisplayChange::Kind;

std::vector<std::string> Describe(const std::vector<DisplayChange>& changes) {
    std::vector<std::string> out;
    for (const auto& c : changes) {
        switch (c.kind) {
            case Kind::ProgressText: out.push_back("label " + c.text); break;
            case Kind::Position: out.push_back("pos " + std::to_string(c.number)); break;
            case Kind::BarText: out.push_back("bar " + std::to_string(c.number) + " " + c.text); break;
        }
    }
    return out;
}

}  // namespace

TEST(UpdateWorkerDisplayQueue, WakesOnceUntilTakenAndKeepsBarTextsInOrder) {
    WorkerDisplayQueue q;
    EXPECT_TRUE(q.Push({Kind::BarText, 5, "file 1"}));   // nothing was waiting: wake the GUI
    EXPECT_FALSE(q.Push({Kind::ProgressText, 0, "a"}));  // already woken
    EXPECT_FALSE(q.Push({Kind::Position, 10, ""}));
    EXPECT_FALSE(q.Push({Kind::ProgressText, 0, "b"}));  // replaces "a": nothing shown in between
    EXPECT_FALSE(q.Push({Kind::Position, 20, ""}));
    EXPECT_FALSE(q.Push({Kind::BarText, 5, "file 2"}));
    EXPECT_FALSE(q.Push({Kind::Position, 30, ""}));      // after a bar text: a new entry
    EXPECT_EQ(Describe(q.TakeAll()),
              (std::vector<std::string>{"bar 5 file 1", "label b", "pos 20", "bar 5 file 2", "pos 30"}));
    EXPECT_TRUE(q.TakeAll().empty());
    EXPECT_TRUE(q.Push({Kind::Position, 40, ""}));       // taken: the next change wakes again
}

TEST(UpdateWorkerDisplayQueue, ShowChangesAppliesInOrder) {
    FakeWorkerDisplay display;
    ShowChanges({{Kind::BarText, 1, "x"}, {Kind::Position, 7, ""}, {Kind::ProgressText, 0, "t"}}, display);
    ASSERT_EQ(display.changes.size(), 3u);
    EXPECT_EQ(display.changes[0].text, "x");
    EXPECT_EQ(display.changes[1].number, 7);
    EXPECT_EQ(display.changes[2].text, "t");
}

// A worker thread pushing while the GUI thread takes: every bar text arrives once
// and in order, each after its previous file's last figures, and the queue stays small.
TEST(UpdateWorkerDisplayQueue, ConcurrentPushAndTake) {
    WorkerDisplayQueue q;
    std::vector<DisplayChange> taken;
    size_t largest = 0;
    std::thread worker([&] {
        for (int f = 1; f <= 50; ++f) {
            q.Push({Kind::BarText, 5, std::to_string(f)});
            for (int k = 1; k <= 200; ++k) {
                q.Push({Kind::ProgressText, 0, std::to_string(f) + "/" + std::to_string(k)});
                q.Push({Kind::Position, k, ""});
            }
        }
        q.Push({Kind::BarText, 1, "end"});
    });
    for (;;) {
        auto batch = q.TakeAll();
        largest = std::max(largest, batch.size());
        taken.insert(taken.end(), batch.begin(), batch.end());
        if (!taken.empty() && taken.back().kind == Kind::BarText && taken.back().text == "end") break;
        std::this_thread::yield();
    }
    worker.join();
    // What the window shows when each bar text comes: the previous file's last figures.
    std::vector<std::string> bars;
    std::string label, position;
    for (const DisplayChange& c : taken) {
        if (c.kind == Kind::ProgressText) label = c.text;
        if (c.kind == Kind::Position) position = std::to_string(c.number);
        if (c.kind != Kind::BarText) continue;
        if (!bars.empty()) {
            EXPECT_EQ(label, bars.back() + "/200");
            EXPECT_EQ(position, "200");
        }
        bars.push_back(c.text);
    }
    ASSERT_EQ(bars.size(), 51u);
    for (int f = 1; f <= 50; ++f) EXPECT_EQ(bars[static_cast<size_t>(f - 1)], std::to_string(f));
    EXPECT_LE(largest, 3u * 51u);
}
