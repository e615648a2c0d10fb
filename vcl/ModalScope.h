#pragma once

#include <QPointer>
#include <QWidget>

// Remembers the active window and its focused control while a modal box or dialog is up, and gives them back
// when the scope ends: a modal window of its own leaves Qt's activation wherever the window system puts it.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // The window that was active when the scope began (null when none was).
    QWidget* ActiveWindow() const { return window_; }

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};
