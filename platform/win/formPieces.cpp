// Forms shown as several rectangles of one picture: the own window and extra
// top-most windows, so that what lies between them stays visible and live.
#include <windows.h>

#include <algorithm>

#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/winInternal.h"

namespace tk {

int64_t PieceWindowProc(TForm& form, Hwnd window, uint32_t msg, uint64_t wParam, int64_t lParam) {
    switch (msg) {
        case WM_PAINT: {
            win::PaintScope paint(window);
            for (const TForm::TPieceWindow& piece : form.pieces_) {
                if (piece.Handle == window) {
                    form.PaintWindowArea(paint.Dc(), win::FromRect(paint.Area()), piece.OriginX, piece.OriginY);
                }
            }
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // painting covers the whole client area
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_CLOSE:
            // A close request to any piece is one to the form (taskkill asks
            // every window of the process).
            PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
            return 0;
        default: return DefWindowProcA(window, msg, wParam, lParam);
    }
}

namespace {

const char kPieceClass[] = "TFormPiece";

LRESULT CALLBACK PieceProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
    return PieceWindowProc(*form, window, msg, wParam, lParam);
}

HWND CreatePieceWindow(HWND owner, TForm* form) {
    win::RegisterWindowClass(kPieceClass, PieceProc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kPieceClass, "", WS_POPUP, 0, 0,
                                  0, 0, owner, nullptr, Application.Instance(), form);
    if (window == nullptr) throw std::runtime_error(win::LastErrorText());
    return window;
}

}  // namespace

std::vector<Hwnd> TForm::Windows() const {
    std::vector<Hwnd> windows{handle_};
    for (const TPieceWindow& piece : pieces_) windows.push_back(piece.Handle);
    return windows;
}

void TForm::DestroyPieceWindows(size_t keep) {
    while (pieces_.size() > keep) {
        const HWND window = pieces_.back().Handle;
        pieces_.pop_back();
        if (IsWindow(window)) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
    }
}

std::vector<TForm::TWindowPlace> TForm::PiecePlaces(int32_t originX, int32_t originY,
                                                    const std::vector<TRect>& pieces) {
    const size_t extra = pieces.empty() ? 0 : pieces.size() - 1;
    DestroyPieceWindows(extra);
    while (pieces_.size() < extra) pieces_.push_back(TPieceWindow{CreatePieceWindow(handle_, this), 0, 0});

    std::vector<TWindowPlace> places;
    if (pieces.empty()) {
        // A window of no size would still show as a pixel: hidden instead, where it was.
        places.push_back(
            TWindowPlace{handle_, TRect{Left(), Top(), Left() + Width(), Top() + Height()}, false, showing_});
        hiddenForNoPieces_ = showing_;
        return places;
    }
    const bool shown = showing_ && !hiddenForNoPieces_;
    const int32_t nextOriginX = pieces[0].Left - originX, nextOriginY = pieces[0].Top - originY;
    const bool keeps = shown && nextOriginX == originX_ && nextOriginY == originY_ && pieces[0].Width() == Width() &&
                       pieces[0].Height() == Height();
    places.push_back(TWindowPlace{handle_, pieces[0], showing_ && hiddenForNoPieces_, false, keeps});
    hiddenForNoPieces_ = false;
    originX_ = nextOriginX;
    originY_ = nextOriginY;
    for (size_t i = 0; i < extra; ++i) {
        const TRect& r = pieces[i + 1];
        pieces_[i].OriginX = r.Left - originX;
        pieces_[i].OriginY = r.Top - originY;
        places.push_back(TWindowPlace{pieces_[i].Handle, r, showing_, false});
    }
    return places;
}

void TForm::MoveTogether(const std::vector<TWindowPlace>& places) {
    // A window that shows another part of its picture must not have its old
    // pixels copied to the new place: it is painted afresh from its origin.
    // Each is raised to the top of the top-most windows in the same move, as
    // some other top-most window may have come over it.
    const UINT flags = SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    const auto flagsOf = [&](const TWindowPlace& p) {
        return flags | (p.KeepsPicture ? 0 : SWP_NOCOPYBITS) | (p.Show ? SWP_SHOWWINDOW : 0) |
               (p.Hide ? SWP_HIDEWINDOW : 0);
    };
    HDWP deferred = BeginDeferWindowPos(static_cast<int>(places.size()));
    for (const TWindowPlace& p : places) {
        if (deferred == nullptr) break;
        deferred = DeferWindowPos(deferred, p.Window, HWND_TOPMOST, p.Rect.Left, p.Rect.Top, p.Rect.Width(),
                                  p.Rect.Height(), flagsOf(p));
    }
    if (deferred != nullptr && EndDeferWindowPos(deferred)) return;
    for (const TWindowPlace& p : places) {
        SetWindowPos(p.Window, HWND_TOPMOST, p.Rect.Left, p.Rect.Top, p.Rect.Width(), p.Rect.Height(), flagsOf(p));
    }
}

void TForm::ShowAsPieces(int32_t originX, int32_t originY, const std::vector<TRect>& pieces) {
    MoveTogether(PiecePlaces(originX, originY, pieces));
}

}  // namespace tk
