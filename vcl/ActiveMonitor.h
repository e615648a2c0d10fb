#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The geometry of the monitor that dialogs are placed on: that of the given window, else that of the
// application's main window, else the primary screen's.
QRect MonitorGeometryOf(const QWidget* window);

// Centred horizontally on the monitor; the top edge at the given fraction of the free height. Integer
// division truncates toward zero, also when the dialog is larger than the monitor.
QPoint PlaceOnMonitor(const QRect& monitor, const QSize& dialog, int verticalDivisor);
