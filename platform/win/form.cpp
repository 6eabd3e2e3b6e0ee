// Forms: a top-level window built from a stored layout, its components, its
// events, painting composed off-screen, showing, closing and modal showing.
#include <windows.h>

#include <algorithm>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/winInternal.h"

namespace tk {

namespace {

// Off-screen composition works in tiles of at most this many pixels, so the
// memory a repaint needs does not grow with the size of the window.
constexpr int32_t kTilePixels = 256 * 1024;
constexpr int32_t kTileMaxWidth = 1024;

std::map<std::string, TComponentFactory>& Factories() {
    static std::map<std::string, TComponentFactory> factories;
    return factories;
}

// Every form alive, so that messages find forms made outside the
// application's list (dialogs built at run time). Never freed: forms still
// owned by the application may go during static destruction.
std::vector<TForm*>& LiveForms() {
    static auto* forms = new std::vector<TForm*>();
    return *forms;
}

TWinControl* ControlOf(const std::vector<TWinControl*>& controls, HWND window);

// Shift, Ctrl or Alt held: Enter then presses no button.
bool ModifierDown() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0 || (GetKeyState(VK_CONTROL) & 0x8000) != 0 ||
           (GetKeyState(VK_MENU) & 0x8000) != 0;
}

LRESULT CALLBACK FormProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr || form->Handle() != window) {
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    try {
        return form->WindowProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        HandleException(e.what());
    } catch (...) {
        HandleException("Unknown error");
    }
    return 0;
}

uint32_t ColorByName(const std::string& name) {
    if (name == "btnFace") return GetSysColor(COLOR_BTNFACE);
    if (name == "btnShadow") return GetSysColor(COLOR_BTNSHADOW);
    if (name == "black") return 0;
    if (name == "white") return RGB(255, 255, 255);
    return GetSysColor(COLOR_BTNFACE);
}

bool HasWord(const std::string& list, const std::string& word) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (list.compare(start, end - start, word) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

void RegisterComponentKind(const std::string& kind, TComponentFactory factory) {
    Factories()[kind] = std::move(factory);
}

TForm::TForm(std::string layoutResource) : layoutResource_(std::move(layoutResource)) {
    LiveForms().push_back(this);
}

TForm::~TForm() {
    destroying_ = true;
    LiveForms().erase(std::remove(LiveForms().begin(), LiveForms().end(), this), LiveForms().end());
    try {
        if (showing_) Hide();
        if (OnDestroy) OnDestroy(nullptr);
    } catch (const std::exception& e) {
        HandleException(e.what());
    } catch (...) {
    }
    winControls_.clear();
    graphics_.clear();
    while (!components_.empty()) components_.pop_back();
    if (handle_ != nullptr) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
    if (font_ != nullptr) DeleteObject(font_);
}

void TForm::Create() {
    // A layout given inline (forms built at run time) or a stored one.
    std::string text = layoutResource_.rfind("form ", 0) == 0 ? layoutResource_
                                                               : win::ResourceText(layoutResource_.c_str());
    std::string error;
    if (!ParseFormLayout(text, layout_, error)) {
        throw std::runtime_error("Form layout " + layoutResource_ + ": " + error);
    }
    name_ = layout_.Form.Name;
    CreateWindowFromLayout();
    CreateComponents();
    ComponentsCreated();
    const TLayoutItem& form = layout_.Form;
    OnCreate = NotifyHandler(form.Text("onCreate", ""));
    OnDestroy = NotifyHandler(form.Text("onDestroy", ""));
    OnShow = NotifyHandler(form.Text("onShow", ""));
    OnHide = NotifyHandler(form.Text("onHide", ""));
    OnKeyPress = KeyHandler(form.Text("onKeyPress", ""));
    if (OnCreate) OnCreate(nullptr);
}

void TForm::CreateWindowFromLayout() {
    const TLayoutItem& form = layout_.Form;
    std::string className = "T" + name_;
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(Application.Instance(), className.c_str(), &windowClass)) {
        windowClass = WNDCLASSA{};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = FormProc;
        windowClass.hInstance = Application.Instance();
        windowClass.hIcon = LoadIconA(Application.Instance(), MAKEINTRESOURCEA(1));
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        windowClass.lpszClassName = className.c_str();
        if (!RegisterClassA(&windowClass)) throw std::runtime_error(win::LastErrorText());
    }
    std::string border = form.Text("borderStyle", "sizeable");
    std::string icons = form.Text("borderIcons", "systemMenu,minimize,maximize");
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    if (border == "none") {
        style |= WS_POPUP;
    } else {
        style |= WS_CAPTION;
        if (border == "dialog") {
            exStyle |= WS_EX_DLGMODALFRAME;
        } else if (border == "single") {
            style |= WS_BORDER;
        } else {
            style |= WS_THICKFRAME;
        }
        if (HasWord(icons, "systemMenu")) style |= WS_SYSMENU;
        if (HasWord(icons, "minimize") && border != "dialog") style |= WS_MINIMIZEBOX;
        if (HasWord(icons, "maximize") && border != "dialog") style |= WS_MAXIMIZEBOX;
    }
    if (form.Text("formStyle", "") == "stayOnTop") exStyle |= WS_EX_TOPMOST;
    exStyle |= WS_EX_CONTROLPARENT;
    handle_ = CreateWindowExA(exStyle, className.c_str(), form.Text("caption", name_).c_str(), style,
                              CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, Application.Handle(), nullptr,
                              Application.Instance(), this);
    if (handle_ == nullptr) throw std::runtime_error(win::LastErrorText());
    dpi_ = win::WindowDpi(handle_);
    // Client size from the stored 96-DPI layout, scaled for the monitor.
    RECT rect{0, 0, Scale(form.Int("clientWidth", 300)), Scale(form.Int("clientHeight", 200))};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    int32_t left = CW_USEDEFAULT;
    int32_t top = CW_USEDEFAULT;
    if (form.Text("position", "designed") == "designed") {
        left = form.Int("left", 0);
        top = form.Int("top", 0);
    }
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (left == static_cast<int32_t>(CW_USEDEFAULT)) flags |= SWP_NOMOVE;
    SetWindowPos(handle_, nullptr, left, top, rect.right - rect.left, rect.bottom - rect.top, flags);
    if (exStyle & WS_EX_TOPMOST) {
        SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (form.Find("font") != nullptr) {
        LOGFONTA logFont{};
        logFont.lfHeight = -Scale(form.Int("fontHeight", 11));
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(logFont.lfFaceName, form.Text("font", "Tahoma").c_str(), LF_FACESIZE);
        font_ = CreateFontIndirectA(&logFont);
    }
}

void TForm::CreateComponents() {
    for (const TLayoutItem& item : layout_.Components) {
        std::unique_ptr<TComponent> component;
        if (item.Kind == "image") {
            component = std::make_unique<TImage>(this, item.Name);
        } else if (item.Kind == "timer") {
            component = std::make_unique<TTimer>(this, item.Name);
        } else {
            auto factory = Factories().find(item.Kind);
            if (factory == Factories().end()) {
                throw std::runtime_error("Unknown component kind " + item.Kind + " in " + name_);
            }
            component.reset(factory->second(this, item));
        }
        TComponent* created = component.get();
        components_.push_back(std::move(component));
        created->Load(item);
    }
}

TComponent* TForm::FindComponent(const std::string& name) const {
    for (const auto& component : components_) {
        if (component->Name() == name) return component.get();
    }
    return nullptr;
}

TForm* TForm::FromHandle(Hwnd window) {
    if (window == nullptr) return nullptr;
    for (TForm* form : LiveForms()) {
        if (form->handle_ == window && !form->destroying_) return form;
    }
    return nullptr;
}

void TForm::InsertComponent(std::unique_ptr<TComponent> component) {
    if (component == nullptr) return;
    components_.push_back(std::move(component));
}

void TForm::DestroyComponent(TComponent* component) {
    if (component == nullptr) return;
    graphics_.erase(std::remove_if(graphics_.begin(), graphics_.end(),
                                   [component](TGraphicControl* c) { return c == component; }),
                    graphics_.end());
    winControls_.erase(std::remove_if(winControls_.begin(), winControls_.end(),
                                      [component](TWinControl* c) { return c == component; }),
                       winControls_.end());
    auto found = std::find_if(components_.begin(), components_.end(),
                              [component](const std::unique_ptr<TComponent>& c) { return c.get() == component; });
    if (found == components_.end()) return;
    std::unique_ptr<TComponent> owned = std::move(*found);
    components_.erase(found);
    if (auto* graphic = dynamic_cast<TGraphicControl*>(owned.get()); graphic != nullptr && handle_ != nullptr) {
        RECT r = win::ToRect(graphic->Bounds());
        ::InvalidateRect(handle_, &r, FALSE);
    }
    owned.reset();
}

int32_t TForm::Scale(int32_t designPixels) const { return MulDiv(designPixels, dpi_, 96); }

namespace {
RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}
}  // namespace

int32_t TForm::Left() const { return WindowRectOf(handle_).left; }
int32_t TForm::Top() const { return WindowRectOf(handle_).top; }
int32_t TForm::Width() const {
    RECT r = WindowRectOf(handle_);
    return r.right - r.left;
}
int32_t TForm::Height() const {
    RECT r = WindowRectOf(handle_);
    return r.bottom - r.top;
}

void TForm::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    RECT r = WindowRectOf(handle_);
    if (r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height) return;
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
void TForm::SetLeft(int32_t left) { SetBounds(left, Top(), Width(), Height()); }
void TForm::SetTop(int32_t top) { SetBounds(Left(), top, Width(), Height()); }
void TForm::SetWidth(int32_t width) { SetBounds(Left(), Top(), width, Height()); }
void TForm::SetHeight(int32_t height) { SetBounds(Left(), Top(), Width(), height); }

int32_t TForm::ClientWidth() const {
    RECT client{};
    GetClientRect(handle_, &client);
    return client.right - client.left;
}

int32_t TForm::ClientHeight() const {
    RECT client{};
    GetClientRect(handle_, &client);
    return client.bottom - client.top;
}

void TForm::SetClientSize(int32_t width, int32_t height) {
    RECT rect{0, 0, width, height};
    DWORD style = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    SetWindowPos(handle_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TExtent TForm::TextExtent(const std::string& text) const {
    HFONT font = font_ != nullptr ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    win::WindowDc dc(handle_);
    if (!dc) throw std::runtime_error(win::LastErrorText());
    win::SelectedObject selected(dc.Get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.Get(), &metrics);
    SIZE size{};
    int count = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF));
    if (count > 0) GetTextExtentPoint32A(dc.Get(), text.data(), count, &size);
    return TExtent{size.cx, metrics.tmHeight};
}

void TForm::SetCaption(const std::string& caption) { SetWindowTextA(handle_, caption.c_str()); }

std::string TForm::Caption() const {
    int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void TForm::Show() {
    if (showing_) {
        SetForegroundWindow(handle_);
        return;
    }
    showing_ = true;
    if (OnShow) OnShow(nullptr);
    ShowWindow(handle_, SW_SHOWNORMAL);
}

void TForm::Hide() {
    if (!showing_) return;
    ShowWindow(handle_, SW_HIDE);
    showing_ = false;
    if (OnHide) OnHide(nullptr);
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
    } else if (Application.MainForm() == this) {
        Application.Terminate();
    } else {
        Hide();
    }
}

int32_t TForm::ShowModal() {
    // Disable the program's other windows while this one is up.
    std::vector<HWND> disabled;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
            auto* list = reinterpret_cast<std::vector<HWND>*>(context);
            if (IsWindowVisible(window) && IsWindowEnabled(window)) list->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    disabled.erase(std::remove(disabled.begin(), disabled.end(), handle_), disabled.end());
    for (HWND window : disabled) EnableWindow(window, FALSE);
    HWND previousActive = GetActiveWindow();
    modal_ = true;
    modalResult_ = mrNone;
    try {
        Show();
        if (ControlOf(winControls_, GetFocus()) == nullptr) FocusFirst();
        while (modalResult_ == mrNone) {
            if (Application.Terminated()) {
                modalResult_ = mrCancel;
                break;
            }
            Application.HandleOneMessage();
        }
    } catch (...) {
        modal_ = false;
        for (HWND window : disabled) EnableWindow(window, TRUE);
        throw;
    }
    modal_ = false;
    for (HWND window : disabled) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    Hide();
    if (previousActive != nullptr && IsWindow(previousActive)) SetActiveWindow(previousActive);
    if (Application.Terminated()) PostQuitMessage(0);  // let the outer loop end too
    return modalResult_;
}

void TForm::Invalidate() { ::InvalidateRect(handle_, nullptr, FALSE); }

void TForm::InvalidateRect(const TRect& rect) {
    RECT r = win::ToRect(rect);
    ::InvalidateRect(handle_, &r, FALSE);
}

void TForm::Update() { UpdateWindow(handle_); }

void TForm::BringToTopMost() {
    SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

void TForm::RegisterHandler(const std::string& name, TNotifyEvent handler) {
    notifyHandlers_[name] = std::move(handler);
}

void TForm::RegisterKeyHandler(const std::string& name, TKeyPressEvent handler) {
    keyHandlers_[name] = std::move(handler);
}

TNotifyEvent TForm::NotifyHandler(const std::string& name) const {
    if (name.empty()) return nullptr;
    auto found = notifyHandlers_.find(name);
    if (found == notifyHandlers_.end()) throw std::runtime_error("No handler " + name + " in " + name_);
    return found->second;
}

TKeyPressEvent TForm::KeyHandler(const std::string& name) const {
    if (name.empty()) return nullptr;
    auto found = keyHandlers_.find(name);
    if (found == keyHandlers_.end()) throw std::runtime_error("No key handler " + name + " in " + name_);
    return found->second;
}

bool TForm::FormMessage(uint32_t, uint64_t, int64_t, int64_t&) { return false; }

namespace {

// Controls that take part in Tab navigation, in tab order.
std::vector<TWinControl*> TabSequence(const std::vector<TWinControl*>& controls) {
    std::vector<TWinControl*> sequence;
    for (TWinControl* control : controls) {
        if (control->TabStop() && control->Enabled() && IsWindowVisible(control->Handle())) sequence.push_back(control);
    }
    std::stable_sort(sequence.begin(), sequence.end(), [](TWinControl* a, TWinControl* b) {
        if (a->ContainerTabOrder != b->ContainerTabOrder) {
            // A control outside any container sorts by its own tab order
            // against the containers' tab orders.
            int32_t ka = a->ContainerTabOrder >= 0 ? a->ContainerTabOrder : a->TabOrder();
            int32_t kb = b->ContainerTabOrder >= 0 ? b->ContainerTabOrder : b->TabOrder();
            if (ka != kb) return ka < kb;
            return a->ContainerTabOrder >= 0 && b->ContainerTabOrder < 0;
        }
        return a->TabOrder() < b->TabOrder();
    });
    return sequence;
}

TWinControl* ControlOf(const std::vector<TWinControl*>& controls, HWND window) {
    for (TWinControl* control : controls) {
        if (control->Handle() == window || IsChild(control->Handle(), window)) return control;
    }
    return nullptr;
}

}  // namespace

void TForm::SelectNext(TWinControl* current, bool forward) {
    std::vector<TWinControl*> sequence = TabSequence(winControls_);
    if (sequence.empty()) return;
    auto found = std::find(sequence.begin(), sequence.end(), current);
    size_t index = 0;
    if (found == sequence.end()) {
        index = forward ? 0 : sequence.size() - 1;
    } else {
        size_t at = static_cast<size_t>(found - sequence.begin());
        index = forward ? (at + 1) % sequence.size() : (at + sequence.size() - 1) % sequence.size();
    }
    sequence[index]->SetFocus();
}

void TForm::FocusFirst() {
    std::vector<TWinControl*> sequence = TabSequence(winControls_);
    if (!sequence.empty()) sequence.front()->SetFocus();
}

bool TForm::DialogKey(const TMessage& msg) {
    if (winControls_.empty()) return false;
    TWinControl* focused = ControlOf(winControls_, GetFocus());
    const bool onButton = dynamic_cast<TButton*>(focused) != nullptr;
    const bool onCheckBox = dynamic_cast<TCheckBox*>(focused) != nullptr;
    if (msg.Message == WM_KEYDOWN) {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        switch (msg.WParam) {
            case VK_TAB:
                if ((GetKeyState(VK_CONTROL) & 0x8000) != 0) return false;
                SelectNext(focused, !shift);
                return true;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (focused != nullptr && focused->WantsArrows()) return false;
                if (!onButton && !onCheckBox) return false;
                SelectNext(focused, msg.WParam == VK_RIGHT || msg.WParam == VK_DOWN);
                return true;
            default:
                return false;
        }
    }
    if (msg.Message == WM_CHAR && msg.WParam == VK_RETURN && onButton && !ModifierDown()) {
        // Enter presses the focused button; its key-press handler sees it first.
        char key = static_cast<char>(msg.WParam);
        if (focused->OnKeyPress) focused->OnKeyPress(focused, key);
        if (key != 0) static_cast<TButton*>(focused)->Click();
        return true;
    }
    const bool alt = msg.Message == WM_SYSCHAR;
    if (alt || (msg.Message == WM_CHAR && (onButton || onCheckBox || focused == nullptr))) {
        char typed = static_cast<char>(msg.WParam);
        if (typed >= 'a' && typed <= 'z') typed = static_cast<char>(typed - 'a' + 'A');
        if (typed <= ' ') return false;
        for (TWinControl* control : TabSequence(winControls_)) {
            if (auto* button = dynamic_cast<TButton*>(control); button != nullptr && button->Accelerator() == typed) {
                if (!alt && focused != nullptr && focused->OnKeyPress) {
                    char key = static_cast<char>(msg.WParam);
                    focused->OnKeyPress(focused, key);
                    if (key == 0) return true;
                }
                button->SetFocus();
                button->Click();
                return true;
            }
            if (auto* box = dynamic_cast<TCheckBox*>(control); box != nullptr && box->Accelerator() == typed) {
                box->SetFocus();
                box->SetChecked(!box->Checked());
                return true;
            }
        }
    }
    return false;
}

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
    TRect area = win::FromRect(paint.Area());
    if (area.Width() <= 0 || area.Height() <= 0) return;
    if (!doubleBuffered_) {
        PaintTo(paint.Dc(), area);
        return;
    }
    const TGraphicControl* cover = SinglePassCover(area);
    if (cover == nullptr) {
        PaintComposed(paint.Dc(), area);
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
        win::SavedDc saved(paint.Dc());
        for (const TRect& r : layered) ExcludeClipRect(paint.Dc(), r.Left, r.Top, r.Right, r.Bottom);
        PaintTo(paint.Dc(), area);
    }
    for (const TRect& r : layered) PaintComposed(paint.Dc(), r);
}

int64_t TForm::WindowProc(uint32_t msg, uint64_t wParam, int64_t lParam) {
    int64_t result = 0;
    if (FormMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(handle_, &client);
            PaintTo(reinterpret_cast<HDC>(wParam), win::FromRect(client));
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painting covers the whole client area
        case WM_TIMER:
            for (const auto& component : components_) {
                if (auto* timer = dynamic_cast<TTimer*>(component.get()); timer != nullptr && timer->Id() == wParam) {
                    timer->Tick();
                    return 0;
                }
            }
            break;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_ACTIVATE:
            // Keep the focused control across deactivation, as dialogs do.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (ControlOf(winControls_, focus) != nullptr) lastFocus_ = focus;
            } else {
                Application.NoteActiveForm(handle_);
            }
            break;
        case WM_SETFOCUS:
            if (!winControls_.empty()) {
                TWinControl* last = ControlOf(winControls_, lastFocus_);
                if (last != nullptr && last->TabStop() && last->Enabled() && IsWindowVisible(last->Handle())) {
                    ::SetFocus(lastFocus_);
                } else {
                    FocusFirst();
                }
                return 0;
            }
            break;
        case WM_COMMAND:
            if (lParam != 0) {
                for (TWinControl* control : winControls_) {
                    if (control->Handle() == reinterpret_cast<HWND>(lParam)) {
                        control->Command(HIWORD(wParam));
                        return 0;
                    }
                }
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<int64_t>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_CHAR:
            if (OnKeyPress) {
                char key = static_cast<char>(wParam);
                OnKeyPress(nullptr, key);
                if (key == 0) return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(handle_, msg, wParam, lParam);
}

}  // namespace tk
