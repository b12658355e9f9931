// The key buffer under threads: producers on their own threads (as the platform's event thread
// and the repeat timer are) and the program reading on another. Nothing may be lost except what
// the full-buffer and nested-insertion rules drop, and no key may be duplicated or corrupted.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "input/keyboard_internal.h"
#include "support/test_keyboard.h"

namespace {

using namespace corvane::testing;

constexpr int presses = 20000;

// Each key carries its sequence number as the character and a key index derived from it, so a
// torn entry shows as a mismatch.
int index_for(int code) { return 1 + (code * 7) % (KEY_MAX - 1); }

class KeyBufferThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_keyboard();
    the_test_keyboard().driver.emulate_repeat = 0;
    ASSERT_EQ(start_with_test_keyboard(), 0);
    ASSERT_EQ(install_keyboard(), 0);
  }
  void TearDown() override { shutdown_corvane(); }

  // Reads until the producers are done and the buffer is empty; returns every key read.
  static std::vector<int> consume(const std::atomic<int> &producers_left, bool *torn) {
    std::vector<int> codes;
    while (true) {
      if (key_waiting() != 0) {
        int index = 0;
        const int code = read_key_unicode(&index);
        if (index != index_for(code & 0xFFFFF)) *torn = true;
        codes.push_back(code);
      } else if (producers_left.load() == 0) {
        if (key_waiting() == 0) break;
      } else {
        std::this_thread::yield();
      }
    }
    return codes;
  }
};

TEST_F(KeyBufferThreadsTest, ProducerThatWaitsForRoomLosesNothing) {
  std::atomic<int> producers_left{1};
  std::thread producer([&] {
    for (int i = 0; i < presses; ++i) {
      while (corvane::key_ring_full(corvane::key_buffer)) std::this_thread::yield();
      handle_key_press(i, index_for(i));
      handle_key_release(index_for(i));
    }
    producers_left.store(0);
  });
  bool torn = false;
  const std::vector<int> codes = consume(producers_left, &torn);
  producer.join();

  EXPECT_FALSE(torn);
  ASSERT_EQ(codes.size(), static_cast<size_t>(presses));
  for (int i = 0; i < presses; ++i) ASSERT_EQ(codes[i], i);
  EXPECT_EQ(corvane::key_buffer.dropped.load(), 0u);
}

TEST_F(KeyBufferThreadsTest, FastProducerLosesOnlyWhatTheFullBufferDrops) {
  std::atomic<int> producers_left{1};
  std::thread producer([&] {
    for (int i = 0; i < presses; ++i) handle_key_press(i, index_for(i));
    producers_left.store(0);
  });
  bool torn = false;
  const std::vector<int> codes = consume(producers_left, &torn);
  producer.join();

  EXPECT_FALSE(torn);
  for (size_t i = 1; i < codes.size(); ++i) ASSERT_LT(codes[i - 1], codes[i]) << i;
  EXPECT_EQ(codes.size() + corvane::key_buffer.dropped.load(), static_cast<size_t>(presses));
}

TEST_F(KeyBufferThreadsTest, TwoProducersNeverInterleaveAnEntry) {
  // Producer 0 types codes 0..presses-1, producer 1 the same codes with bit 20 set.
  std::atomic<int> producers_left{2};
  auto produce = [&](int tag) {
    for (int i = 0; i < presses; ++i) {
      handle_key_press(i | tag, index_for(i));
      if (i % 64 == 0) std::this_thread::yield();
    }
    producers_left.fetch_sub(1);
  };
  std::thread first(produce, 0);
  std::thread second(produce, 1 << 20);
  bool torn = false;
  const std::vector<int> codes = consume(producers_left, &torn);
  first.join();
  second.join();

  EXPECT_FALSE(torn);
  int last[2] = {-1, -1};
  for (int code : codes) {
    const int producer = code >> 20;
    ASSERT_TRUE(producer == 0 || producer == 1) << code;
    const int sequence = code & 0xFFFFF;
    ASSERT_LT(last[producer], sequence);  // in order, and never twice
    last[producer] = sequence;
  }
  EXPECT_EQ(codes.size() + corvane::key_buffer.dropped.load(), static_cast<size_t>(2 * presses));
}

// A driver whose wait_for_input blocks until stop_waiting_for_input wakes it.
std::mutex wait_mutex;
std::condition_variable wait_condition;
bool wake_requested = false;
std::atomic<int> waits_timed_out{0};

void blocking_wait() {
  std::unique_lock<std::mutex> lock(wait_mutex);
  if (!wait_condition.wait_for(lock, std::chrono::seconds(5), [] { return wake_requested; })) {
    waits_timed_out.fetch_add(1);
  }
  wake_requested = false;
}

void stop_blocking_wait() {
  std::lock_guard<std::mutex> lock(wait_mutex);
  wake_requested = true;
  wait_condition.notify_all();
}

TEST(KeyReadingThreads, ReaderBlockedInTheDriverIsWokenByAKey) {
  reset_test_keyboard();
  the_test_keyboard().driver.emulate_repeat = 0;
  the_test_keyboard().driver.wait_for_input = blocking_wait;
  the_test_keyboard().driver.stop_waiting_for_input = stop_blocking_wait;
  ASSERT_EQ(start_with_test_keyboard(), 0);
  ASSERT_EQ(install_keyboard(), 0);

  constexpr int keys = 200;
  std::atomic<int> consumed{0};
  std::thread producer([&consumed] {
    for (int i = 0; i < keys; ++i) {
      if (i % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      // Never more than half a buffer ahead of the reader, however slowly it runs, so that no
      // key is dropped and every key is read in order.
      while (i - consumed.load() > 32) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      handle_key_press('a' + i % 26, KEY_A + i % 26);
    }
  });
  int mismatches = 0;
  for (int i = 0; i < keys; ++i) {
    if (read_key() != (((KEY_A + i % 26) << 8) | ('a' + i % 26))) ++mismatches;
    consumed.store(i + 1);
  }
  producer.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(waits_timed_out.load(), 0);
  shutdown_corvane();
}

}  // namespace
