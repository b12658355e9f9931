/* Compiled as C99 with warnings as errors: the umbrella header is valid C and the library links
 * into a C program. */
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <corvane.h>

static int exit_calls = 0;

static void count_exit(void) { ++exit_calls; }

int main(void) {
  if (startup_corvane(SYSTEM_NONE, &errno, NULL) != 0) {
    fprintf(stderr, "start-up with 'NONE' failed: %s\n", error_text);
    return 1;
  }
  if (current_system_driver != &system_none) {
    fprintf(stderr, "the 'NONE' driver is not current\n");
    return 1;
  }
  register_exit_func(count_exit, "count_exit");
  shutdown_corvane();
  if (exit_calls != 1 || current_system_driver != NULL) {
    fprintf(stderr, "shutdown did not run the exit function once\n");
    return 1;
  }
  if (strcmp(corvane_id_string, "") == 0) return 1;
  return 0;
}
