// Forms: a top-level window built from a stored layout, its components and its
// events. Geometry, showing, focus and painting have files of their own.
#include <windows.h>

#include <algorithm>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/formInternal.h"
#include "platform/win/winInternal.h"

namespace tk {

namespace {

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

TForm::TForm(std::string layoutResource) : layoutResource_(std::move(layoutResource)) { LiveForms().push_back(this); }

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
    DestroyPieceWindows(0);
    if (handle_ != nullptr) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
    if (font_ != nullptr) DeleteObject(font_);
}

void TForm::Create() {
    // A layout given inline (forms built at run time) or a stored one.
    std::string text =
        layoutResource_.rfind("form ", 0) == 0 ? layoutResource_ : win::ResourceText(layoutResource_.c_str());
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
    const UINT classStyle = CS_DBLCLKS | (form.Bool("ownDc", false) ? CS_OWNDC : 0);
    win::RegisterWindowClass(className.c_str(), FormProc, classStyle,
                             LoadIconA(Application.Instance(), MAKEINTRESOURCEA(1)));
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
    // A button on the taskbar and a place in Alt+Tab, although the application window owns it.
    if (form.Bool("showInTaskbar", false)) exStyle |= WS_EX_APPWINDOW;
    // Not even a click activates it.
    activates_ = form.Bool("activates", true);
    if (!activates_) exStyle |= WS_EX_NOACTIVATE;
    exStyle |= WS_EX_CONTROLPARENT;
    handle_ = CreateWindowExA(exStyle, className.c_str(), form.Text("caption", name_).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 100, 100, Application.Handle(), nullptr, Application.Instance(), this);
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
    graphics_.erase(
        std::remove_if(graphics_.begin(), graphics_.end(), [component](TGraphicControl* c) { return c == component; }),
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

int64_t TForm::WindowProc(uint32_t msg, uint64_t wParam, int64_t lParam) {
    int64_t result = 0;
    // A new display may want another format of off-screen bitmap.
    if (msg == WM_DISPLAYCHANGE) composition_.reset();
    if (FormMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(handle_, &client);
            PaintWindowArea(reinterpret_cast<HDC>(wParam), win::FromRect(client), originX_, originY_);
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // painting covers the whole client area
        case WM_TIMER:
            for (const auto& component : components_) {
                if (component->TimerMessage(wParam)) return 0;
            }
            break;
        case WM_CLOSE: Close(); return 0;
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
        default: break;
    }
    return DefWindowProcA(handle_, msg, wParam, lParam);
}

}  // namespace tk
