#include "vcl/ModalScope.h"

#include <QApplication>

ModalScope::ModalScope() : window_(QApplication::activeWindow())
{
    if (window_)
        focus_ = window_->focusWidget();
}

ModalScope::~ModalScope()
{
    if (!window_ || !window_->isVisible())
        return;
    window_->activateWindow();
    if (focus_ && focus_->isVisible() && focus_->isEnabled())
        focus_->setFocus(Qt::ActiveWindowFocusReason);
}
