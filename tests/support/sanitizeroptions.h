// Sanitizer settings of the test programs, shared with the programs they start (client, tool, publisher).
#pragma once

namespace tavrin::test {

// Puts options in front of the environment variable's own (later settings win), so the processes a
// test starts get the same settings as the test program, and a caller's explicit choice still counts.
void prependSanitizerOptions(const char *variable, const char *options);

} // namespace tavrin::test
