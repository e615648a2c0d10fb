#include "vcl/ActiveMonitor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "vcl/TApplication.h"
#include "vcl/TForm.h"

QRect MonitorGeometryOf(const QWidget* window)
{
    if (!window)
        window = Application->MainForm();
    if (window && window->screen())
        return window->screen()->geometry();
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        return primary->geometry();
    return {};
}

QPoint PlaceOnMonitor(const QRect& monitor, const QSize& dialog, int verticalDivisor)
{
    return {monitor.left() + (monitor.width() - dialog.width()) / 2,
            monitor.top() + (monitor.height() - dialog.height()) / verticalDivisor};
}
