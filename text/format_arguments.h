// The arguments a format reads: lets a text that stands in for a format (a translation) be
// checked against the format it replaces before it reaches the formatter.
#ifndef CORVANE_TEXT_FORMAT_ARGUMENTS_H
#define CORVANE_TEXT_FORMAT_ARGUMENTS_H

namespace corvane {

// True when the two formats, read in the current encoding, make the formatter read the same
// arguments: the same number, in the same order, each of the same type ('*' widths and
// precisions count as int arguments; signed and unsigned integers of one size count as one type).
// A null format reads no arguments.
bool format_arguments_match(const char *format, const char *other) noexcept;

}  // namespace corvane

#endif
