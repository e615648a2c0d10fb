#include "vcl/FloatMode.h"

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#define TOLVANER_HAS_X87 1
#endif

void SetStartupFloatMode()
{
    std::fesetround(FE_TONEAREST);
#ifdef TOLVANER_HAS_X87
    fpu_control_t word;
    _FPU_GETCW(word);
    word = static_cast<fpu_control_t>((word & ~(_FPU_EXTENDED | _FPU_DOUBLE | _FPU_SINGLE)) | _FPU_EXTENDED);
    word = static_cast<fpu_control_t>(word | _FPU_MASK_IM | _FPU_MASK_DM | _FPU_MASK_ZM | _FPU_MASK_OM |
                                      _FPU_MASK_UM | _FPU_MASK_PM);
    _FPU_SETCW(word);
#endif
    std::feclearexcept(FE_ALL_EXCEPT);
}

TFloatMode SaveFloatMode()
{
    TFloatMode mode;
    std::fegetenv(&mode.environment);
    return mode;
}

void RestoreFloatMode(const TFloatMode& mode)
{
    std::fesetenv(&mode.environment);
}

unsigned X87ControlWord()
{
#ifdef TOLVANER_HAS_X87
    fpu_control_t word;
    _FPU_GETCW(word);
    return static_cast<unsigned>(word) & 0xffffu;
#else
    return 0;
#endif
}
