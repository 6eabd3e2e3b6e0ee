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

const TGraphicControl* TForm::SinglePassCover(const TRect& area) const {
    for (const TGraphicControl* control : graphics_) {
        const TRect& b = control->Bounds();
        if (control->Visible() && control->Opaque() && control->SinglePass() && b.Left <= area.Left &&
            b.Top <= area.Top && b.Right >= area.Right && b.Bottom >= area.Bottom) {
            return control;
        }
    }
    return nullptr;
}

void TForm::PaintComposed(Hdc dc, const TRect& area) {
    // Compose tile by tile off-screen, then copy: each screen pixel is
    // written once, with its final colour.
    int32_t tileWidth = std::min(area.Width(), kTileMaxWidth);
    int32_t tileHeight = std::max<int32_t>(1, std::min(area.Height(), kTilePixels / tileWidth));
    win::MemoryDc memory(dc);
    win::Bitmap bitmap(CreateCompatibleBitmap(dc, tileWidth, tileHeight));
    if (!memory || !bitmap) {
        PaintTo(dc, area);
        return;
    }
    win::SelectedObject selected(memory.Get(), bitmap.Get());
    for (int32_t y = area.Top; y < area.Bottom; y += tileHeight) {
        for (int32_t x = area.Left; x < area.Right; x += tileWidth) {
            TRect tile{x, y, std::min(x + tileWidth, area.Right), std::min(y + tileHeight, area.Bottom)};
            SetViewportOrgEx(memory.Get(), -tile.Left, -tile.Top, nullptr);
            PaintTo(memory.Get(), tile);
            SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
            BitBlt(dc, tile.Left, tile.Top, tile.Width(), tile.Height(), memory.Get(), 0, 0, SRCCOPY);
        }
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
    const TGraphicControl* cover = SinglePassCover(area);
    if (cover == nullptr) {
        PaintComposed(dc, area);
        return;
    }
    // Straight to the screen where only the cover paints, each pixel once;
    // off-screen where it paints in layers or another graphic lies over it.
    // Copying a whole band through memory at every jump costs far more.
    std::vector<TRect> layered;
    TRect part;
    for (const TRect& a : cover->LayeredAreas()) {
        const TRect inForm{a.Left + cover->Left(), a.Top + cover->Top(), a.Right + cover->Left(),
                           a.Bottom + cover->Top()};
        if (Intersect(inForm, area, part)) layered.push_back(part);
    }
    for (const TGraphicControl* control : graphics_) {
        if (control != cover && control->Visible() && Intersect(control->Bounds(), area, part)) layered.push_back(part);
    }
    {
        win::SavedDc saved(dc);
        for (const TRect& r : layered) ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        PaintTo(dc, area);
    }
    for (const TRect& r : layered) PaintComposed(dc, r);
}

}  // namespace tk
