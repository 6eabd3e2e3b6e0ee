// The application object: its hidden window, the message loop and the
// forms it owns; and where unhandled failures of handlers land.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form.h"

namespace tk {

// The primary monitor's size in pixels.
int32_t ScreenWidth();
int32_t ScreenHeight();

class TApplication {
public:
    void Initialize();
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    Hwnd Handle() const { return handle_; }
    HINSTANCE__* Instance() const;

    TForm* MainForm() const { return mainForm_; }
    bool ShowMainForm = true;
    bool Terminated() const { return terminated_; }
    TMessageEvent OnMessage;

    // Adds a created form; the first becomes the main form.
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);
    void Run();
    void Terminate();
    // Handles every message already waiting, without waiting for new ones.
    void ProcessMessages();
    // Waits for one message and handles it.
    void HandleOneMessage();
    // Destroys all forms, last created first.
    void DestroyForms();
    // A form became the active window; it gets the activation back when
    // the application window is brought forward.
    void NoteActiveForm(Hwnd form) { activeForm_ = form; }
    // Hands the application window's activation on to the form that was
    // active last (a modal box over the main form, say), or else to the main
    // form when it is shown.
    void PassOnActivation();
    const std::vector<TForm*>& Forms() const { return forms_; }

private:
    bool ProcessMessage();
    void HandleMessage(tagMSG& msg);
    Hwnd activeForm_ = nullptr;
    std::string title_;
    Hwnd handle_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::vector<TForm*> forms_;
    std::vector<std::unique_ptr<TForm>> owned_;
    friend void AdoptForm(std::unique_ptr<TForm> form);
};

extern TApplication Application;

// Hands ownership of a created form to the application.
void AdoptForm(std::unique_ptr<TForm> form);

// Form creation rule: the reference is set before the creation handler runs,
// and set back to empty when construction fails.
template <class T>
void CreateForm(T*& reference) {
    auto form = std::make_unique<T>();
    reference = form.get();
    try {
        Application.AddForm(form.get());
        form->Create();
    } catch (...) {
        Application.RemoveForm(form.get());
        reference = nullptr;
        throw;
    }
    AdoptForm(std::move(form));
}

// Unhandled failures inside handlers land here; the default shows the
// error in a message box and carries on.
using TExceptionEvent = std::function<void(const std::string& what)>;
extern TExceptionEvent OnException;
void HandleException(const std::string& what);

}  // namespace tk
