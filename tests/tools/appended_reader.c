/* Prints the bytes of an object of the data file appended to this program: the object's name
 * ("#name" or "#folder/name") is the first argument, the password (optional) the second. Exit
 * status 1 when the object cannot be opened. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include "corvane.h"

int main(int argc, char **argv) {
  if (argc < 2) return 2;
  /* The program finds its own file through the system driver. */
  if (startup_corvane(SYSTEM_AUTODETECT, &errno, atexit) != 0) return 1;
  if (argc > 2) set_packfile_password(argv[2]);
  packfile *f = open_packfile(argv[1], "r");
  if (f == NULL) return 1;
  int c;
  while ((c = packfile_getc(f)) != -1) putchar(c);
  close_packfile(f);
  return 0;
}
