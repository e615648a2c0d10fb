#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

// Answers the modal windows that the code under test opens, in order. Each queued answer runs once, with the
// active modal widget, as soon as a modal widget it has not answered yet appears; the answer must close it
// (press a button, reject it, send a key). What an answer saw can be recorded by the answer itself.
class ModalAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget* modal)>;

    ModalAnswerer();
    ~ModalAnswerer() override;

    void Then(Answer answer);
    // Answers any modal window that appears when no queued answer is left, so that a window the test did not
    // expect fails the test instead of waiting for ever.
    void SetFallback(Answer answer) { fallback_ = std::move(answer); }

    int Answered() const { return answered_; }
    bool Done() const { return answers_.empty(); }

    // Common answers.
    static void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static void CloseByWindowSystem(QWidget* modal);

private:
    void Poll();

    QTimer timer_;
    std::deque<Answer> answers_;
    Answer fallback_;
    QPointer<QWidget> last_;
    int answered_ = 0;
};
