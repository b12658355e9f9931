// What the tests of the simulated Mac share: the program's main function that the host calls,
// and running the host in a child process, since it owns the process once Cocoa runs.
#ifndef CORVANE_TESTS_PLATFORM_MACOSX_HOST_TEST_SUPPORT_H
#define CORVANE_TESTS_PLATFORM_MACOSX_HOST_TEST_SUPPORT_H

#include <functional>
#include <string>

namespace macosx_testing {

// What the host calls as the program's main function (corvane_application_main); by default it
// returns 0.
extern std::function<int(int, char **)> application_main;

// How a child process ended: its exit status or the signal that ended it, and what it wrote to
// standard error.
struct child_result {
  bool exited = false;
  int status = -1;
  int signal = 0;
  std::string error_output;
};

// Runs body in a child process whose standard error is captured; body's result is the child's
// exit status unless it ends the process itself. Gives up (killing the child) after 20 seconds.
child_result run_in_child(const std::function<int()> &body);

}  // namespace macosx_testing

#endif
