// Drawing: bitmap pictures, fonts and the canvas over a device context.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/components.h"

namespace tk {

// A bitmap from the program's resources; the colour of its bottom-left pixel
// is its transparent colour.
class TBitmapPicture {
public:
    static std::unique_ptr<TBitmapPicture> FromResource(const std::string& name);
    ~TBitmapPicture();
    TBitmapPicture(const TBitmapPicture&) = delete;
    TBitmapPicture& operator=(const TBitmapPicture&) = delete;
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    uint32_t TransparentColor() const { return transparentColor_; }
    // Draws the picture scaled into dest; transparent leaves its
    // transparent colour out.
    void Draw(Hdc dc, const TRect& dest, bool transparent) const;

private:
    TBitmapPicture();
    // The bitmap and a memory DC that holds it selected for the picture's
    // life: a jump draws the logo without making a DC for it.
    struct TSource;
    std::unique_ptr<TSource> source_;
    int32_t width_ = 0, height_ = 0;
    uint32_t transparentColor_ = 0;
};

// Font request for the canvas: face, size in points, styles.
struct TFontSpec {
    std::string Face = "Tahoma";
    int32_t Points = 8;
    bool Bold = false, Italic = false, Underline = false;
};

// A font made once from a request at a DPI and kept for many paints.
class TFont {
public:
    TFont() = default;
    TFont(const TFontSpec& spec, int32_t dpi);
    ~TFont();
    TFont(TFont&& other) noexcept;
    TFont& operator=(TFont&& other) noexcept;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    Hfont Handle() const { return handle_; }

private:
    Hfont handle_ = nullptr;
};

// The size of a run of text in a font, as TCanvas::TextOutOpaque fills it.
TSize TextExtent(std::string_view text, const TFont& font);

// Drawing on a device context, owning whatever GDI objects it creates.
class TCanvas {
public:
    TCanvas(Hdc dc, int32_t dpi);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    Hdc Dc() const { return dc_; }
    // Whether any of rect lies within the area being painted.
    bool Visible(const TRect& rect) const;
    void FillRect(const TRect& rect, uint32_t colorRef);
    // A solid one-pixel line from (x0, y) up to, not including, (x1, y).
    void HorizontalLine(int32_t x0, int32_t x1, int32_t y, uint32_t colorRef);
    // One run of text with an opaque cell background.
    void TextOutOpaque(int32_t x, int32_t y, std::string_view text, const TFont& font, uint32_t textColor,
                       uint32_t backColor);

private:
    Hdc dc_;
    int32_t dpi_;
};

constexpr uint32_t RgbColor(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

}  // namespace tk
