#pragma once

#include <cfenv>

// The floating-point environment the program computes in: round to nearest (ties to even) and, on x86, the x87
// unit working on a 64-bit significand. The hardware traps stay masked: an unmasked trap would end the process
// with SIGFPE, so the program's own arithmetic checks its operands and raises the matching exception instead.
struct TFloatMode {
    std::fenv_t environment;
};

void SetStartupFloatMode();
TFloatMode SaveFloatMode();
void RestoreFloatMode(const TFloatMode& mode);

// The x87 control word (0 where there is no x87 unit), for checking the mode.
unsigned X87ControlWord();
