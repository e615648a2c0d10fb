#include "ModalAnswerer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

ModalAnswerer::ModalAnswerer()
{
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start();
}

ModalAnswerer::~ModalAnswerer() = default;

void ModalAnswerer::Then(Answer answer)
{
    answers_.push_back(std::move(answer));
}

void ModalAnswerer::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || (answers_.empty() && !fallback_))
        return;
    // The window just answered may still be on its way out; a new modal window is a new object.
    if (modal == last_)
        return;
    last_ = modal;
    if (answers_.empty()) {
        fallback_(modal);
        return;
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    ++answered_;
    answer(modal);
}

void ModalAnswerer::PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

void ModalAnswerer::CloseByWindowSystem(QWidget* modal)
{
    // The close box reaches the widget through its window, as a close request the widget may refuse.
    if (QWindow* window = modal->windowHandle())
        window->close();
    else
        modal->close();
}
