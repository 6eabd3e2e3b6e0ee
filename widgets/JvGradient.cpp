#include "widgets/JvGradient.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "platform/win/gdiHandles.h"
#include "widgets/gradientMath.h"

namespace {

TRgb SystemColorRgb(int index) {
    COLORREF c = GetSysColor(index);
    return TRgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

TColor ColorByName(const std::string& text, TColor fallback) {
    if (text.empty()) return fallback;
    if (text == "btnFace") return clBtnFace;
    if (text == "btnShadow") return clBtnShadow;
    if (text == "blue") return clBlue;
    if (text == "black") return clBlack;
    if (text == "white") return 0x00FFFFFF;
    // A number: decimal, or hexadecimal after '$'.
    try {
        size_t used = 0;
        long long value = text[0] == '$' ? std::stoll(text.substr(1), &used, 16) : std::stoll(text, &used, 10);
        if (used != text.size() - (text[0] == '$' ? 1 : 0)) return fallback;
        return static_cast<TColor>(static_cast<uint32_t>(value));
    } catch (const std::exception&) {
        return fallback;
    }
}

TJvGradientStyle StyleByName(const std::string& text, TJvGradientStyle fallback) {
    if (text == "filled") return grFilled;
    if (text == "ellipse") return grEllipse;
    if (text == "horizontal") return grHorizontal;
    if (text == "vertical") return grVertical;
    if (text == "pyramid") return grPyramid;
    if (text == "mount") return grMount;
    return fallback;
}

}  // namespace

TJvGradient::TJvGradient(tk::TForm* owner, const std::string& name) : tk::TGraphicControl(owner, name) {
    SetOpaque(true);
}

TJvGradient::~TJvGradient() {
    destroying_ = true;
    if (bitmap_ != nullptr) DeleteObject(static_cast<HBITMAP>(bitmap_));
}

void TJvGradient::Load(const TLayoutItem& item) {
    tk::TGraphicControl::Load(item);
    style_ = StyleByName(item.Text("style", ""), style_);
    startColor_ = ColorByName(item.Text("startColor", ""), startColor_);
    endColor_ = ColorByName(item.Text("endColor", ""), endColor_);
    int32_t steps = item.Int("steps", steps_);
    steps_ = static_cast<uint16_t>(std::clamp<int32_t>(steps, 0, 65535));

    RECT client{};
    GetClientRect(Owner()->Handle(), &client);
    std::string align = item.Text("align", "client");
    if (align == "client") {
        SetBounds(0, 0, client.right, client.bottom);
    } else if (align == "right") {
        int32_t width = Width();
        SetBounds(client.right - width, 0, width, client.bottom);
    }
}

void TJvGradient::Changed() {
    builtWidth_ = 0;
    Invalidate();
}

void TJvGradient::SetStyle(TJvGradientStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TJvGradient::SetStartColor(TColor color) {
    if (color == startColor_) return;
    startColor_ = color;
    Changed();
}

void TJvGradient::SetEndColor(TColor color) {
    if (color == endColor_) return;
    endColor_ = color;
    Changed();
}

void TJvGradient::SetSteps(uint16_t steps) {
    if (steps == steps_) return;
    steps_ = steps;
    Changed();
}

void TJvGradient::Rebuild() {
    const int32_t width = Width();
    const int32_t height = Height();
    const TRgb start = ResolveColor(startColor_, SystemColorRgb);
    const TRgb end = ResolveColor(endColor_, SystemColorRgb);
    builtWidth_ = width;
    builtHeight_ = height;
    if (width <= 0 || height <= 0) return;

    if (bitmap_ != nullptr) DeleteObject(static_cast<HBITMAP>(bitmap_));
    bitmap_ = nullptr;
    win::WindowDc screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), width, height);
    if (bitmap == nullptr) throw std::runtime_error("Cannot create the gradient bitmap");
    bitmap_ = bitmap;
    win::MemoryDc memory(screen.Get());
    if (!memory) return;
    win::SelectedObject selected(memory.Get(), bitmap);

    if (style_ != grVertical) {
        // Only the vertical style is built; the others show the start colour.
        RECT all{0, 0, width, height};
        win::Brush brush(CreateSolidBrush(RGB(start.R, start.G, start.B)));
        FillRect(memory.Get(), &all, brush.Get());
        return;
    }
    for (const TGradientBand& band : ComputeVerticalBands(width, height, steps_, start, end)) {
        RECT rows{0, std::max(band.FirstRow, 0), width, std::min(band.EndRow, height)};
        if (rows.top >= rows.bottom) continue;
        win::Brush brush(CreateSolidBrush(RGB(band.Color.R, band.Color.G, band.Color.B)));
        FillRect(memory.Get(), &rows, brush.Get());
    }
}

void TJvGradient::Paint(tk::Hdc dc, const TRect&) {
    if (destroying_) return;
    if (Width() != builtWidth_ || Height() != builtHeight_) Rebuild();
    if (Width() <= 0 || Height() <= 0 || bitmap_ == nullptr) return;
    win::MemoryDc memory(dc);
    if (!memory) return;
    win::SelectedObject selected(memory.Get(), static_cast<HBITMAP>(bitmap_));
    BitBlt(dc, Left(), Top(), Width(), Height(), memory.Get(), 0, 0, SRCCOPY);
}

void RegisterJvGradient() {
    tk::RegisterComponentKind("gradient", [](tk::TForm* owner, const TLayoutItem& item) -> tk::TComponent* {
        return new TJvGradient(owner, item.Name);
    });
}
