// Gestalt in the stand-in: a small table of scripted answers and errors, by selector.
#include <CoreServices/CoreServices.h>
#include <standin/gestalt.h>

#include <map>
#include <mutex>

namespace {

struct answer {
  SInt32 value = 0;
  OSErr error = noErr;
};

std::mutex answers_lock;
std::map<OSType, answer> answers;

}  // namespace

extern "C" OSErr Gestalt(OSType selector, SInt32 *response) {
  const std::lock_guard<std::mutex> hold(answers_lock);
  const auto found = answers.find(selector);
  if (found == answers.end()) return gestaltUndefSelectorErr;
  if (found->second.error != noErr) return found->second.error;
  if (response) *response = found->second.value;
  return noErr;
}

extern "C" void standin_gestalt_set(OSType selector, SInt32 value) {
  const std::lock_guard<std::mutex> hold(answers_lock);
  answers[selector] = answer{value, noErr};
}

extern "C" void standin_gestalt_fail(OSType selector, OSErr error) {
  const std::lock_guard<std::mutex> hold(answers_lock);
  answers[selector] = answer{0, error};
}

extern "C" void standin_gestalt_reset(void) {
  const std::lock_guard<std::mutex> hold(answers_lock);
  answers.clear();
}
