#include "vcl/ScreenDepth.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
int depth = 32;
}

int ScreenColorDepth()
{
    return depth;
}

void ReadScreenColorDepth()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        depth = screen->depth();
}

void SetScreenColorDepth(int bitsPerPixel)
{
    depth = bitsPerPixel;
}
