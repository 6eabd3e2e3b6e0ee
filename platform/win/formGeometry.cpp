// Forms: position, size, scaling and caption of the form window.
#include <windows.h>

#include <algorithm>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/formInternal.h"
#include "platform/win/winInternal.h"

namespace tk {

int32_t TForm::Scale(int32_t designPixels) const { return MulDiv(designPixels, dpi_, 96); }

namespace {
RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}
}  // namespace

int32_t TForm::Left() const { return WindowRectOf(handle_).left; }
int32_t TForm::Top() const { return WindowRectOf(handle_).top; }
int32_t TForm::Width() const {
    RECT r = WindowRectOf(handle_);
    return r.right - r.left;
}
int32_t TForm::Height() const {
    RECT r = WindowRectOf(handle_);
    return r.bottom - r.top;
}

void TForm::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    // Placed whole again after a move that found nothing of it to show.
    if (hiddenForNoPieces_ && showing_) {
        hiddenForNoPieces_ = false;
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return;
    }
    RECT r = WindowRectOf(handle_);
    if (r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height) return;
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::MoveTopMost(int32_t top) {
    if (!showing_ || hiddenForNoPieces_) {
        SetTop(top);
        if (showing_) BringToTopMost();
        return;
    }
    const RECT r = WindowRectOf(handle_);
    SetWindowPos(handle_, HWND_TOPMOST, r.left, top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TForm::SetLeft(int32_t left) { SetBounds(left, Top(), Width(), Height()); }
void TForm::SetTop(int32_t top) { SetBounds(Left(), top, Width(), Height()); }
void TForm::SetWidth(int32_t width) { SetBounds(Left(), Top(), width, Height()); }
void TForm::SetHeight(int32_t height) { SetBounds(Left(), Top(), Width(), height); }

int32_t TForm::ClientWidth() const {
    RECT client{};
    GetClientRect(handle_, &client);
    return client.right - client.left;
}

int32_t TForm::ClientHeight() const {
    RECT client{};
    GetClientRect(handle_, &client);
    return client.bottom - client.top;
}

void TForm::SetClientSize(int32_t width, int32_t height) {
    RECT rect{0, 0, width, height};
    DWORD style = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    SetWindowPos(handle_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TSize TForm::TextExtent(const std::string& text) const {
    HFONT font = font_ != nullptr ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    win::WindowDc dc(handle_);
    if (!dc) throw std::runtime_error(win::LastErrorText());
    win::SelectedObject selected(dc.Get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    SIZE size{};
    int count = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF));
    if (count > 0) GetTextExtentPoint32A(dc.Get(), text.data(), count, &size);
    return TSize{size.cx, metrics.tmHeight};
}

void TForm::SetCaption(const std::string& caption) { SetWindowTextA(handle_, caption.c_str()); }

std::string TForm::Caption() const { return win::WindowText(handle_); }

}  // namespace tk
