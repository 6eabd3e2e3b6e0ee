// Components: image and timer, the base of windowed controls, bitmap
// pictures and the canvas.
#include <windows.h>

#include <algorithm>
#include <optional>

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

void TGraphicControl::MoveAndPaint(int32_t left, int32_t top) {
    const TRect was = bounds_;
    if (was.Left == left && was.Top == top) return;
    bounds_ = TRect{left, top, left + was.Width(), top + was.Height()};
    if (visible_) Owner()->PaintNow({was, bounds_});
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

bool TTimer::TimerMessage(uintptr_t id) {
    if (id != id_) return false;
    Tick();
    return true;
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

namespace {

// A bitmap held selected in a memory DC for as long as both live.
struct TSelectedBitmap {
    win::Bitmap Bitmap;
    win::MemoryDc Dc;
    std::optional<win::SelectedObject> Selected;
    TSelectedBitmap(HBITMAP bitmap, HDC reference) : Bitmap(bitmap), Dc(reference) {
        if (Dc && Bitmap) Selected.emplace(Dc.Get(), Bitmap.Get());
    }
    explicit operator bool() const { return Selected.has_value(); }
};

// A 32-bit top-down bitmap whose pixels the program writes directly.
HBITMAP CreatePixels(HDC reference, int32_t width, int32_t height, uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<uint32_t*>(pixels);
    return bits != nullptr ? bitmap : nullptr;
}

}  // namespace

// The bitmap, and for drawing it at its own size without its transparent
// colour: the picture with black there, and a mask white there and black
// elsewhere. ANDing the mask and ORing the picture costs two plain copies,
// where a transparent blit makes its masks afresh at every call.
struct TBitmapPicture::TSource {
    TSelectedBitmap Picture;
    std::optional<TSelectedBitmap> Opaque, Mask;
    TSource(HBITMAP bitmap, HDC reference) : Picture(bitmap, reference) {}
};

TBitmapPicture::TBitmapPicture() = default;
TBitmapPicture::~TBitmapPicture() = default;

std::unique_ptr<TBitmapPicture> TBitmapPicture::FromResource(const std::string& name) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) throw std::runtime_error("Bitmap resource " + name + " missing: " + win::LastErrorText());
    std::unique_ptr<TBitmapPicture> picture(new TBitmapPicture());
    win::WindowDc screen(nullptr);
    picture->source_ = std::make_unique<TSource>(bitmap, screen.Get());
    TSource& source = *picture->source_;
    if (!source.Picture) throw std::runtime_error("Bitmap resource " + name + ": " + win::LastErrorText());
    BITMAP info{};
    GetObjectA(bitmap, sizeof(info), &info);
    picture->width_ = info.bmWidth;
    picture->height_ = info.bmHeight;
    const COLORREF transparent = GetPixel(source.Picture.Dc.Get(), 0, info.bmHeight - 1);
    picture->transparentColor_ = transparent;

    uint32_t* opaqueBits = nullptr;
    uint32_t* maskBits = nullptr;
    source.Opaque.emplace(CreatePixels(screen.Get(), info.bmWidth, info.bmHeight, opaqueBits), screen.Get());
    source.Mask.emplace(CreatePixels(screen.Get(), info.bmWidth, info.bmHeight, maskBits), screen.Get());
    if (!*source.Opaque || !*source.Mask) {
        // Drawn with a transparent blit instead.
        source.Opaque.reset();
        source.Mask.reset();
        return picture;
    }
    BitBlt(source.Opaque->Dc.Get(), 0, 0, info.bmWidth, info.bmHeight, source.Picture.Dc.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t key = (static_cast<uint32_t>(GetRValue(transparent)) << 16) |
                         (static_cast<uint32_t>(GetGValue(transparent)) << 8) | GetBValue(transparent);
    const size_t count = static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight);
    for (size_t i = 0; i < count; ++i) {
        const bool clear = (opaqueBits[i] & 0xFFFFFFu) == key;
        if (clear) opaqueBits[i] = 0;
        maskBits[i] = clear ? 0xFFFFFFu : 0;
    }
    return picture;
}

void TBitmapPicture::Draw(Hdc dc, const TRect& dest, bool transparent) const {
    if (dest.Width() <= 0 || dest.Height() <= 0) return;
    HDC picture = source_->Picture.Dc.Get();
    if (!transparent) {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), picture, 0, 0, width_, height_, SRCCOPY);
        return;
    }
    if (source_->Mask && dest.Width() == width_ && dest.Height() == height_) {
        BitBlt(dc, dest.Left, dest.Top, width_, height_, source_->Mask->Dc.Get(), 0, 0, SRCAND);
        BitBlt(dc, dest.Left, dest.Top, width_, height_, source_->Opaque->Dc.Get(), 0, 0, SRCPAINT);
        return;
    }
    GdiTransparentBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), picture, 0, 0, width_, height_,
                      transparentColor_);
}

TCanvas::TCanvas(Hdc dc, int32_t dpi) : dc_(dc), dpi_(dpi) {}
TCanvas::~TCanvas() = default;

bool TCanvas::Visible(const TRect& rect) const {
    const RECT r = win::ToRect(rect);
    return RectVisible(dc_, &r) != FALSE;
}

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
