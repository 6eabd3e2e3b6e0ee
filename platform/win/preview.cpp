#include "platform/preview.h"

#include <windows.h>

#include "platform/win/winInternal.h"

namespace platform {

TLocalClock LocalClockNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return TLocalClock{now.wSecond, now.wMilliseconds};
}

void WaitForMessages(uint32_t timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

THostSurface::THostSurface(tk::Hwnd host) : host_(host), dc_(GetDC(host)) {
    if (dc_ != nullptr) brush_ = GetStockObject(BLACK_BRUSH);
}

THostSurface::~THostSurface() {
    if (dc_ != nullptr) ReleaseDC(host_, dc_);
}

void THostSurface::FillBlack(const TRect& rect) {
    RECT r = win::ToRect(rect);
    FillRect(dc_, &r, static_cast<HBRUSH>(brush_));
}

void THostSurface::DrawPicture(const tk::TBitmapPicture& picture, const TRect& rect) {
    const int saved = SaveDC(dc_);
    IntersectClipRect(dc_, rect.Left, rect.Top, rect.Right, rect.Bottom);
    picture.Draw(dc_, rect, true);
    if (saved != 0) RestoreDC(dc_, saved);
}

}  // namespace platform
