#include "vcl/TButton.h"

#include <QKeyEvent>

#include "vcl/TApplication.h"

TButton::TButton(QWidget* parent) : QPushButton(parent)
{
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] {
        Application->Dispatch([this] {
            if (OnClick)
                OnClick(this);
        });
    });
}

void TButton::SetCaption(const std::string& caption)
{
    setText(QString::fromStdString(caption));
}

void TButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (enter && held == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}
