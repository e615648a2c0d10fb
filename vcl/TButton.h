#pragma once

#include <QPushButton>
#include <string>

#include "vcl/TObject.h"

// A push button. Neither a default nor a cancel button: Enter presses it only while it has the focus.
class TButton : public QPushButton {
public:
    explicit TButton(QWidget* parent = nullptr);

    std::string Caption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption);

    // Runs on every press (mouse, Enter, Space) through the application, which shows what the handler throws.
    TNotifyEvent OnClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
