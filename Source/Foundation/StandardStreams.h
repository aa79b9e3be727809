// The host's standard streams as the library uses them: the standard-output
// console and the text assert handler write to standard output, the assert
// handler reads its answer from standard input, and reports that have nowhere
// else to go are written to standard error.
//
// Standard output is written through std::cout's stream buffer, so the text
// keeps its place among the host's own output (printf and std::cout alike),
// without touching the stream: the host's flags, fill, width, locale and
// exception mask, and its error state, stay as they were, and no stream
// exception reaches the host. The buffer is asked for at every write, so a host
// that redirected std::cout is followed; one that set no buffer gets nothing.
//
// A reader that went away does not end the host: on Linux SIGPIPE is blocked
// on the writing thread during the write and a SIGPIPE the write raised is
// taken back, the host's own disposition untouched. A pipe nobody reads
// blocks the write, as it blocks printf.
//
// Windows: while standard output is a console and std::cout still writes to
// it, the text goes through the console's wide interface, so UTF-8 shows right
// whatever the console's code page.
#pragma once

#include <cstddef>
#include <string>

namespace Vexir {

// True when the whole text was handed on, and with `flush` also flushed.
bool WriteStandardOutput(const char* text, std::size_t length, bool flush);

// One diagnostic line (ending in a line feed) to standard error, which may
// be a pipe nobody reads: it goes only as far as the descriptor takes it at
// once (Linux), without SIGPIPE. A line that could not go is counted, and the
// next line that goes says how many were lost. True when the line went whole.
bool WriteStandardError(const std::string& line);

// Why no answer may be asked for on standard input, or null when one may: when
// std::cin reads a terminal this process may read (not in the background of
// it, where a read would stop the whole process), or a stream buffer the host
// put in its place (the host then chose where answers come from). A pipe or a
// file on standard input is the host's data, never read here.
const char* WhyNoAnswerCanBeAsked();

// One character through std::cin's buffer, as formatted input takes it,
// leaving the stream's state alone; -1 at the end of input.
int ReadStandardInputCharacter();

// What the platform files share.
bool WriteThroughCoutBuffer(const char* text, std::size_t length, bool flush);
// Null when standard input is a terminal this process may read; else why not.
const char* StandardInputTerminalProblem();
bool WriteStandardErrorNow(const char* text, std::size_t length);

}  // namespace Vexir
