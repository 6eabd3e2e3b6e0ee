// A windowless strip filled with a colour gradient laid out in bands; the
// configuration dialog carries its contact block on one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/toolkit.h"

enum TJvGradientStyle : uint8_t { grFilled, grEllipse, grHorizontal, grVertical, grPyramid, grMount };

// A colour: red in the low byte, then green, then blue; a negative value
// names the system colour whose index is its low byte.
using TColor = int32_t;
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);
constexpr TColor clBtnShadow = static_cast<TColor>(0x80000010u);
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clBlack = 0;

class TJvGradient : public tk::TGraphicControl {
public:
    TJvGradient(tk::TForm* owner, const std::string& name);
    ~TJvGradient() override;
    // Stored properties: style, startColor, endColor, steps, align
    // ("client" by default, "right", or "none" for the stored bounds).
    void Load(const TLayoutItem& item) override;
    void Paint(tk::Hdc dc, const TRect& clip) override;

    TJvGradientStyle Style() const { return style_; }
    void SetStyle(TJvGradientStyle style);
    TColor StartColor() const { return startColor_; }
    void SetStartColor(TColor color);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor color);
    uint16_t Steps() const { return steps_; }
    void SetSteps(uint16_t steps);

private:
    void Changed();
    // Draws the gradient into the cached bitmap at the current size.
    void Rebuild();

    TJvGradientStyle style_ = grHorizontal;
    TColor startColor_ = clBlue;
    TColor endColor_ = clBlack;
    uint16_t steps_ = 100;
    void* bitmap_ = nullptr;  // HBITMAP, owned
    int32_t builtWidth_ = 0;
    int32_t builtHeight_ = 0;
    bool destroying_ = false;
};

// Makes the layout kind "gradient" create a TJvGradient.
void RegisterJvGradient();
