// The program's main function for the tests of the simulated Mac, and child processes that run
// the host.
#include "host_test_support.h"

#include "platform/macosx/macosx_host.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace macosx_testing {

std::function<int(int, char **)> application_main;

child_result run_in_child(const std::function<int()> &body) {
  child_result result;
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return result;
  const pid_t child = fork();
  if (child < 0) return result;
  if (child == 0) {
    close(pipe_ends[0]);
    dup2(pipe_ends[1], STDERR_FILENO);
    const int status = body();
    std::fflush(nullptr);
    _exit(status);
  }
  close(pipe_ends[1]);
  std::string output;
  char buffer[512];
  int status = 0;
  bool ended = false;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!ended && std::chrono::steady_clock::now() < give_up) {
    pollfd readable{pipe_ends[0], POLLIN, 0};
    if (poll(&readable, 1, 20) > 0) {
      const ssize_t got = read(pipe_ends[0], buffer, sizeof buffer);
      if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
    }
    ended = waitpid(child, &status, WNOHANG) == child;
  }
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  ssize_t got = 0;
  while ((got = read(pipe_ends[0], buffer, sizeof buffer)) > 0) {
    output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipe_ends[0]);
  result.error_output = output;
  if (WIFEXITED(status)) {
    result.exited = true;
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace macosx_testing

extern "C" int corvane_application_main(int argc, char **argv) {
  if (!macosx_testing::application_main) return 0;
  return macosx_testing::application_main(argc, argv);
}
