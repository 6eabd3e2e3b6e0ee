// The toolkit's forms: windows built from stored layouts, their painting,
// pieces, focus and modal showing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/components.h"
#include "platform/drawing.h"

namespace tk {

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
    // Paints areas of the picture (form coordinates) at once through the
    // window's device context: a jump repaints where the logo was and is
    // without the round trips of an update region. A form shown as pieces,
    // or hidden, has them invalidated and updated instead.
    void PaintNow(const std::vector<TRect>& areas);
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
    // One window's place in a move of several forms' pieces. A window that
    // shows the same part of its picture at the same size keeps its pixels.
    struct TWindowPlace {
        Hwnd Window;
        TRect Rect;
        bool Show, Hide;
        bool KeepsPicture = false;
    };
    // What ShowAsPieces would place, the piece windows made or gone already.
    std::vector<TWindowPlace> PiecePlaces(int32_t originX, int32_t originY, const std::vector<TRect>& pieces);
    // Places windows of any forms in one deferred move (one by one when the
    // system refuses it), each re-asserted top-most on the way.
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
    TGraphicControl* SinglePassCover(const TRect& area) const;
    // Paints area off-screen first, then copies it to dc.
    void PaintComposed(Hdc dc, const TRect& area);
    // The kept off-screen DC, holding a bitmap of at least width x height
    // compatible with dc; nullptr when none can be made.
    Hdc CompositionDc(Hdc dc, int32_t width, int32_t height);
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
    struct TComposition;
    std::unique_ptr<TComposition> composition_;
    // The own window is hidden because the picture had no piece to show.
    bool hiddenForNoPieces_ = false;
    std::vector<std::unique_ptr<TComponent>> components_;
    std::vector<TGraphicControl*> graphics_;
    std::vector<TWinControl*> winControls_;
    std::map<std::string, TNotifyEvent> notifyHandlers_;
    std::map<std::string, TKeyPressEvent> keyHandlers_;
    friend class TApplication;
};

}  // namespace tk
