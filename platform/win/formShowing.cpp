// Forms: showing, hiding, closing, modal showing and repainting requests.
#include <windows.h>

#include <algorithm>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/formInternal.h"
#include "platform/win/winInternal.h"

namespace tk {

void TForm::Show() {
    if (showing_) {
        if (activates_) SetForegroundWindow(handle_);
        return;
    }
    showing_ = true;
    if (OnShow) OnShow(nullptr);
    // The show handler's first move may have found nothing of the picture to show.
    if (!hiddenForNoPieces_) ShowWindow(handle_, activates_ ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
    for (const TPieceWindow& piece : pieces_) ShowWindow(piece.Handle, SW_SHOWNOACTIVATE);
}

void TForm::Hide() {
    if (!showing_) return;
    for (const TPieceWindow& piece : pieces_) ShowWindow(piece.Handle, SW_HIDE);
    ShowWindow(handle_, SW_HIDE);
    hiddenForNoPieces_ = false;
    showing_ = false;
    if (OnHide) OnHide(nullptr);
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
    } else if (Application.MainForm() == this) {
        Application.Terminate();
    } else {
        Hide();
    }
}

int32_t TForm::ShowModal() {
    // Disable the program's other windows while this one is up.
    std::vector<HWND> disabled;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
            auto* list = reinterpret_cast<std::vector<HWND>*>(context);
            if (IsWindowVisible(window) && IsWindowEnabled(window)) list->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    disabled.erase(std::remove(disabled.begin(), disabled.end(), handle_), disabled.end());
    for (HWND window : disabled) EnableWindow(window, FALSE);
    HWND previousActive = GetActiveWindow();
    modal_ = true;
    modalResult_ = mrNone;
    try {
        Show();
        if (ControlOf(winControls_, GetFocus()) == nullptr) FocusFirst();
        while (modalResult_ == mrNone) {
            if (Application.Terminated()) {
                modalResult_ = mrCancel;
                break;
            }
            Application.HandleOneMessage();
        }
    } catch (...) {
        modal_ = false;
        for (HWND window : disabled) EnableWindow(window, TRUE);
        throw;
    }
    modal_ = false;
    for (HWND window : disabled) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    Hide();
    if (previousActive != nullptr && IsWindow(previousActive)) SetActiveWindow(previousActive);
    if (Application.Terminated()) PostQuitMessage(0);  // let the outer loop end too
    return modalResult_;
}

void TForm::Invalidate() {
    for (Hwnd window : Windows()) ::InvalidateRect(window, nullptr, FALSE);
}

void TForm::InvalidateRect(const TRect& rect) {
    RECT r{rect.Left - originX_, rect.Top - originY_, rect.Right - originX_, rect.Bottom - originY_};
    ::InvalidateRect(handle_, &r, FALSE);
    for (const TPieceWindow& piece : pieces_) {
        RECT p{rect.Left - piece.OriginX, rect.Top - piece.OriginY, rect.Right - piece.OriginX,
               rect.Bottom - piece.OriginY};
        ::InvalidateRect(piece.Handle, &p, FALSE);
    }
}

void TForm::Update() {
    for (Hwnd window : Windows()) UpdateWindow(window);
}

void TForm::BringToTopMost() {
    for (Hwnd window : Windows()) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
    }
}

}  // namespace tk
