// The cost of the timer dispatcher and of the key buffer. The dispatcher runs on every wake-up of
// the timer thread with the timer mutex held, so its cost bounds how long a program's calls to
// add or remove a handler can wait. The key buffer never blocks the thread that reports keys;
// these figures show what an insertion and a read cost, alone and across two threads.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "input/keyboard_internal.h"

namespace {

std::atomic<long> handler_calls{0};

template <int N>
void handler() {
  handler_calls.fetch_add(1, std::memory_order_relaxed);
}

int threadless_init() { return 0; }

timer_driver threadless_timer = {
    .id = CORVANE_ID('B', 'N', 'C', 'H'),
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Benchmark timer",
    .init = threadless_init,
};
driver_list_entry timer_list[] = {{CORVANE_ID('B', 'N', 'C', 'H'), &threadless_timer, -1},
                                  {0, nullptr, 0}};
driver_list_entry *list_timers() { return timer_list; }
system_driver bench_system;

// Starts the library with a timer driver that has no thread: the benchmark calls the dispatcher.
void start_threadless_timer() {
  startup_corvane(SYSTEM_NONE, nullptr, nullptr);
  bench_system = system_none;
  bench_system.list_timer_drivers = list_timers;
  current_system_driver = &bench_system;
  install_timer_system();
}

void BM_DispatchIdle(benchmark::State &state) {
  start_threadless_timer();
  for (auto _ : state) benchmark::DoNotOptimize(timer_dispatch(TICKS_PER_MS));
  shutdown_corvane();
}
BENCHMARK(BM_DispatchIdle);

// Sixteen handlers due at every call: one pass of a fully loaded table.
void BM_DispatchSixteenDueHandlers(benchmark::State &state) {
  start_threadless_timer();
  void (*const procs[])() = {handler<0>,  handler<1>,  handler<2>,  handler<3>,
                             handler<4>,  handler<5>,  handler<6>,  handler<7>,
                             handler<8>,  handler<9>,  handler<10>, handler<11>,
                             handler<12>, handler<13>, handler<14>, handler<15>};
  for (auto proc : procs) add_timer_handler(proc, TICKS_PER_MS);
  handler_calls.store(0);
  for (auto _ : state) benchmark::DoNotOptimize(timer_dispatch(TICKS_PER_MS));
  state.SetItemsProcessed(handler_calls.load());
  shutdown_corvane();
}
BENCHMARK(BM_DispatchSixteenDueHandlers);

void BM_KeyBufferInsertTake(benchmark::State &state) {
  corvane::key_ring_reset(corvane::key_buffer);
  int code = 0;
  int index = 0;
  for (auto _ : state) {
    corvane::key_ring_insert(corvane::key_buffer, 'a', KEY_A);
    corvane::key_ring_take(corvane::key_buffer, &code, &index);
    benchmark::DoNotOptimize(code);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeyBufferInsertTake);

// A producer thread types as fast as it can while the benchmark thread reads: the keys read per
// second across two threads.
void BM_KeyBufferAcrossThreads(benchmark::State &state) {
  corvane::key_ring_reset(corvane::key_buffer);
  std::atomic<bool> stop{false};
  std::thread producer([&] {
    while (!stop.load(std::memory_order_relaxed)) {
      corvane::key_ring_insert(corvane::key_buffer, 'a', KEY_A);
    }
  });
  long taken = 0;
  int code = 0;
  int index = 0;
  for (auto _ : state) {
    while (!corvane::key_ring_take(corvane::key_buffer, &code, &index)) {
    }
    ++taken;
  }
  stop.store(true);
  producer.join();
  state.SetItemsProcessed(taken);
}
BENCHMARK(BM_KeyBufferAcrossThreads)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
