// Running out of memory. The programs never throw, so an allocation that
// fails ends the process, with an exit code of its own: a build script that
// chains the programs must not take it for another outcome (the library's
// abort() ends with 3, which the programs give when another setup or
// uninstall still runs).
#pragma once

// The exit code of a program that ran out of memory.
const int ExitOutOfMemory = 6;

// Ends the process at once. The programs define it in util/UMemory.cpp; the
// pure library's own definition, which the linker takes only where the
// programs' is absent (tests, fuzz targets, tools), aborts, so that the
// sanitizers and the fuzzer report where it happened.
[[noreturn]] void EndOutOfMemory();
