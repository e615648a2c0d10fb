#pragma once

#include <QByteArray>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TForm;

// The application object: its title, the forms it creates from their stored descriptions, the message loop,
// and the one place where an exception that leaves an event handler is shown.
class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Gives every window the program's icon (the resource ":/MAINICON", when the program carries one) and lets
    // the loop end only when the main form closes.
    void Initialize();

    // The name of the task-bar entry and the caption of every message box.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // Creates a form of class T, sets reference to it before its description is read, builds it from the
    // description stored as resource ":/<descriptionName>", still hidden. The first form becomes the main form.
    template <class T>
    void CreateForm(T*& reference, const char* descriptionName)
    {
        auto form = std::make_unique<T>();
        reference = form.get();
        T** slot = &reference;
        AdoptForm(std::move(form), [slot] { *slot = nullptr; }, LoadDescription(descriptionName));
    }

    TForm* MainForm() const { return mainForm_; }

    // Shows the main form, runs the message loop until it closes, then destroys every form.
    void Run();
    // Ends the message loop.
    void Terminate();
    // Destroys the forms and clears the references CreateForm set.
    void DestroyForms();

    // Runs an event handler; an exception that leaves it goes to HandleException and the caller goes on.
    void Dispatch(const std::function<void()>& handler);

    // The exception display: releases the mouse capture, ignores EAbort, shows any other exception's text
    // (by the full-stop rule of DisplayText) in the error box.
    void HandleException(std::exception_ptr error);

    // The message with a full stop added when it is not empty and its last byte, unsigned, lies above '.'.
    static std::string DisplayText(const std::string& message);

private:
    static QByteArray LoadDescription(const char* descriptionName);
    void AdoptForm(std::unique_ptr<TForm> form, std::function<void()> clearReference, const QByteArray& description);

    struct OwnedForm {
        std::unique_ptr<TForm> form;
        std::function<void()> clearReference;
    };

    std::string title_;
    std::vector<OwnedForm> forms_;
    TForm* mainForm_ = nullptr;
};

extern TApplication* const Application;
