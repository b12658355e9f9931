// The process entry of a program built for Mac OS X: the public header renames the program's own
// main, so that this one makes the process a Cocoa application first. It is an object of its own
// so that it joins a program only when the program has no main of its own.
#include "platform/macosx/macosx_host.h"

int main(int argc, char **argv) { return corvane::macosx::run_application_host(argc, argv); }
