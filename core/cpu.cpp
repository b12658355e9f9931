// The CPU description filled at start-up: the architecture name the kernel reports and the
// instruction-set features the drawing code can use.
#include <sys/utsname.h>

#include "corvane/system.h"
#include "corvane/text.h"

namespace {

// cpu_type follows the numbering of Mach's CPU types, in which the x86 family is 7.
constexpr int cpu_type_x86 = 7;

// Bits of cpu_feature_bits.
constexpr int cpu_feature_sse2 = 1;
constexpr int cpu_feature_avx2 = 2;

}  // namespace

extern "C" {

char cpu_arch_name[32] = "";
int cpu_type = 0;
int cpu_subtype = 0;
int cpu_feature_bits = 0;

void detect_cpu(void) noexcept {
  struct utsname names {};
  const char *arch = (uname(&names) == 0) ? names.machine : "unknown";
  convert_text_into(arch, ENCODING_ASCII8, cpu_arch_name, ENCODING_CURRENT,
                    static_cast<int>(sizeof cpu_arch_name));
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  cpu_type = cpu_type_x86;
  cpu_subtype = 0;
  cpu_feature_bits = (__builtin_cpu_supports("sse2") ? cpu_feature_sse2 : 0) |
                     (__builtin_cpu_supports("avx2") ? cpu_feature_avx2 : 0);
#else
  cpu_type = 0;
  cpu_subtype = 0;
  cpu_feature_bits = 0;
#endif
}

}  // extern "C"
