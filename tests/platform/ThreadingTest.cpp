#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/ManualResetEvent.h"
#include "platform/RecursiveLock.h"
#include "platform/WorkerThread.h"

namespace vex::platform {
namespace {

TEST(ManualResetEvent, PollsAndTimesOutWhileReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
  const std::uint32_t before = MillisecondClock();
  EXPECT_FALSE(event.Wait(30));
  EXPECT_GE(static_cast<std::uint32_t>(MillisecondClock() - before), 30u);
}

TEST(ManualResetEvent, WaitUntilTheInstantOfAReadingEndsOnThatReading) {
  ManualResetEvent event;
  const std::uint32_t target = MillisecondClock() + 20;
  EXPECT_FALSE(event.WaitUntil(InstantOfReading(target)));
  EXPECT_GE(static_cast<std::int32_t>(MillisecondClock() - target), 0);
  // A reading already passed maps to the past, not to the next turn of the 32-bit clock.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.WaitUntil(InstantOfReading(MillisecondClock() - 1000)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(ManualResetEvent, StaysSetUntilReset) {
  ManualResetEvent event;
  event.Set();
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(kInfinite));
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
}

TEST(ManualResetEvent, ReleasesAnInfiniteWaitFromAnotherThread) {
  ManualResetEvent event;
  std::thread setter([&event] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(kInfinite));
  setter.join();
}

TEST(RecursiveLock, IsReentrantOnTheOwningThreadOnly) {
  RecursiveLock lock;
  std::lock_guard outer(lock);
  ASSERT_TRUE(lock.try_lock());
  lock.unlock();
  bool otherThreadGotIt = true;
  std::thread([&] { otherThreadGotIt = lock.try_lock(); }).join();
  EXPECT_FALSE(otherThreadGotIt);
}

TEST(RecursiveLock, BoundedTryGivesUpOnAHolderThatKeepsItAndGetsItOnceLetGo) {
  RecursiveLock lock;
  ManualResetEvent held;
  ManualResetEvent letGo;
  std::thread holder([&] {
    std::lock_guard guard(lock);
    held.Set();
    letGo.Wait(kInfinite);
  });
  ASSERT_TRUE(held.Wait(kInfinite));
  const std::uint32_t before = MillisecondClock();
  EXPECT_FALSE(lock.TryLockFor(30));
  EXPECT_GE(static_cast<std::uint32_t>(MillisecondClock() - before), 30u);
  letGo.Set();
  holder.join();
  ASSERT_TRUE(lock.TryLockFor(30));
  EXPECT_TRUE(lock.TryLockFor(0));  // re-entrant
  lock.unlock();
  lock.unlock();
}

// The update thread after frames of 33 ms or more: it takes the lock again as soon as it lets go.
// A thread waiting with a time limit must still get the lock before the next frame begins, on
// every turn; counted, not timed.
TEST(RecursiveLock, AWaiterWithATimeLimitGoesBeforeTheHoldersNextFrame) {
  RecursiveLock lock;
  std::atomic<std::uint64_t> framesBegun{0};
  std::atomic<bool> done{false};
  ManualResetEvent firstFrame;
  std::thread frames([&] {
    while (!done) {
      std::lock_guard frame(lock);
      ++framesBegun;
      firstFrame.Set();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  ASSERT_TRUE(firstFrame.Wait(kInfinite));
  int servedLate = 0;
  for (int turn = 0; turn < 25; ++turn) {
    const std::uint64_t before = framesBegun;
    ASSERT_TRUE(lock.TryLockFor(60000));
    // The frame under way ends first, and one may have begun just before the wait did.
    const std::uint64_t served = framesBegun;
    if (served - before > 1) {
      ++servedLate;
    }
    lock.unlock();
    while (framesBegun == served) {
      std::this_thread::yield();
    }
  }
  done = true;
  frames.join();
  EXPECT_EQ(servedLate, 0);
}

// A frame longer than the window thread's wait: the wait runs out, and the wish it leaves is
// served before the holder's next hold, however late the wisher comes back for it.
TEST(RecursiveLock, AWishLeftByAWaitThatRanOutGoesBeforeTheHoldersNextHold) {
  RecursiveLock lock;
  ManualResetEvent held;
  ManualResetEvent letGo;
  ManualResetEvent frameEnded;
  std::atomic<bool> wisherHadIt{false};
  std::atomic<bool> nextHoldCameAfter{false};
  std::thread frames([&] {
    {
      std::lock_guard frame(lock);
      held.Set();
      letGo.Wait(kInfinite);
    }
    frameEnded.Set();
    lock.YieldToWish(60000);
    std::lock_guard next(lock);
    nextHoldCameAfter = wisherHadIt.load();
  });
  ASSERT_TRUE(held.Wait(kInfinite));
  const bool gaveUp = !lock.TryLockOrWish(10);
  letGo.Set();
  frameEnded.Wait(kInfinite);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the next refresh tick comes later
  const bool served = lock.TryLockOrWish(0);
  if (served) {
    wisherHadIt = true;
    lock.unlock();
  }
  frames.join();
  EXPECT_TRUE(gaveUp);
  EXPECT_TRUE(served);
  EXPECT_TRUE(nextHoldCameAfter);
}

// The holder does not wait for a thread that left no wish (a plain bounded wait) or dropped it
// (a stop no longer wants the lock): its next hold follows at once rather than after a minute.
TEST(RecursiveLock, NoWishStandsAfterAPlainWaitOrOnceDropped) {
  for (const bool leaveWish : {false, true}) {
    SCOPED_TRACE(leaveWish ? "wish dropped" : "plain wait");
    RecursiveLock lock;
    ManualResetEvent held;
    ManualResetEvent letGo;
    ManualResetEvent nextHold;
    std::thread frames([&] {
      {
        std::lock_guard frame(lock);
        held.Set();
        letGo.Wait(kInfinite);
      }
      lock.YieldToWish(60000);
      std::lock_guard next(lock);
      nextHold.Set();
    });
    ASSERT_TRUE(held.Wait(kInfinite));
    EXPECT_FALSE(leaveWish ? lock.TryLockOrWish(10) : lock.TryLockFor(10));
    if (leaveWish) {
      lock.DropWish();
    }
    letGo.Set();
    EXPECT_TRUE(nextHold.Wait(10000));
    frames.join();
  }
}

TEST(WorkerThread, JoinsABodyThatEndsInTime) {
  WorkerThread thread;
  std::atomic<bool> ran{false};
  ASSERT_TRUE(thread.Start([&ran] { ran = true; }));
  EXPECT_TRUE(thread.IsStarted());
  EXPECT_FALSE(thread.Start([] {}));
  EXPECT_TRUE(thread.WaitFor(5000));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(thread.IsStarted());
  ASSERT_TRUE(thread.Start([] {}));
  EXPECT_TRUE(thread.WaitFor(kInfinite));
}

TEST(WorkerThread, AbandonsABodyThatDoesNotEnd) {
  auto release = std::make_shared<ManualResetEvent>();
  auto finished = std::make_shared<ManualResetEvent>();
  {
    WorkerThread thread;
    ASSERT_TRUE(thread.Start([release, finished] {
      release->Wait(kInfinite);
      finished->Set();
    }));
    EXPECT_FALSE(thread.WaitFor(0));
    EXPECT_FALSE(thread.WaitFor(20));
    EXPECT_TRUE(thread.IsStarted());
    thread.Abandon();
    EXPECT_FALSE(thread.IsStarted());
    EXPECT_TRUE(thread.WaitFor(0));
  }
  // The abandoned thread outlives its object and still ends cleanly.
  release->Set();
  EXPECT_TRUE(finished->Wait(5000));
}

TEST(WorkerThread, DestructorDoesNotWaitForARunningBody) {
  auto release = std::make_shared<ManualResetEvent>();
  auto finished = std::make_shared<ManualResetEvent>();
  {
    WorkerThread thread;
    ASSERT_TRUE(thread.Start([release, finished] {
      release->Wait(kInfinite);
      finished->Set();
    }));
  }
  EXPECT_FALSE(finished->IsSet());
  release->Set();
  EXPECT_TRUE(finished->Wait(5000));
}

}  // namespace
}  // namespace vex::platform
