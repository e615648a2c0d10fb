#include "bench/StartupTimer.h"

StartupTiming MeasureStartup(const std::string&, const std::string&, int)
{
    StartupTiming timing;
    timing.note = "not measured: the benchmark was built without Xlib (libx11-dev)";
    return timing;
}
