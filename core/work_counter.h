// Work counters of the builds that carry the tests. Routines whose cost hostile input could blow
// up (listing a configuration, filling a polygon) count their elementary steps where the data
// structures do the work -- in the hash and equality functions a set calls, in the copies of the
// elements a list moves -- so that tests can bound the work done on hostile input without timing
// it. The counting is compiled only when CORVANE_WORK_COUNTERS is defined (the build system does
// so when it builds the tests); otherwise it is nothing and the counters do not exist.
#ifndef CORVANE_CORE_WORK_COUNTER_H
#define CORVANE_CORE_WORK_COUNTER_H

#include <cstdint>

namespace corvane {

#if defined(CORVANE_WORK_COUNTERS)
inline constexpr bool counting_work = true;
#define CORVANE_COUNT_WORK(counter, steps) ((counter) += static_cast<uint64_t>(steps))
#define CORVANE_RESET_WORK(counter) ((counter) = 0)
#else
inline constexpr bool counting_work = false;
#define CORVANE_COUNT_WORK(counter, steps) static_cast<void>(0)
#define CORVANE_RESET_WORK(counter) static_cast<void>(0)
#endif

}  // namespace corvane

#endif  // CORVANE_CORE_WORK_COUNTER_H
