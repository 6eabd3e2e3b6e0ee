// A thin windowing toolkit over the Win32 API: the application object with
// its hidden application window and message loop, forms built from stored
// layouts, graphic and windowed controls, timers and modal showing.
// The header stays free of <windows.h>; handles are forward-declared.
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

// The primary monitor's size in pixels.
int32_t ScreenWidth();
int32_t ScreenHeight();

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
    // Called by the form when its WM_TIMER for this timer arrives.
    void Tick();
    uintptr_t Id() const { return id_; }

private:
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
    int32_t tabOrder_ = 0;
    bool tabStop_ = false;
    Hwnd handle_ = nullptr;
};

// Creates a component of a stored layout's kind; widgets register theirs.
using TComponentFactory = std::function<TComponent*(TForm* owner, const TLayoutItem& item)>;
void RegisterComponentKind(const std::string& kind, TComponentFactory factory);

class TForm {
public:
    explicit TForm(std::string layoutResource);
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    // Loads the stored layout, creates the window and the components, binds
    // the events, then runs the creation handler.
    void Create();

    Hwnd Handle() const { return handle_; }
    const std::string& Name() const { return name_; }
    TComponent* FindComponent(const std::string& name) const;
    // The form whose window this is (any live form, registered with the
    // application or not), or nullptr.
    static TForm* FromHandle(Hwnd window);

    // Components made at run time: the form takes ownership. A windowed
    // control is created on the form's window after it has been inserted.
    void InsertComponent(std::unique_ptr<TComponent> component);
    // Removes a component from the form and destroys it at once.
    void DestroyComponent(TComponent* component);

    int32_t Left() const;
    int32_t Top() const;
    int32_t Width() const;
    int32_t Height() const;
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetLeft(int32_t left);
    void SetTop(int32_t top);
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);
    // Size of the client area in pixels; the window grows by its frame.
    int32_t ClientWidth() const;
    int32_t ClientHeight() const;
    void SetClientSize(int32_t width, int32_t height);
    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Scale of the stored 96-DPI layout on the form's monitor.
    int32_t Scale(int32_t designPixels) const;
    int32_t Dpi() const { return dpi_; }
    // The window moved to a monitor of another DPI (WM_DPICHANGED).
    void SetDpi(int32_t dpi) {
        if (dpi >= 48) dpi_ = dpi;
    }
    Hfont Font() const { return font_; }
    // Size of one line of text in the form's font (the system's GUI font
    // when the form has none of its own), '&' measured as written.
    TSize TextExtent(const std::string& text) const;

    bool Showing() const { return showing_; }
    void Show();
    void Hide();
    // Closing the main form ends the application; a modal form ends its loop.
    void Close();
    // Shows the form with the program's other windows disabled, the first
    // control in tab order focused, until the modal result is non-zero;
    // a terminate request ends it with mrCancel.
    int32_t ShowModal();
    int32_t ModalResult() const { return modalResult_; }
    void SetModalResult(int32_t result) { modalResult_ = result; }

    void Invalidate();
    void Update();
    void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }
    // Re-asserts the top-most place without moving or activating.
    void BringToTopMost();
    // Moves the form to top, as high as ever, and re-asserts its top-most
    // place in the same call: one trip through the window system, not two.
    void MoveTopMost(int32_t top);
    // Shows the form's picture, whose top-left lies at originX, originY on
    // the screen, only within pieces (screen rectangles): its own window
    // shows the first, extra top-most windows the others, all placed in one
    // deferred move. No piece at all hides its window.
    void ShowAsPieces(int32_t originX, int32_t originY, const std::vector<TRect>& pieces);
    // One window's place in a move of several forms' pieces.
    struct TWindowPlace {
        Hwnd Window;
        TRect Rect;
        bool Show, Hide;
    };
    // What ShowAsPieces would place, the piece windows made or gone already.
    std::vector<TWindowPlace> PiecePlaces(int32_t originX, int32_t originY, const std::vector<TRect>& pieces);
    // Places windows of any forms in one deferred move (one by one when the
    // system refuses it), keeping their z-order.
    static void MoveTogether(const std::vector<TWindowPlace>& places);
    // The form's windows: its own first, then those of the other pieces.
    std::vector<Hwnd> Windows() const;

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide;
    TKeyPressEvent OnKeyPress;

    // Handler tables the stored layout's event names resolve through.
    void RegisterHandler(const std::string& name, TNotifyEvent handler);
    void RegisterKeyHandler(const std::string& name, TKeyPressEvent handler);
    TNotifyEvent NotifyHandler(const std::string& name) const;
    TKeyPressEvent KeyHandler(const std::string& name) const;

    // Derived forms see every message of their window first.
    virtual bool FormMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result);
    // Dialog keys (Tab, arrows, Enter, Esc, accelerators) of a queued message;
    // true when the form consumed it.
    virtual bool DialogKey(const TMessage& msg);
    // Moves the focus to the next (or previous) control in tab order, wrapping.
    void SelectNext(TWinControl* current, bool forward);
    void FocusFirst();

    void AddGraphic(TGraphicControl* control) { graphics_.push_back(control); }
    void AddWinControl(TWinControl* control) { winControls_.push_back(control); }
    const std::vector<TWinControl*>& WinControls() const { return winControls_; }
    void InvalidateRect(const TRect& rect);
    // Paints graphic controls into dc for the clip rectangle (client coords).
    void PaintGraphics(Hdc dc, const TRect& clip);
    int64_t WindowProc(uint32_t msg, uint64_t wParam, int64_t lParam);

protected:
    const TFormLayout& Layout() const { return layout_; }
    // Called once the components exist, before the creation handler runs.
    virtual void ComponentsCreated() {}

private:
    void CreateWindowFromLayout();
    void CreateComponents();
    void OnPaint();
    // Paints clientArea of one of the form's windows, which shows the
    // picture from (originX, originY) on.
    void PaintWindowArea(Hdc dc, const TRect& clientArea, int32_t originX, int32_t originY);
    void DestroyPieceWindows(size_t keep);
    friend int64_t PieceWindowProc(TForm& form, Hwnd window, uint32_t msg, uint64_t wParam, int64_t lParam);
    // The visible single-pass opaque graphic that covers area, if any.
    const TGraphicControl* SinglePassCover(const TRect& area) const;
    // Paints area off-screen first, then copies it to dc.
    void PaintComposed(Hdc dc, const TRect& area);
    void PaintTo(Hdc dc, const TRect& clip);

    std::string layoutResource_;
    std::string name_;
    TFormLayout layout_;
    Hwnd handle_ = nullptr;
    Hfont font_ = nullptr;
    int32_t dpi_ = 96;
    bool showing_ = false;
    // False: shown without taking the foreground or the keyboard from anyone.
    bool activates_ = true;
    bool doubleBuffered_ = false;
    bool destroying_ = false;
    int32_t modalResult_ = 0;
    bool modal_ = false;
    // The control that had the focus when the form was last deactivated.
    Hwnd lastFocus_ = nullptr;
    // Where the picture the own window shows begins (form coordinates).
    int32_t originX_ = 0, originY_ = 0;
    struct TPieceWindow {
        Hwnd Handle;
        int32_t OriginX, OriginY;
    };
    std::vector<TPieceWindow> pieces_;
    // The own window is hidden because the picture had no piece to show.
    bool hiddenForNoPieces_ = false;
    std::vector<std::unique_ptr<TComponent>> components_;
    std::vector<TGraphicControl*> graphics_;
    std::vector<TWinControl*> winControls_;
    std::map<std::string, TNotifyEvent> notifyHandlers_;
    std::map<std::string, TKeyPressEvent> keyHandlers_;
    friend class TApplication;
};

class TApplication {
public:
    void Initialize();
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    Hwnd Handle() const { return handle_; }
    HINSTANCE__* Instance() const;

    TForm* MainForm() const { return mainForm_; }
    bool ShowMainForm = true;
    bool Terminated() const { return terminated_; }
    TMessageEvent OnMessage;

    // Adds a created form; the first becomes the main form.
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);
    void Run();
    void Terminate();
    // Handles every message already waiting, without waiting for new ones.
    void ProcessMessages();
    // Waits for one message and handles it.
    void HandleOneMessage();
    // Destroys all forms, last created first.
    void DestroyForms();
    // A form became the active window; it gets the activation back when
    // the application window is brought forward.
    void NoteActiveForm(Hwnd form) { activeForm_ = form; }
    // Hands the application window's activation on to the form that was
    // active last (a modal box over the main form, say), or else to the main
    // form when it is shown.
    void PassOnActivation();
    const std::vector<TForm*>& Forms() const { return forms_; }

private:
    bool ProcessMessage();
    void HandleMessage(tagMSG& msg);
    Hwnd activeForm_ = nullptr;
    std::string title_;
    Hwnd handle_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::vector<TForm*> forms_;
    std::vector<std::unique_ptr<TForm>> owned_;
    friend void AdoptForm(std::unique_ptr<TForm> form);
};

extern TApplication Application;

// Hands ownership of a created form to the application.
void AdoptForm(std::unique_ptr<TForm> form);

// Form creation rule: the reference is set before the creation handler runs,
// and set back to empty when construction fails.
template <class T>
void CreateForm(T*& reference) {
    auto form = std::make_unique<T>();
    reference = form.get();
    try {
        Application.AddForm(form.get());
        form->Create();
    } catch (...) {
        Application.RemoveForm(form.get());
        reference = nullptr;
        throw;
    }
    AdoptForm(std::move(form));
}

}  // namespace tk

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
    TBitmapPicture() = default;
    void* bitmap_ = nullptr;
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

// Unhandled failures inside handlers land here; the default shows the
// error in a message box and carries on.
using TExceptionEvent = std::function<void(const std::string& what)>;
extern TExceptionEvent OnException;
void HandleException(const std::string& what);

}  // namespace tk
