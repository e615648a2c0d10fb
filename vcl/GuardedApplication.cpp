#include "vcl/GuardedApplication.h"

#include <exception>

#include "vcl/TApplication.h"

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Application->HandleException(std::current_exception());
        return false;
    }
}
