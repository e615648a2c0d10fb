#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "vcl/Beep.h"
#include "vcl/FloatMode.h"

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

namespace {

TEST(FloatMode, StartupModeRoundsToNearestOnA64BitSignificandWithTrapsMasked)
{
#if defined(__i386__) || defined(__x86_64__)
    // Start from something else so that the call has to change it.
    fpu_control_t other = 0x027F;  // double precision
    _FPU_SETCW(other);
#endif
    std::fesetround(FE_UPWARD);
    SetStartupFloatMode();
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
#if defined(__i386__) || defined(__x86_64__)
    const unsigned word = X87ControlWord();
    EXPECT_EQ(word & 0x0300u, 0x0300u) << "precision control: 64-bit significand";
    EXPECT_EQ(word & 0x0C00u, 0x0000u) << "rounding control: nearest";
    EXPECT_EQ(word & 0x003Fu, 0x003Fu) << "all exceptions masked";
    // The extended significand keeps a difference that a 53-bit one loses.
    volatile long double one = 1.0L;
    volatile long double tiny = std::ldexp(1.0L, -60);
    volatile long double sum = one + tiny;
    EXPECT_EQ(sum - one, tiny);
#endif
    // Masked traps: a division by zero gives infinity instead of ending the process.
    volatile double zero = 0.0;
    EXPECT_TRUE(std::isinf(1.0 / zero));
    EXPECT_TRUE(std::isnan(zero / zero));
}

TEST(FloatMode, SaveAndRestoreBringBackTheMode)
{
    SetStartupFloatMode();
    const TFloatMode saved = SaveFloatMode();
    std::fesetround(FE_TOWARDZERO);
#if defined(__i386__) || defined(__x86_64__)
    fpu_control_t other = 0x027F;
    _FPU_SETCW(other);
#endif
    RestoreFloatMode(saved);
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_EQ(X87ControlWord() & 0x0F3Fu, 0x033Fu);
#endif
}

TEST(Beep, EachBeepIsCounted)
{
    const int before = BeepCount();
    MessageBeep(0);
    MessageBeep(0);
    EXPECT_EQ(BeepCount(), before + 2);
}

}  // namespace
