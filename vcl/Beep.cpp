#include "vcl/Beep.h"

#include <QApplication>

namespace {
int beeps = 0;
}

void MessageBeep(unsigned)
{
    QApplication::beep();
    ++beeps;
}

int BeepCount()
{
    return beeps;
}
