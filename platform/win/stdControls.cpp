#include "platform/stdControls.h"

#include <windows.h>

#include <algorithm>

#include "platform/win/gdiHandles.h"
#include "platform/win/winInternal.h"

namespace tk {

namespace {

const char kLabelClass[] = "TKestraneLabel";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

void EnsureLabelClass() { win::RegisterWindowClass(kLabelClass, DefWindowProcA); }

// The container window a stored control goes on: the form (group boxes are
// siblings drawn beneath the controls they frame).
HWND ContainerOf(TForm* form) { return form->Handle(); }

int32_t ContainerTabOrderOf(TForm* form, const TLayoutItem& item) {
    if (item.Parent.empty()) return -1;
    if (auto* box = dynamic_cast<TWinControl*>(form->FindComponent(item.Parent))) return box->TabOrder();
    return -1;
}

}  // namespace

TRect ControlBoundsInForm(TForm* form, const TLayoutItem& item) {
    int32_t left = item.Int("left", 0);
    int32_t top = item.Int("top", 0);
    // Stored positions of a contained control are relative to its box.
    if (!item.Parent.empty()) {
        if (auto* box = dynamic_cast<TGroupBox*>(form->FindComponent(item.Parent))) {
            left += box->LeftInForm();
            top += box->TopInForm();
        }
    }
    TRect r;
    r.Left = form->Scale(left);
    r.Top = form->Scale(top);
    r.Right = r.Left + form->Scale(item.Int("width", 0));
    r.Bottom = r.Top + form->Scale(item.Int("height", 0));
    return r;
}

void StackStoredControl(TForm* form, const TLayoutItem& item, TWinControl* control) {
    // New child windows go to the bottom of the z-order, under those made before.
    const bool label = dynamic_cast<TLabel*>(control) != nullptr;
    SetWindowPos(control->Handle(), label ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (item.Parent.empty()) return;
    if (auto* box = dynamic_cast<TGroupBox*>(form->FindComponent(item.Parent))) {
        SetWindowPos(box->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TWinControl::CreateStoredWindow(const TLayoutItem& item, uint32_t exStyle, const char* className,
                                     const std::string& text, uint32_t style, int32_t extraHeight) {
    ContainerTabOrder = ContainerTabOrderOf(Owner(), item);
    const TRect b = ControlBoundsInForm(Owner(), item);
    tabOrder_ = item.Int("tabOrder", 0);
    tabStop_ = true;
    HWND handle = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, b.Left,
                                  b.Top, b.Width(), b.Height() + extraHeight, ContainerOf(Owner()), nullptr,
                                  Application.Instance(), nullptr);
    AttachHandle(handle);
    StackStoredControl(Owner(), item, this);
}

TWinControl* FocusedControl(const TForm* form) {
    HWND focus = GetFocus();
    if (focus == nullptr) return nullptr;
    for (TWinControl* control : form->WinControls()) {
        if (control->Handle() == focus || IsChild(control->Handle(), focus)) return control;
    }
    return nullptr;
}

void FocusForm(TForm* form) { SetFocus(form->Handle()); }

// ---- TLabel ----

TLabel::TLabel(TForm* owner, const std::string& name) : TWinControl(owner, name) {}

TLabel::~TLabel() {
    if (ownFont_ != nullptr) DeleteObject(ownFont_);
}

void TLabel::Load(const TLayoutItem& item) {
    TRect bounds = ControlBoundsInForm(Owner(), item);
    transparent_ = item.Bool("transparent", false);
    handCursor_ = item.Text("cursor", "") == "hand";
    std::string style = item.Text("fontStyle", "");
    Create(ContainerOf(Owner()), bounds.Left, bounds.Top, item.Text("caption", ""));
    StackStoredControl(Owner(), item, this);
    SetFontStyle(style.find("bold") != std::string::npos, style.find("underline") != std::string::npos);
    OnClick = Owner()->NotifyHandler(item.Text("onClick", ""));
    if (!item.Bool("visible", true)) SetVisible(false);
}

void TLabel::Create(Hwnd parent, int32_t left, int32_t top, const std::string& caption) {
    EnsureLabelClass();
    caption_ = caption;
    // The window text mirrors the caption, for accessibility tools.
    HWND handle = CreateWindowExA(0, kLabelClass, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top,
                                  1, 1, parent, nullptr, Application.Instance(), nullptr);
    AttachHandle(handle);
    Measure();
}

void TLabel::SetFontStyle(bool bold, bool underline) {
    if (!bold && !underline) return;
    LOGFONTA logFont{};
    HFONT base = Owner()->Font() != nullptr ? Owner()->Font() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectA(base, sizeof(logFont), &logFont);
    if (bold) logFont.lfWeight = FW_BOLD;
    if (underline) logFont.lfUnderline = TRUE;
    if (ownFont_ != nullptr) DeleteObject(ownFont_);
    ownFont_ = CreateFontIndirectA(&logFont);
    Measure();
}

void TLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    SetWindowTextA(handle_, caption_.c_str());
    Measure();
    InvalidateRect(handle_, nullptr, TRUE);
}

void TLabel::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    autoSize_ = false;
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::MoveTo(int32_t left, int32_t top) {
    SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE); }

void TLabel::Measure() {
    HFONT font = ownFont_ != nullptr ? ownFont_ : Owner()->Font();
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    win::WindowDc dc(handle_);
    win::SelectedObject selected(dc.Get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    int32_t width = 0;
    // Room the glyphs need beyond the text's advance (bold faces reach past it).
    int32_t overhang = 0;
    std::vector<std::string> lines = SplitLines(caption_);
    for (const std::string& line : lines) {
        SIZE size{};
        GetTextExtentPoint32A(dc.Get(), line.c_str(), static_cast<int>(line.size()), &size);
        width = std::max<int32_t>(width, size.cx);
        ABC abc{};
        const UINT last = line.empty() ? 0u : static_cast<unsigned char>(line.back());
        if (last != 0 && GetCharABCWidthsA(dc.Get(), last, last, &abc) && abc.abcC < 0) {
            overhang = std::max<int32_t>(overhang, -abc.abcC);
        }
    }
    textWidth_ = width;
    textHeight_ = metrics.tmHeight * static_cast<int32_t>(lines.size());
    if (autoSize_) {
        // Rasterised glyphs may reach a pixel or two past the measured
        // advance; the spare room is invisible.
        const int32_t pad = overhang + metrics.tmOverhang + std::max<int32_t>(1, metrics.tmAveCharWidth / 2);
        SetWindowPos(handle_, nullptr, 0, 0, textWidth_ + pad, textHeight_, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
}

void TLabel::PaintLabel(Hdc dc) {
    RECT client{};
    GetClientRect(handle_, &client);
    if (transparent_) {
        // Let the form paint what lies behind the label first.
        HWND parent = GetParent(handle_);
        POINT origin{0, 0};
        MapWindowPoints(handle_, parent, &origin, 1);
        POINT previous{};
        SetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
        SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    HFONT font = ownFont_ != nullptr ? ownFont_ : Owner()->Font();
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    win::SelectedObject selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(handle_) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    std::vector<std::string> lines = SplitLines(caption_);
    int32_t y = 0;
    if (centreVertically_) y = (client.bottom - textHeight_) / 2;
    for (const std::string& line : lines) {
        TextOutA(dc, 0, y, line.c_str(), static_cast<int>(line.size()));
        y += metrics.tmHeight;
    }
}

bool TLabel::WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) {
    switch (msg) {
        case WM_PAINT: {
            win::PaintScope paint(handle_);
            PaintLabel(paint.Dc());
            result = 0;
            return true;
        }
        case WM_PRINTCLIENT:
            PaintLabel(reinterpret_cast<HDC>(wParam));
            result = 0;
            return true;
        case WM_ERASEBKGND: result = 1; return true;
        case WM_SETCURSOR:
            if (handCursor_) {
                SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
                result = TRUE;
                return true;
            }
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed_ = true;
            SetCapture(handle_);
            result = 0;
            return true;
        case WM_LBUTTONUP: {
            const bool wasPressed = pressed_;
            pressed_ = false;
            if (GetCapture() == handle_) ReleaseCapture();
            RECT client{};
            GetClientRect(handle_, &client);
            POINT at{static_cast<int16_t>(lParam & 0xFFFF), static_cast<int16_t>((lParam >> 16) & 0xFFFF)};
            if (wasPressed && PtInRect(&client, at) && OnClick) OnClick(this);
            result = 0;
            return true;
        }
        case WM_CAPTURECHANGED: pressed_ = false; return false;
        default: return TWinControl::WindowMessage(msg, wParam, lParam, result);
    }
}

// ---- TBevel ----

void TBevel::Paint(Hdc dc, const TRect&) {
    RECT r = win::ToRect(Bounds());
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

// ---- TButton ----

void TButton::Load(const TLayoutItem& item) {
    ContainerTabOrder = ContainerTabOrderOf(Owner(), item);
    Create(ContainerOf(Owner()), ControlBoundsInForm(Owner(), item), item.Text("caption", ""), item.Int("tabOrder", 0));
    StackStoredControl(Owner(), item, this);
    SetEnabled(item.Bool("enabled", true));
    OnClick = Owner()->NotifyHandler(item.Text("onClick", ""));
    OnKeyPress = Owner()->KeyHandler(item.Text("onKeyPress", ""));
}

void TButton::Create(Hwnd parent, const TRect& bounds, const std::string& caption, int32_t tabOrder) {
    caption_ = caption;
    tabOrder_ = tabOrder;
    tabStop_ = true;
    HWND handle = CreateWindowExA(
        0, "BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON, bounds.Left,
        bounds.Top, bounds.Width(), bounds.Height(), parent, nullptr, Application.Instance(), nullptr);
    AttachHandle(handle);
}

void TButton::Command(uint32_t notifyCode) {
    if (notifyCode == BN_CLICKED) Click();
}

void TButton::Click() {
    if (!Enabled()) return;
    if (ModalResult != 0) Owner()->SetModalResult(ModalResult);
    if (OnClick) OnClick(this);
}

char TButton::Accelerator() const { return CaptionAccelerator(caption_); }

// ---- TEdit ----

void TEdit::Load(const TLayoutItem& item) {
    CreateStoredWindow(item, WS_EX_CLIENTEDGE, "EDIT", item.Text("text", ""), WS_CLIPSIBLINGS | ES_AUTOHSCROLL);
    if (item.Find("maxLength") != nullptr) SetMaxLength(item.Int("maxLength", 0));
    OnChange = Owner()->NotifyHandler(item.Text("onChange", ""));
    OnKeyPress = Owner()->KeyHandler(item.Text("onKeyPress", ""));
}

std::string TEdit::Text() const { return win::WindowText(handle_); }

void TEdit::SetText(const std::string& text) {
    if (Text() == text) return;
    SetWindowTextA(handle_, text.c_str());
}

void TEdit::SetMaxLength(int32_t length) { SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(length), 0); }

void TEdit::Command(uint32_t notifyCode) {
    if (notifyCode == EN_CHANGE && OnChange) OnChange(this);
}

bool TEdit::WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            if (GetFocus() != handle_) clickEntering_ = true;
            return false;
        case WM_LBUTTONUP: clickEntering_ = false; return false;
        case WM_SETFOCUS:
            // After the box's own focus handling, which runs next.
            if (!clickEntering_) PostMessageA(handle_, EM_SETSEL, 0, -1);
            clickEntering_ = false;
            return false;
        default: return TWinControl::WindowMessage(msg, wParam, lParam, result);
    }
}

// ---- TComboBox ----

void TComboBox::Load(const TLayoutItem& item) {
    // The drop-down part needs room below the edit line.
    CreateStoredWindow(item, 0, "COMBOBOX", "", WS_CLIPSIBLINGS | WS_VSCROLL | CBS_DROPDOWNLIST, Owner()->Scale(120));
    std::string items = item.Text("items", "");
    size_t start = 0;
    while (!items.empty() && start <= items.size()) {
        size_t end = items.find('|', start);
        if (end == std::string::npos) end = items.size();
        std::string entry = items.substr(start, end - start);
        SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        start = end + 1;
    }
    OnChange = Owner()->NotifyHandler(item.Text("onChange", ""));
    OnKeyPress = Owner()->KeyHandler(item.Text("onKeyPress", ""));
}

int32_t TComboBox::ItemIndex() const { return static_cast<int32_t>(SendMessageA(handle_, CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int32_t index) {
    int32_t count = static_cast<int32_t>(SendMessageA(handle_, CB_GETCOUNT, 0, 0));
    SendMessageA(handle_, CB_SETCURSEL,
                 (index >= 0 && index < count) ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

void TComboBox::Command(uint32_t notifyCode) {
    if (notifyCode == CBN_SELCHANGE && OnChange) OnChange(this);
}

// ---- TCheckBox ----

void TCheckBox::Load(const TLayoutItem& item) {
    caption_ = item.Text("caption", "");
    CreateStoredWindow(item, 0, "BUTTON", caption_, WS_CLIPSIBLINGS | BS_AUTOCHECKBOX);
    OnClick = Owner()->NotifyHandler(item.Text("onClick", ""));
    OnKeyPress = Owner()->KeyHandler(item.Text("onKeyPress", ""));
}

bool TCheckBox::Checked() const { return SendMessageA(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (Checked() == checked) return;
    SendMessageA(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick(this);
}

void TCheckBox::Command(uint32_t notifyCode) {
    if (notifyCode == BN_CLICKED && OnClick) OnClick(this);
}

char TCheckBox::Accelerator() const { return CaptionAccelerator(caption_); }

// ---- TGroupBox ----

void TGroupBox::Load(const TLayoutItem& item) {
    left_ = item.Int("left", 0);
    top_ = item.Int("top", 0);
    tabOrder_ = item.Int("tabOrder", 0);
    TRect b = ControlBoundsInForm(Owner(), item);
    HWND handle = CreateWindowExA(0, "BUTTON", item.Text("caption", "").c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, b.Left, b.Top, b.Width(),
                                  b.Height(), ContainerOf(Owner()), nullptr, Application.Instance(), nullptr);
    AttachHandle(handle);
    // The box lies beneath the controls it frames.
    SetWindowPos(handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TGroupBox::WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) {
    if (msg == WM_ERASEBKGND) {
        RECT client{};
        GetClientRect(handle_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        result = 1;
        return true;
    }
    return TWinControl::WindowMessage(msg, wParam, lParam, result);
}

void RegisterStandardControls() {
    RegisterComponentKind(
        "label", [](TForm* owner, const TLayoutItem& item) -> TComponent* { return new TLabel(owner, item.Name); });
    RegisterComponentKind(
        "bevel", [](TForm* owner, const TLayoutItem& item) -> TComponent* { return new TBevel(owner, item.Name); });
    RegisterComponentKind(
        "button", [](TForm* owner, const TLayoutItem& item) -> TComponent* { return new TButton(owner, item.Name); });
    RegisterComponentKind(
        "edit", [](TForm* owner, const TLayoutItem& item) -> TComponent* { return new TEdit(owner, item.Name); });
    RegisterComponentKind("comboBox", [](TForm* owner, const TLayoutItem& item) -> TComponent* {
        return new TComboBox(owner, item.Name);
    });
    RegisterComponentKind("checkBox", [](TForm* owner, const TLayoutItem& item) -> TComponent* {
        return new TCheckBox(owner, item.Name);
    });
    RegisterComponentKind("groupBox", [](TForm* owner, const TLayoutItem& item) -> TComponent* {
        return new TGroupBox(owner, item.Name);
    });
}

}  // namespace tk
