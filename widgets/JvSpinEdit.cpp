#include "widgets/JvSpinEdit.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "platform/stdControls.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/winInternal.h"

namespace {

const char kSpinClass[] = "TJvSpinEdit";
constexpr UINT_PTR kRepeatTimer = 1;

void EnsureSpinClass() { win::RegisterWindowClass(kSpinClass, DefWindowProcA); }

bool EditBoxMessage(void* field, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    int64_t answer = 0;
    if (!static_cast<TJvSpinEdit*>(field)->EditMessage(msg, wParam, lParam, answer)) return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

void Line(HDC dc, int x0, int y0, int x1, int y1, int sysColor) {
    win::Pen pen(CreatePen(PS_SOLID, 1, GetSysColor(sysColor)));
    win::SelectedObject selected(dc, pen.Get());
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// A small solid arrow head centred on (cx, cy), pointing up or down.
void Arrow(HDC dc, int cx, int cy, int half, bool up, int sysColor) {
    HBRUSH brush = GetSysColorBrush(sysColor);
    int top = cy - half / 2;
    for (int row = 0; row <= half; ++row) {
        int width = up ? row : half - row;
        RECT r{cx - width, top + row, cx + width + 1, top + row + 1};
        FillRect(dc, &r, brush);
    }
}

}  // namespace

TJvSpinEdit::TJvSpinEdit(tk::TForm* owner, const std::string& name) : tk::TWinControl(owner, name) {}

TJvSpinEdit::~TJvSpinEdit() {
    if (handle_ != nullptr && IsWindow(handle_)) KillTimer(handle_, kRepeatTimer);
    // The box outlives this object by a moment while the window is torn
    // down; it must not call back into it.
    if (edit_ != nullptr && IsWindow(edit_)) win::Unsubclass(edit_, EditBoxMessage);
}

void TJvSpinEdit::Load(const TLayoutItem& item) {
    EnsureSpinClass();
    CreateStoredWindow(item, WS_EX_CLIENTEDGE, kSpinClass, "", WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    edit_ = CreateWindowExA(0, "EDIT", model_.Text().c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 1, 1,
                            handle_, nullptr, tk::Application.Instance(), nullptr);
    if (edit_ == nullptr) throw std::runtime_error(win::LastErrorText());
    if (Owner()->Font() != nullptr) {
        SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(Owner()->Font()), FALSE);
    }
    SendMessageA(edit_, EM_LIMITTEXT, static_cast<WPARAM>(TSpinModel::MaxLength), 0);
    // The same inset as a bordered edit box's text.
    const int32_t margin = Owner()->Scale(2);
    SendMessageA(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
    win::Subclass(edit_, EditBoxMessage, this);
    PlaceEdit();
    if (item.Find("value") != nullptr) SetValue(item.Int("value", 1));
    OnChange = Owner()->NotifyHandler(item.Text("onChange", ""));
    OnKeyPress = Owner()->KeyHandler(item.Text("onKeyPress", ""));
}

void TJvSpinEdit::MarkShown(bool force) {
    // Until the field is first on screen its window counts as not yet made:
    // values written then are not changes.
    if (shown_) return;
    if (force || IsWindowVisible(handle_)) {
        shown_ = true;
        model_.SetWindowExists(true);
    }
}

void TJvSpinEdit::Report(bool changed) {
    if (changed && OnChange) OnChange(this);
}

void TJvSpinEdit::SetValue(double value) {
    MarkShown(false);
    bool changed = model_.SetValue(value);
    ShowText(-1);
    Report(changed);
}

void TJvSpinEdit::ShowText(int32_t caret) {
    if (edit_ == nullptr) return;
    const std::string& text = model_.Text();
    if (win::WindowText(edit_) == text) return;
    updating_ = true;
    SetWindowTextA(edit_, text.c_str());
    updating_ = false;
    if (caret < 0) {
        SendMessageA(edit_, EM_SETSEL, 0, -1);
    } else {
        const int32_t at = TSpinModel::CaretAfterCheck(caret, text);
        SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(at), at);
    }
}

void TJvSpinEdit::TextEdited() {
    MarkShown(true);
    DWORD selectionEnd = 0;
    SendMessageA(edit_, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selectionEnd));
    bool changed = model_.BoxEdited(win::WindowText(edit_));
    ShowText(static_cast<int32_t>(selectionEnd));
    Report(changed);
}

void TJvSpinEdit::Step(bool up) {
    MarkShown(true);
    std::string before = model_.Text();
    bool changed = up ? model_.StepUp() : model_.StepDown();
    if (model_.Text() != before) {
        ShowText(-1);
        SendMessageA(edit_, EM_SETMODIFY, TRUE, 0);
    }
    Report(changed);
}

TRect TJvSpinEdit::ButtonRect() const {
    RECT client{};
    GetClientRect(handle_, &client);
    int32_t side = client.bottom;
    return TRect{std::max<int32_t>(0, client.right - side), 0, client.right, client.bottom};
}

void TJvSpinEdit::PlaceEdit() {
    if (edit_ == nullptr) return;
    TRect button = ButtonRect();
    SetWindowPos(edit_, nullptr, 0, 0, button.Left, button.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

TSpinPart TJvSpinEdit::PartAt(int32_t x, int32_t y) const {
    TRect b = ButtonRect();
    return SpinPartAt(x - b.Left, y - b.Top, b.Width(), b.Height());
}

void TJvSpinEdit::PressButton(int32_t x, int32_t y) {
    TSpinPart part = PartAt(x, y);
    if (part == TSpinPart::None) return;
    MarkShown(true);
    if (GetFocus() != edit_) ::SetFocus(edit_);
    SetCapture(handle_);
    repeat_.Press(part);
    RECT r = win::ToRect(ButtonRect());
    InvalidateRect(handle_, &r, FALSE);
    Step(part == TSpinPart::Upper);
    if (repeat_.Pressed() != TSpinPart::None)
        SetTimer(handle_, kRepeatTimer, static_cast<UINT>(repeat_.NextDelay()), nullptr);
}

void TJvSpinEdit::ReleaseButton() {
    if (repeat_.Pressed() == TSpinPart::None) return;
    repeat_.Release();
    KillTimer(handle_, kRepeatTimer);
    if (GetCapture() == handle_) ReleaseCapture();
    RECT r = win::ToRect(ButtonRect());
    InvalidateRect(handle_, &r, FALSE);
}

void TJvSpinEdit::PaintButton(tk::Hdc dc) {
    TRect b = ButtonRect();
    if (b.Width() <= 0 || b.Height() <= 0) return;
    const int x0 = b.Left;
    const int x1 = b.Right - 1;
    const int y1 = b.Bottom - 1;
    const int w = b.Width();
    const int s = b.Height();
    RECT square = win::ToRect(b);
    FillRect(dc, &square, GetSysColorBrush(COLOR_BTNFACE));

    const bool active = repeat_.Pressed() != TSpinPart::None && !repeat_.Paused();
    const bool upPressed = active && repeat_.Pressed() == TSpinPart::Upper;
    const bool downPressed = active && repeat_.Pressed() == TSpinPart::Lower;

    // The pressed part is shaded between face and shadow.
    if (upPressed || downPressed) {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
        win::Brush shade(
            CreateSolidBrush(RGB((GetRValue(face) + GetRValue(shadow)) / 2, (GetGValue(face) + GetGValue(shadow)) / 2,
                                 (GetBValue(face) + GetBValue(shadow)) / 2)));
        POINT corners[3];
        if (upPressed) {
            corners[0] = POINT{x0, 0};
            corners[1] = POINT{x1 + 1, 0};
            corners[2] = POINT{x0, y1 + 1};
        } else {
            corners[0] = POINT{x1 + 1, 0};
            corners[1] = POINT{x1 + 1, y1 + 1};
            corners[2] = POINT{x0, y1 + 1};
        }
        win::SelectedObject brush(dc, shade.Get());
        win::SelectedObject pen(dc, GetStockObject(NULL_PEN));
        Polygon(dc, corners, 3);
    }

    // Upper part: the triangle above the diagonal from bottom-left to top-right.
    const int upLight = upPressed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
    const int upDark = upPressed ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW;
    Line(dc, x0, 0, x1 + 1, 0, upLight);
    Line(dc, x0, 0, x0, y1 + 1, upLight);
    Line(dc, x0, y1 - 1, x1, 0, upDark);
    // Lower part: the triangle below it.
    const int downLight = downPressed ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT;
    const int downDark = downPressed ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
    Line(dc, x0 + 1, y1, x1 + 1, 0, downLight);
    Line(dc, x1, 0, x1, y1 + 1, downDark);
    Line(dc, x0, y1, x1 + 1, y1, downDark);
    if (!downPressed) Line(dc, x1 - 1, 1, x1 - 1, y1, COLOR_BTNSHADOW);

    const bool enabled = IsWindowEnabled(handle_) != FALSE;
    const int mark = enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
    const int half = std::max(2, (s + 2) / 6);
    const int upShift = upPressed ? 1 : 0;
    const int downShift = downPressed ? 1 : 0;
    Arrow(dc, x0 + w / 4 + 1 + upShift, s / 4 + upShift, half, true, mark);
    Arrow(dc, x0 + w * 3 / 4 + downShift, s * 3 / 4 + downShift, half, false, mark);
}

bool TJvSpinEdit::WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) {
    const int32_t x = GET_X_LPARAM(lParam);
    const int32_t y = GET_Y_LPARAM(lParam);
    switch (msg) {
        case WM_SETFOCUS:
            if (edit_ != nullptr) ::SetFocus(edit_);
            result = 0;
            return true;
        case WM_SIZE: PlaceEdit(); return false;
        case WM_ERASEBKGND: result = 1; return true;
        case WM_PAINT: {
            win::PaintScope paint(handle_);
            PaintButton(paint.Dc());
            result = 0;
            return true;
        }
        case WM_PRINTCLIENT:
            PaintButton(reinterpret_cast<HDC>(wParam));
            result = 0;
            return true;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == edit_ && HIWORD(wParam) == EN_CHANGE && !updating_) TextEdited();
            result = 0;
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            PressButton(x, y);
            result = 0;
            return true;
        case WM_MOUSEMOVE:
            if (repeat_.Pressed() != TSpinPart::None) {
                const bool wasPaused = repeat_.Paused();
                repeat_.PointerOver(PartAt(x, y));
                if (wasPaused != repeat_.Paused()) {
                    RECT r = win::ToRect(ButtonRect());
                    InvalidateRect(handle_, &r, FALSE);
                }
            }
            result = 0;
            return true;
        case WM_LBUTTONUP:
            ReleaseButton();
            result = 0;
            return true;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != handle_) ReleaseButton();
            result = 0;
            return true;
        case WM_TIMER:
            if (wParam != kRepeatTimer) return false;
            if (repeat_.Pressed() == TSpinPart::None) {
                KillTimer(handle_, kRepeatTimer);
            } else {
                TSpinPart part = repeat_.Timer();
                SetTimer(handle_, kRepeatTimer, static_cast<UINT>(repeat_.NextDelay()), nullptr);
                if (part != TSpinPart::None) Step(part == TSpinPart::Upper);
            }
            result = 0;
            return true;
        case WM_MOUSEWHEEL:
            Step(GET_WHEEL_DELTA_WPARAM(wParam) > 0);
            result = 0;
            return true;
        case WM_ENABLE:
            if (edit_ != nullptr) EnableWindow(edit_, wParam != 0 ? TRUE : FALSE);
            InvalidateRect(handle_, nullptr, FALSE);
            return false;
        default: return tk::TWinControl::WindowMessage(msg, wParam, lParam, result);
    }
}

bool TJvSpinEdit::EditMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) {
    switch (msg) {
        case WM_CHAR: {
            char key = static_cast<char>(wParam);
            if (!TSpinModel::AcceptChar(key)) {
                MessageBeep(0);
                result = 0;
                return true;
            }
            if (OnKeyPress) {
                OnKeyPress(this, key);
                if (key == 0) {
                    result = 0;
                    return true;
                }
            }
            if (key == '\r' || key == 27) {
                tk::TMessage dialogKey;
                dialogKey.Window = edit_;
                dialogKey.Message = WM_CHAR;
                dialogKey.WParam = static_cast<unsigned char>(key);
                Owner()->DialogKey(dialogKey);
                if (key == '\r') {
                    result = 0;
                    return true;
                }
            }
            result = win::CallOwnProcedure(edit_, WM_CHAR, static_cast<unsigned char>(key), lParam);
            return true;
        }
        case WM_KEYDOWN:
            if (wParam == VK_UP || wParam == VK_DOWN) {
                Step(wParam == VK_UP);
                result = 0;
                return true;
            }
            return false;
        case WM_MOUSEWHEEL:
            Step(GET_WHEEL_DELTA_WPARAM(wParam) > 0);
            result = 0;
            return true;
        case WM_LBUTTONDOWN:
            if (GetFocus() != edit_) {
                // A click into the box places the caret instead of selecting.
                clickEntering_ = true;
                result = win::CallOwnProcedure(edit_, msg, wParam, lParam);
                clickEntering_ = false;
                return true;
            }
            return false;
        case WM_SETFOCUS:
            MarkShown(true);
            result = win::CallOwnProcedure(edit_, msg, wParam, lParam);
            if (!clickEntering_) SendMessageA(edit_, EM_SETSEL, 0, -1);
            return true;
        case WM_KILLFOCUS: {
            result = win::CallOwnProcedure(edit_, msg, wParam, lParam);
            // Leaving writes the value again; the change check already keeps
            // it within the bounds, so only an out-of-range text is touched.
            double value = model_.Value();
            if (value < TSpinModel::MinValue || value > TSpinModel::MaxValue) {
                bool changed = model_.Leave();
                ShowText(0);
                Report(changed);
            }
            return true;
        }
        default: return false;
    }
}

void RegisterJvSpinEdit() {
    tk::RegisterComponentKind("spinEdit", [](tk::TForm* owner, const TLayoutItem& item) -> tk::TComponent* {
        return new TJvSpinEdit(owner, item.Name);
    });
}
