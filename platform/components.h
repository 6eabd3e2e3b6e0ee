// The toolkit's components: graphic controls, images, timers and the base
// of windowed controls, built from stored layouts. Free of <windows.h>;
// handles are forward-declared.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formLayout.h"
#include "platform/geometry.h"

struct HWND__;
struct HDC__;
struct HINSTANCE__;
struct HFONT__;
struct HICON__;
struct tagMSG;

namespace tk {

using Hwnd = HWND__*;
using Hdc = HDC__*;
using Hfont = HFONT__*;
using Hicon = HICON__*;

// A queued message as the application's hook sees it.
struct TMessage {
    Hwnd Window = nullptr;
    uint32_t Message = 0;
    uint64_t WParam = 0;
    int64_t LParam = 0;
    uint32_t Time = 0;
    int32_t PtX = 0, PtY = 0;
};

class TComponent;
class TForm;

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;
using TMessageEvent = std::function<void(TMessage& msg, bool& handled)>;

enum TModalResult : int32_t { mrNone = 0, mrOk = 1, mrCancel = 2 };

class TComponent {
public:
    TComponent(TForm* owner, const std::string& name);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    TForm* Owner() const { return owner_; }
    // Applies stored properties; called once after construction.
    virtual void Load(const TLayoutItem& item);
    // The form's WM_TIMER with id: true when the timer is this component's.
    virtual bool TimerMessage(uintptr_t) { return false; }

private:
    TForm* owner_;
    std::string name_;
};

// A control without a window of its own, painted by its form.
class TGraphicControl : public TComponent {
public:
    using TComponent::TComponent;
    void Load(const TLayoutItem& item) override;

    int32_t Left() const { return bounds_.Left; }
    int32_t Top() const { return bounds_.Top; }
    int32_t Width() const { return bounds_.Width(); }
    int32_t Height() const { return bounds_.Height(); }
    const TRect& Bounds() const { return bounds_; }
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetLeft(int32_t left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int32_t top) { SetBounds(Left(), top, Width(), Height()); }
    // Moves the control and repaints where it was and is at once, without a
    // later paint message (TForm::PaintNow).
    void MoveAndPaint(int32_t left, int32_t top);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Invalidate();

    // Paints the part of the control inside clip (form client coordinates)
    // onto dc, whose origin is the form's client origin.
    virtual void Paint(Hdc dc, const TRect& clip) = 0;
    // An opaque control covers its whole rectangle.
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool opaque) { opaque_ = opaque; }
    // An opaque control that writes each pixel once, except inside its
    // layered areas (control coordinates), may go straight to the screen:
    // a double-buffered form composes off-screen only those areas and
    // whatever other graphic lies over it.
    void SetSinglePass(std::vector<TRect> layeredAreas) {
        singlePass_ = true;
        layeredAreas_ = std::move(layeredAreas);
    }
    bool SinglePass() const { return singlePass_; }
    const std::vector<TRect>& LayeredAreas() const { return layeredAreas_; }

private:
    TRect bounds_;
    bool visible_ = true;
    bool opaque_ = false;
    bool singlePass_ = false;
    std::vector<TRect> layeredAreas_;
};

class TBitmapPicture;

// Image control: shows a bitmap picture (optionally with its bottom-left
// colour left out), an icon, or whatever its custom painter draws.
class TImage : public TGraphicControl {
public:
    TImage(TForm* owner, const std::string& name);
    ~TImage() override;
    void Load(const TLayoutItem& item) override;
    void Paint(Hdc dc, const TRect& clip) override;

    // Bitmap resource shown by the image, or nullptr.
    const TBitmapPicture* Picture() const { return picture_.get(); }
    // Paints the image procedurally instead of from a stored bitmap; receives
    // the dc, the clip in image coordinates and the image's origin on the dc.
    using TPainter = std::function<void(Hdc dc, const TRect& clipInImage, int32_t originX, int32_t originY)>;
    void SetPainter(TPainter painter) { painter_ = std::move(painter); }
    // Shows an icon stretched to the image's bounds; the image does not own
    // it (shared system icons). nullptr shows nothing.
    void SetIcon(Hicon icon);
    Hicon Icon() const { return icon_; }

private:
    std::unique_ptr<TBitmapPicture> picture_;
    bool transparent_ = false;
    TPainter painter_;
    Hicon icon_ = nullptr;
};

// A shared system icon by its identifier (IDI_...); nullptr when unknown.
Hicon LoadSystemIcon(int32_t id);

// A timer delivered as WM_TIMER to its form's window.
class TTimer : public TComponent {
public:
    TTimer(TForm* owner, const std::string& name);
    ~TTimer() override;
    void Load(const TLayoutItem& item) override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t milliseconds);
    TNotifyEvent OnTimer;
    bool TimerMessage(uintptr_t id) override;

private:
    void Tick();
    void Update();
    bool enabled_ = true;
    uint32_t interval_ = 1000;
    uintptr_t id_;
    bool running_ = false;
};

// A control with a window of its own (standard controls and our widgets).
class TWinControl : public TComponent {
public:
    using TComponent::TComponent;
    ~TWinControl() override;
    Hwnd Handle() const { return handle_; }
    int32_t TabOrder() const { return tabOrder_; }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetFocus();
    // The container window the control is placed on (form or group box).
    Hwnd ParentHandle() const;
    // Messages of the control's window come here first (subclassed);
    // return true when handled, with result set.
    virtual bool WindowMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result);
    // WM_COMMAND / WM_NOTIFY from the control, reflected by the container.
    virtual void Command(uint32_t notifyCode) { (void)notifyCode; }
    TKeyPressEvent OnKeyPress;
    // True for controls that may hold children (group box).
    virtual bool IsContainer() const { return false; }
    // Takes part in Tab navigation.
    bool TabStop() const { return tabStop_; }
    // Wants the arrow keys for itself (edits, lists) rather than moving focus.
    virtual bool WantsArrows() const { return false; }
    // Order key: the container's tab order, then the control's own.
    int32_t ContainerTabOrder = -1;

protected:
    void AttachHandle(Hwnd handle);
    // Makes the window of a stored control that takes part in Tab navigation:
    // at its stored place on the form, in its stored tab order (its box's
    // first), stacked as stored. The window is extraHeight higher than stored.
    void CreateStoredWindow(const TLayoutItem& item, uint32_t exStyle, const char* className, const std::string& text,
                            uint32_t style, int32_t extraHeight = 0);
    int32_t tabOrder_ = 0;
    bool tabStop_ = false;
    Hwnd handle_ = nullptr;
};

// Creates a component of a stored layout's kind; widgets register theirs.
using TComponentFactory = std::function<TComponent*(TForm* owner, const TLayoutItem& item)>;
void RegisterComponentKind(const std::string& kind, TComponentFactory factory);

}  // namespace tk
