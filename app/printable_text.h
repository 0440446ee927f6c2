// Text from outside the program (file names, node names, bytes of a file) as it may be shown: in a
// message on a terminal, in a report, or inside XML or JSON. A name may hold any bytes but '/' and
// NUL: left raw, a newline in one would forge a line of the program's own, an escape sequence would
// drive the terminal, and invalid UTF-8 would make an SVG picture malformed XML.
#pragma once

#include <string>
#include <string_view>

// `text` with every byte that is not part of a printable, well-formed UTF-8 character written as
// \xNN: control bytes (newline, carriage return, escape, DEL, the C1 controls U+0080 to U+009F),
// invalid, overlong or truncated sequences, surrogates, and U+FFFE and U+FFFF (which XML forbids).
// What it gives back is printable, valid UTF-8 and one line, and unchanged by a second pass.
std::string PrintableText(std::string_view text);
