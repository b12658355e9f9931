// The CPU description of a Mac OS X build, filled at start-up from the local architecture the
// system reports.
#include <mach-o/arch.h>

#include "corvane/system.h"
#include "corvane/text.h"

namespace {

// Both instruction-set feature bits of the Mac's description.
constexpr int mac_cpu_features = 3;

}  // namespace

extern "C" {

char cpu_arch_name[32] = "";
int cpu_type = 0;
int cpu_subtype = 0;
int cpu_feature_bits = 0;

void detect_cpu(void) noexcept {
  const NXArchInfo *arch = NXGetLocalArchInfo();
  cpu_type = arch != nullptr ? arch->cputype : 0;
  cpu_subtype = arch != nullptr ? arch->cpusubtype : 0;
  cpu_feature_bits = mac_cpu_features;
  const char *name = arch != nullptr && arch->name != nullptr ? arch->name : "";
  convert_text_into(name, ENCODING_ASCII8, cpu_arch_name, ENCODING_CURRENT,
                    static_cast<int>(sizeof cpu_arch_name));
}

}  // extern "C"
