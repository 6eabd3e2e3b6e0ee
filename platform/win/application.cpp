// The application object: hidden application window, message loop with the
// hook on queued messages, terminate request, ownership of the forms.
#include <windows.h>

#include <algorithm>

#include "platform/toolkit.h"
#include "platform/win/winInternal.h"

namespace tk {

TApplication Application;
TExceptionEvent OnException;

namespace {

const char kApplicationClass[] = "TApplication";
// Posted to itself: the activation is handed on once the window manager
// has finished activating the application window.
constexpr UINT kPassOnActivation = WM_APP + 1;

LRESULT CALLBACK ApplicationProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE: Application.Terminate(); return 0;
        case WM_ACTIVATE:
            // The zero-size window cannot take keys; the form that had them
            // gets them back.
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageA(window, kPassOnActivation, 0, 0);
            return 0;
        case kPassOnActivation: Application.PassOnActivation(); return 0;
        case WM_ACTIVATEAPP:
        case WM_SYSCOMMAND:
        default: return DefWindowProcA(window, msg, wParam, lParam);
    }
}

// The form whose window (or one of whose child windows) a message names.
TForm* FormOfWindow(HWND window) {
    if (window == nullptr) return nullptr;
    return TForm::FromHandle(GetAncestor(window, GA_ROOT));
}

}  // namespace

int32_t ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int32_t ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void HandleException(const std::string& what) {
    if (OnException) {
        OnException(what);
        return;
    }
    MessageBoxA(nullptr, what.c_str(), Application.Title().c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

HINSTANCE__* TApplication::Instance() const { return GetModuleHandleA(nullptr); }

void TApplication::Initialize() {
    win::RegisterWindowClass(kApplicationClass, ApplicationProc, 0, LoadIconA(Instance(), MAKEINTRESOURCEA(1)));
    // A zero-size top-level window: it owns the forms and carries the title.
    // It sits far off-screen, as some window systems still map a pixel for
    // an empty window, and that pixel must not land on the operator's displays.
    handle_ = CreateWindowExA(0, kApplicationClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, -32000, -32000, 0,
                              0, nullptr, nullptr, Instance(), nullptr);
    if (handle_ == nullptr) throw std::runtime_error(win::LastErrorText());
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_ != nullptr) SetWindowTextA(handle_, title_.c_str());
}

void TApplication::AddForm(TForm* form) {
    if (mainForm_ == nullptr) mainForm_ = form;
    forms_.push_back(form);
}

void TApplication::RemoveForm(TForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (mainForm_ == form) mainForm_ = nullptr;
}

void AdoptForm(std::unique_ptr<TForm> form) { Application.owned_.push_back(std::move(form)); }

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::PassOnActivation() {
    const auto reachable = [](HWND window) {
        return window != nullptr && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
    };
    HWND target = activeForm_;
    if (!reachable(target)) target = mainForm_ != nullptr ? mainForm_->Handle() : nullptr;
    if (!reachable(target)) {
        target = nullptr;
        for (TForm* form : forms_) {
            if (reachable(form->Handle())) target = form->Handle();
        }
    }
    if (target == nullptr || GetForegroundWindow() == target) return;
    SetForegroundWindow(target);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    HandleMessage(msg);
    return true;
}

void TApplication::HandleMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return;
    }
    TMessage queued;
    queued.Window = msg.hwnd;
    queued.Message = msg.message;
    queued.WParam = msg.wParam;
    queued.LParam = msg.lParam;
    queued.Time = msg.time;
    queued.PtX = msg.pt.x;
    queued.PtY = msg.pt.y;
    bool handled = false;
    if (OnMessage) {
        try {
            OnMessage(queued, handled);
        } catch (const std::exception& e) {
            HandleException(e.what());
        } catch (...) {
            HandleException("Unknown error");
        }
    }
    if (handled) return;
    // Only keys are dialog keys; the rest need no look for their form.
    const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (TForm* form = key ? FormOfWindow(msg.hwnd) : nullptr) {
        bool consumed = false;
        try {
            consumed = form->DialogKey(queued);
        } catch (const std::exception& e) {
            HandleException(e.what());
        }
        if (consumed) return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
        if (terminated_) break;
    }
}

void TApplication::HandleOneMessage() {
    // One blocking fetch, not a look, a wait and a second look: a running
    // band takes ten timer messages a second for as long as it runs.
    MSG msg;
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) return;
    if (got == 0) msg.message = WM_QUIT;
    HandleMessage(msg);
}

void TApplication::Run() {
    // Told to end already (say, while a start-up dialog was up): show nothing.
    if (mainForm_ == nullptr || terminated_) return;
    if (ShowMainForm) {
        try {
            mainForm_->Show();
        } catch (const std::exception& e) {
            HandleException(e.what());
        }
    }
    while (!terminated_) HandleOneMessage();
}

void TApplication::DestroyForms() {
    while (!owned_.empty()) {
        std::unique_ptr<TForm> form = std::move(owned_.back());
        owned_.pop_back();
        RemoveForm(form.get());
        form.reset();
    }
    mainForm_ = nullptr;
    if (handle_ != nullptr) {
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
}

}  // namespace tk
