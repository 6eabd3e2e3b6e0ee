// Components: image and timer, the base of windowed controls, bitmap
// pictures and the canvas.
#include <windows.h>

#include <algorithm>

#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/winInternal.h"

namespace tk {

TComponent::TComponent(TForm* owner, const std::string& name) : owner_(owner), name_(name) {}
TComponent::~TComponent() = default;
void TComponent::Load(const TLayoutItem&) {}

void TGraphicControl::Load(const TLayoutItem& item) {
    TForm* form = Owner();
    bounds_.Left = form->Scale(item.Int("left", 0));
    bounds_.Top = form->Scale(item.Int("top", 0));
    bounds_.Right = bounds_.Left + form->Scale(item.Int("width", 0));
    bounds_.Bottom = bounds_.Top + form->Scale(item.Int("height", 0));
    visible_ = item.Bool("visible", true);
    form->AddGraphic(this);
}

void TGraphicControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    TRect next{left, top, left + width, top + height};
    if (next.Left == bounds_.Left && next.Top == bounds_.Top && next.Right == bounds_.Right &&
        next.Bottom == bounds_.Bottom) {
        return;
    }
    if (visible_) Invalidate();
    bounds_ = next;
    if (visible_) Invalidate();
}

void TGraphicControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
}

void TGraphicControl::Invalidate() { Owner()->InvalidateRect(bounds_); }

TImage::TImage(TForm* owner, const std::string& name) : TGraphicControl(owner, name) {}
TImage::~TImage() = default;

void TImage::Load(const TLayoutItem& item) {
    TGraphicControl::Load(item);
    transparent_ = item.Bool("transparent", false);
    std::string pictureName = item.Text("picture", "");
    if (!pictureName.empty()) {
        picture_ = TBitmapPicture::FromResource(pictureName);
        if (item.Bool("autoSize", false)) SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    }
}

void TImage::SetIcon(Hicon icon) {
    if (icon_ == icon) return;
    icon_ = icon;
    Invalidate();
}

Hicon LoadSystemIcon(int32_t id) {
    if (id <= 0 || id > 0xFFFF) return nullptr;
    return LoadIconA(nullptr, MAKEINTRESOURCEA(id));
}

void TImage::Paint(Hdc dc, const TRect& clip) {
    if (icon_ != nullptr) {
        DrawIconEx(dc, Left(), Top(), icon_, Width(), Height(), 0, nullptr, DI_NORMAL);
        return;
    }
    if (painter_) {
        TRect inImage{std::max(clip.Left, Left()) - Left(), std::max(clip.Top, Top()) - Top(),
                      std::min(clip.Right, Bounds().Right) - Left(), std::min(clip.Bottom, Bounds().Bottom) - Top()};
        painter_(dc, inImage, Left(), Top());
        return;
    }
    if (picture_) picture_->Draw(dc, Bounds(), transparent_);
}

namespace {
uintptr_t NextTimerId() {
    static uintptr_t next = 100;
    return ++next;
}
}  // namespace

TTimer::TTimer(TForm* owner, const std::string& name) : TComponent(owner, name), id_(NextTimerId()) {}

TTimer::~TTimer() {
    if (running_ && Owner()->Handle() != nullptr) KillTimer(Owner()->Handle(), id_);
}

void TTimer::Load(const TLayoutItem& item) {
    interval_ = static_cast<uint32_t>(std::max<int32_t>(0, item.Int("interval", 1000)));
    OnTimer = Owner()->NotifyHandler(item.Text("onTimer", ""));
    enabled_ = item.Bool("enabled", true);
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(uint32_t milliseconds) {
    if (interval_ == milliseconds) return;
    interval_ = milliseconds;
    Update();
}

void TTimer::Update() {
    HWND window = Owner()->Handle();
    if (running_) {
        KillTimer(window, id_);
        running_ = false;
    }
    if (enabled_ && interval_ > 0 && OnTimer) {
        if (SetTimer(window, id_, interval_, nullptr) == 0) throw std::runtime_error(win::LastErrorText());
        running_ = true;
    }
}

void TTimer::Tick() {
    if (enabled_ && OnTimer) OnTimer(this);
}

namespace {
// Windowed controls are subclassed so that their messages reach the object.
bool ControlMessage(void* object, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    int64_t answer = 0;
    if (!static_cast<TWinControl*>(object)->WindowMessage(msg, wParam, lParam, answer)) return false;
    result = static_cast<LRESULT>(answer);
    return true;
}
}  // namespace

TWinControl::~TWinControl() {
    if (handle_ != nullptr && IsWindow(handle_)) DestroyWindow(handle_);
}

void TWinControl::AttachHandle(Hwnd handle) {
    handle_ = handle;
    if (handle_ == nullptr) throw std::runtime_error(win::LastErrorText());
    win::Subclass(handle_, ControlMessage, this);
    if (Owner()->Font() != nullptr) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Owner()->Font()), FALSE);
    Owner()->AddWinControl(this);
}

bool TWinControl::Enabled() const { return handle_ != nullptr && IsWindowEnabled(handle_); }
void TWinControl::SetEnabled(bool enabled) { EnableWindow(handle_, enabled ? TRUE : FALSE); }
void TWinControl::SetFocus() { ::SetFocus(handle_); }
Hwnd TWinControl::ParentHandle() const { return GetParent(handle_); }

bool TWinControl::WindowMessage(uint32_t msg, uint64_t wParam, int64_t, int64_t& result) {
    if (msg == WM_CHAR && OnKeyPress) {
        char key = static_cast<char>(wParam);
        OnKeyPress(this, key);
        if (key == 0) {
            result = 0;
            return true;
        }
    }
    return false;
}

std::unique_ptr<TBitmapPicture> TBitmapPicture::FromResource(const std::string& name) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) throw std::runtime_error("Bitmap resource " + name + " missing: " + win::LastErrorText());
    std::unique_ptr<TBitmapPicture> picture(new TBitmapPicture());
    picture->bitmap_ = bitmap;
    BITMAP info{};
    GetObjectA(bitmap, sizeof(info), &info);
    picture->width_ = info.bmWidth;
    picture->height_ = info.bmHeight;
    win::WindowDc screen(nullptr);
    win::MemoryDc memory(screen.Get());
    if (memory) {
        win::SelectedObject selected(memory.Get(), bitmap);
        picture->transparentColor_ = GetPixel(memory.Get(), 0, info.bmHeight - 1);
    }
    return picture;
}

TBitmapPicture::~TBitmapPicture() {
    if (bitmap_ != nullptr) DeleteObject(static_cast<HBITMAP>(bitmap_));
}

void TBitmapPicture::Draw(Hdc dc, const TRect& dest, bool transparent) const {
    if (dest.Width() <= 0 || dest.Height() <= 0) return;
    win::MemoryDc memory(dc);
    if (!memory) return;
    win::SelectedObject selected(memory.Get(), static_cast<HBITMAP>(bitmap_));
    if (transparent) {
        GdiTransparentBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), memory.Get(), 0, 0, width_, height_,
                          transparentColor_);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), memory.Get(), 0, 0, width_, height_, SRCCOPY);
    }
}

TCanvas::TCanvas(Hdc dc, int32_t dpi) : dc_(dc), dpi_(dpi) {}
TCanvas::~TCanvas() = default;

void TCanvas::FillRect(const TRect& rect, uint32_t colorRef) {
    win::Brush brush(CreateSolidBrush(colorRef));
    RECT r = win::ToRect(rect);
    ::FillRect(dc_, &r, brush.Get());
}

void TCanvas::HorizontalLine(int32_t x0, int32_t x1, int32_t y, uint32_t colorRef) {
    win::Pen pen(CreatePen(PS_SOLID, 1, colorRef));
    win::SelectedObject selected(dc_, pen.Get());
    MoveToEx(dc_, x0, y, nullptr);
    LineTo(dc_, x1, y);
}

void TCanvas::TextOutOpaque(int32_t x, int32_t y, std::string_view text, const TFont& font, uint32_t textColor,
                            uint32_t backColor) {
    if (text.empty() || font.Handle() == nullptr) return;
    win::SelectedObject selected(dc_, font.Handle());
    SetTextColor(dc_, textColor);
    SetBkColor(dc_, backColor);
    SetBkMode(dc_, OPAQUE);
    // ExtTextOut takes an int count; longer texts are cut by the band's edge anyway.
    int count = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFF));
    ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(count), nullptr);
}

TSize TextExtent(std::string_view text, const TFont& font) {
    if (text.empty() || font.Handle() == nullptr) return TSize{};
    win::WindowDc screen(nullptr);
    if (!screen) return TSize{};
    win::SelectedObject selected(screen.Get(), font.Handle());
    SIZE size{};
    int count = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFF));
    if (!GetTextExtentPoint32A(screen.Get(), text.data(), count, &size)) return TSize{};
    return TSize{size.cx, size.cy};
}

TFont::TFont(const TFontSpec& spec, int32_t dpi) {
    LOGFONTA logFont{};
    logFont.lfHeight = -MulDiv(spec.Points, dpi, 72);
    logFont.lfWeight = spec.Bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = spec.Italic ? TRUE : FALSE;
    logFont.lfUnderline = spec.Underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    // Plain white glyphs on black: no grey edges from smoothing.
    logFont.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(logFont.lfFaceName, spec.Face.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&logFont);
    if (handle_ == nullptr) throw std::runtime_error(win::LastErrorText());
}

TFont::~TFont() { win::Font release(handle_); }

TFont::TFont(TFont&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

TFont& TFont::operator=(TFont&& other) noexcept {
    if (this != &other) {
        win::Font release(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

}  // namespace tk
