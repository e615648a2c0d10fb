#pragma once

#include <QApplication>

// The program's Qt application. Event handlers of the component layer catch their own exceptions where they
// are dispatched; this catches whatever still escapes an event, so that no exception unwinds through Qt's
// event loop, and hands it to the application's exception display.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
