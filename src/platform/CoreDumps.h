#pragma once

// A program that holds passwords in clear leaves no core file when it crashes or is killed:
// its memory is not dumped, and other programs of the user cannot read it.
namespace CoreDumps {

void forbid();

} // namespace CoreDumps
