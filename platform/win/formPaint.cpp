// Forms: painting, composed off-screen in tiles where layered controls need it.
#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/formInternal.h"
#include "platform/win/winInternal.h"

namespace tk {

namespace {

// Off-screen composition works in tiles of at most this many pixels, so the
// memory a repaint needs does not grow with the size of the window.
constexpr int32_t kTilePixels = 256 * 1024;
constexpr int32_t kTileMaxWidth = 1024;

uint32_t ColorByName(const std::string& name) {
    if (name == "btnFace") return GetSysColor(COLOR_BTNFACE);
    if (name == "btnShadow") return GetSysColor(COLOR_BTNSHADOW);
    if (name == "black") return 0;
    if (name == "white") return RGB(255, 255, 255);
    return GetSysColor(COLOR_BTNFACE);
}

}  // namespace

void TForm::PaintGraphics(Hdc dc, const TRect& clip) {
    for (TGraphicControl* control : graphics_) {
        if (!control->Visible()) continue;
        const TRect& b = control->Bounds();
        if (b.Right <= clip.Left || b.Left >= clip.Right || b.Bottom <= clip.Top || b.Top >= clip.Bottom) continue;
        control->Paint(dc, clip);
    }
}

void TForm::PaintTo(Hdc dc, const TRect& clip) {
    bool covered = false;
    for (TGraphicControl* control : graphics_) {
        const TRect& b = control->Bounds();
        if (control->Visible() && control->Opaque() && b.Left <= clip.Left && b.Top <= clip.Top &&
            b.Right >= clip.Right && b.Bottom >= clip.Bottom) {
            covered = true;
        }
    }
    if (!covered) {
        RECT r = win::ToRect(clip);
        win::Brush brush(CreateSolidBrush(ColorByName(layout_.Form.Text("color", "btnFace"))));
        FillRect(dc, &r, brush.Get());
    }
    PaintGraphics(dc, clip);
}

namespace {

bool Intersect(const TRect& a, const TRect& b, TRect& out) {
    out = TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
    return out.Left < out.Right && out.Top < out.Bottom;
}

}  // namespace

TGraphicControl* TForm::SinglePassCover(const TRect& area) const {
    for (TGraphicControl* control : graphics_) {
        const TRect& b = control->Bounds();
        if (control->Visible() && control->Opaque() && control->SinglePass() && b.Left <= area.Left &&
            b.Top <= area.Top && b.Right >= area.Right && b.Bottom >= area.Bottom) {
            return control;
        }
    }
    return nullptr;
}

Hdc TForm::CompositionDc(Hdc dc, int32_t width, int32_t height) {
    if (composition_ && composition_->Width >= width && composition_->Height >= height) {
        return composition_->Dc.Get();
    }
    // Grown to the largest tile asked for, within the size of one tile.
    if (composition_) {
        const int32_t wider = std::max(width, composition_->Width);
        const int32_t higher = std::max(height, composition_->Height);
        if (static_cast<int64_t>(wider) * higher <= kTilePixels) {
            width = wider;
            height = higher;
        }
    }
    composition_.reset();
    auto next = std::make_unique<TComposition>(dc);
    if (!next->Dc) return nullptr;
    next->Bitmap.Reset(CreateCompatibleBitmap(dc, width, height));
    if (!next->Bitmap) return nullptr;
    next->Selected.emplace(next->Dc.Get(), next->Bitmap.Get());
    next->Width = width;
    next->Height = height;
    composition_ = std::move(next);
    return composition_->Dc.Get();
}

void TForm::PaintComposed(Hdc dc, const TRect& area) {
    // Compose tile by tile off-screen, then copy: each screen pixel is
    // written once, with its final colour.
    int32_t tileWidth = std::min(area.Width(), kTileMaxWidth);
    int32_t tileHeight = std::max<int32_t>(1, std::min(area.Height(), kTilePixels / tileWidth));
    HDC memory = CompositionDc(dc, tileWidth, tileHeight);
    if (memory == nullptr) {
        PaintTo(dc, area);
        return;
    }
    for (int32_t y = area.Top; y < area.Bottom; y += tileHeight) {
        for (int32_t x = area.Left; x < area.Right; x += tileWidth) {
            TRect tile{x, y, std::min(x + tileWidth, area.Right), std::min(y + tileHeight, area.Bottom)};
            SetViewportOrgEx(memory, -tile.Left, -tile.Top, nullptr);
            PaintTo(memory, tile);
            SetViewportOrgEx(memory, 0, 0, nullptr);
            BitBlt(dc, tile.Left, tile.Top, tile.Width(), tile.Height(), memory, 0, 0, SRCCOPY);
        }
    }
}

void TForm::PaintNow(const std::vector<TRect>& areas) {
    std::optional<win::WindowDc> dc;
    if (pieces_.empty() && handle_ != nullptr && IsWindowVisible(handle_)) dc.emplace(handle_);
    if (!dc || !*dc) {
        for (const TRect& area : areas) InvalidateRect(area);
        Update();
        return;
    }
    for (const TRect& area : areas) {
        PaintWindowArea(dc->Get(),
                        TRect{area.Left - originX_, area.Top - originY_, area.Right - originX_, area.Bottom - originY_},
                        originX_, originY_);
    }
}

void TForm::OnPaint() {
    win::PaintScope paint(handle_);
    PaintWindowArea(paint.Dc(), win::FromRect(paint.Area()), originX_, originY_);
}

void TForm::PaintWindowArea(Hdc dc, const TRect& clientArea, int32_t originX, int32_t originY) {
    if (clientArea.Width() <= 0 || clientArea.Height() <= 0) return;
    // From here on the dc speaks the picture's coordinates.
    std::optional<win::SavedDc> origin;
    if (originX != 0 || originY != 0) {
        origin.emplace(dc);
        SetViewportOrgEx(dc, -originX, -originY, nullptr);
    }
    const TRect area{clientArea.Left + originX, clientArea.Top + originY, clientArea.Right + originX,
                     clientArea.Bottom + originY};
    if (!doubleBuffered_) {
        PaintTo(dc, area);
        return;
    }
    TGraphicControl* cover = SinglePassCover(area);
    if (cover == nullptr) {
        PaintComposed(dc, area);
        return;
    }
    // Straight to the screen where only the cover paints, each pixel once;
    // off-screen where it paints in layers or another graphic lies over it.
    // Copying a whole band through memory at every jump costs far more.
    // Only layers the update region meets: a jump's region is where the logo
    // was and is, and the box around the two may take in text it never touches.
    std::vector<TRect> layered;
    auto addLayered = [&](const TRect& r) {
        TRect part;
        if (!Intersect(r, area, part)) return;
        const RECT visible = win::ToRect(part);
        if (RectVisible(dc, &visible)) layered.push_back(part);
    };
    for (const TRect& a : cover->LayeredAreas()) {
        addLayered(
            TRect{a.Left + cover->Left(), a.Top + cover->Top(), a.Right + cover->Left(), a.Bottom + cover->Top()});
    }
    for (const TGraphicControl* control : graphics_) {
        if (control != cover && control->Visible()) addLayered(control->Bounds());
    }
    // Whatever else the update region meets lies in the layered parts: the
    // cover paints the rest piece by piece, which costs less than a clip.
    for (const TRect& r : SubtractRects(area, layered)) cover->Paint(dc, r);
    for (const TRect& r : layered) PaintComposed(dc, r);
}

}  // namespace tk
