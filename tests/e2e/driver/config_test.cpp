// The configuration dialog as a person uses it: started with no argument or
// over another program's window, edited with keyboard and mouse, closed every
// way, with the settings it leaves in the registry and the web and mail links
// it hands to the shell.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

using e2e::ClassOf;
using e2e::Descendants;
using e2e::FindChild;
using e2e::TextOf;

const char kConfigClass[] = "TfrmConfig";
const char kCaption[] = "Kestrane Workstation Screen Saver Configuration";
const char kAboutCaption[] = "About Kestrane Workstation Screen Saver 1.38...";
const char kDefaultLine1[] = "Partial Screen Saver for Kestrane Workstations";
const char kDefaultLine2[] = "Click or move the mouse to close it...";

struct CleanSettings {
    CleanSettings() { e2e::DeleteSettingsKey(); }
    ~CleanSettings() { e2e::DeleteSettingsKey(); }
};

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void MouseButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(INPUT));
}

void Wheel(int delta) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(delta);
    SendInput(1, &input, sizeof(INPUT));
}

void ClickCentre(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    e2e::ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Sleep(100);
}

// The dialog's input controls, found by what they are rather than by handle.
struct ConfigDialog {
    HWND Form = nullptr;
    HWND Cover = nullptr;     // list of four
    HWND Movement = nullptr;  // list of two
    HWND Spin = nullptr;      // the spin field
    HWND SpinBox = nullptr;   // its edit box
    HWND Line1 = nullptr, Line2 = nullptr;
    HWND Borders = nullptr;
    HWND Ok = nullptr, Cancel = nullptr, Apply = nullptr, About = nullptr, Order = nullptr;

    int CoverIndex() const { return static_cast<int>(SendMessageA(Cover, CB_GETCURSEL, 0, 0)); }
    int MovementIndex() const { return static_cast<int>(SendMessageA(Movement, CB_GETCURSEL, 0, 0)); }
    bool BordersTicked() const { return SendMessageA(Borders, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool ApplyEnabled() const { return IsWindowEnabled(Apply) != FALSE; }
};

ConfigDialog Inspect(HWND form) {
    ConfigDialog d;
    d.Form = form;
    for (HWND child : Descendants(form)) {
        std::string cls = ClassOf(child);
        if (lstrcmpiA(cls.c_str(), "ComboBox") == 0) {
            LRESULT count = SendMessageA(child, CB_GETCOUNT, 0, 0);
            if (count == 4) d.Cover = child;
            if (count == 2) d.Movement = child;
        } else if (cls == "TJvSpinEdit") {
            d.Spin = child;
        } else if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
            if (GetParent(child) != form) {
                d.SpinBox = child;
                continue;
            }
            RECT r{};
            GetWindowRect(child, &r);
            RECT other{};
            if (d.Line1 == nullptr) {
                d.Line1 = child;
            } else if (GetWindowRect(d.Line1, &other) && other.top > r.top) {
                d.Line2 = d.Line1;
                d.Line1 = child;
            } else {
                d.Line2 = child;
            }
        }
    }
    d.Borders = FindChild(form, "Button", "w/ borders");
    d.Ok = FindChild(form, "Button", "&OK");
    d.Cancel = FindChild(form, "Button", "&Cancel");
    d.Apply = FindChild(form, "Button", "&Apply");
    d.About = FindChild(form, "Button", "A&bout...");
    d.Order = FindChild(form, "Button", "O&rder this screen saver with your company logo and contact data");
    E2E_REQUIRE(d.Cover && d.Movement && d.Spin && d.SpinBox && d.Line1 && d.Line2 && d.Borders);
    E2E_REQUIRE(d.Ok && d.Cancel && d.Apply && d.About && d.Order);
    return d;
}

// The dialog once it is up, in front, with the keyboard focus on its first
// control.
ConfigDialog WaitForConfig(const e2e::Process& process, HWND ConfigDialog::*first = &ConfigDialog::Cover) {
    HWND form = e2e::WaitForWindow(process.Id(), kConfigClass, 10000);
    E2E_REQUIRE(form != nullptr);
    ConfigDialog d = Inspect(form);
    if (!e2e::WaitUntil([&] { return GetForegroundWindow() == form; }, 2000)) SetForegroundWindow(form);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(form) == d.*first; }, 3000));
    return d;
}

bool Ended(e2e::Process& process, DWORD* code = nullptr) { return process.WaitExit(5000, code); }

std::string StringValue(const char* name) {
    DWORD type = 0;
    std::string bytes;
    if (!e2e::ReadValue(name, type, bytes) || type != REG_SZ) return "<missing>";
    return bytes.substr(0, bytes.find('\0'));
}

int64_t DwordValue(const char* name) {
    DWORD type = 0;
    std::string bytes;
    if (!e2e::ReadValue(name, type, bytes) || type != REG_DWORD || bytes.size() != 4) return -999;
    int32_t value = 0;
    std::memcpy(&value, bytes.data(), 4);
    return value;
}

void ExpectSaved(int cover, int time, int movement, int borders, const std::string& line1, const std::string& line2) {
    E2E_CHECK_EQ(e2e::ValueCount(), 6);
    E2E_CHECK_EQ(DwordValue("CoverArea"), cover);
    E2E_CHECK_EQ(DwordValue("TransitionTime"), time);
    E2E_CHECK_EQ(DwordValue("MovementType"), movement);
    E2E_CHECK_EQ(DwordValue("DrawBorders"), borders);
    E2E_CHECK_EQ(StringValue("TextLine1"), line1);
    E2E_CHECK_EQ(StringValue("TextLine2"), line2);
}

// ---- the shell's launches, seen through Wine's browser launcher ----

std::string UnixTempName(const char* stem, const char* extension) {
    return "/tmp/" + std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + extension;
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// An address as a browser launcher passes it on: an http address without a
// path gets the root path "/".
std::string AsLaunched(const std::string& url) {
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) == 0 && url.find('/', scheme.size()) == std::string::npos) {
        return url + "/";
    }
    return url;
}

// Points Wine's browser and mailer at a script that logs each address it is
// given; puts the previous launcher settings back when it goes.
class UrlRecorder {
public:
    UrlRecorder() : script_(UnixTempName("kestrane-e2e-url", ".sh")), log_(UnixTempName("kestrane-e2e-url", ".log")) {
        if (FILE* f = std::fopen(WindowsPathOf(script_).c_str(), "wb")) {
            std::string body = "printf '%s\\n' \"$@\" >> " + log_ + "\n";
            std::fwrite(body.data(), 1, body.size(), f);
            std::fclose(f);
        }
        DeleteFileA(WindowsPathOf(log_).c_str());
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        Save("Browsers", browsers_);
        Save("Mailers", mailers_);
        std::string command = "/bin/sh " + script_;
        RegSetValueExA(key_, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegSetValueExA(key_, "Mailers", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    ~UrlRecorder() {
        if (key_ != nullptr) {
            Restore("Browsers", browsers_);
            Restore("Mailers", mailers_);
            RegCloseKey(key_);
        }
        DeleteFileA(WindowsPathOf(script_).c_str());
        DeleteFileA(WindowsPathOf(log_).c_str());
    }
    UrlRecorder(const UrlRecorder&) = delete;
    UrlRecorder& operator=(const UrlRecorder&) = delete;

    std::vector<std::string> Urls() const {
        std::vector<std::string> urls;
        FILE* f = std::fopen(WindowsPathOf(log_).c_str(), "rb");
        if (f == nullptr) return urls;
        std::string line;
        int c = 0;
        while ((c = std::fgetc(f)) != EOF) {
            if (c == '\n') {
                urls.push_back(Unescape(line));
                line.clear();
            } else {
                line += static_cast<char>(c);
            }
        }
        std::fclose(f);
        return urls;
    }
    // The next address launched after count earlier ones, or "<none>".
    std::string WaitForUrl(size_t count, DWORD timeoutMs = 8000) const {
        std::vector<std::string> urls;
        e2e::WaitUntil(
            [&] {
                urls = Urls();
                return urls.size() > count;
            },
            timeoutMs);
        return urls.size() > count ? urls[count] : std::string("<none>");
    }

private:
    struct Saved {
        bool Present = false;
        DWORD Type = 0;
        std::string Data;
    };
    void Save(const char* name, Saved& saved) {
        DWORD size = 0;
        if (RegQueryValueExA(key_, name, nullptr, &saved.Type, nullptr, &size) != ERROR_SUCCESS) return;
        saved.Data.assign(size, '\0');
        if (RegQueryValueExA(key_, name, nullptr, &saved.Type, reinterpret_cast<BYTE*>(saved.Data.data()), &size) ==
            ERROR_SUCCESS) {
            saved.Present = true;
            saved.Data.resize(size);
        }
    }
    void Restore(const char* name, const Saved& saved) {
        if (saved.Present) {
            RegSetValueExA(key_, name, 0, saved.Type, reinterpret_cast<const BYTE*>(saved.Data.data()),
                           static_cast<DWORD>(saved.Data.size()));
        } else {
            RegDeleteValueA(key_, name);
        }
    }

    static constexpr const char* kKey = "Software\\Wine\\WineBrowser";
    std::string script_;
    std::string log_;
    HKEY key_ = nullptr;
    Saved browsers_, mailers_;
};

// ---- a host window of another program ----

// A 600 x 400 top-level window at (100, 100) with one child, served by a
// thread of its own so that the dialog's calls on it are answered.
class HostWindow {
public:
    HostWindow() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &HostWindow::Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, 5000);
    }
    ~HostWindow() {
        if (Top != nullptr) PostMessageA(Top, WM_CLOSE, 0, 0);
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Top = nullptr;
    HWND Child = nullptr;
    HWND Owned = nullptr;  // a small top-level window owned by Top, as a settings page's own dialog

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<HostWindow*>(param);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = "KestraneE2EHost";
        RegisterClassA(&windowClass);
        self->Top = CreateWindowExA(WS_EX_DLGMODALFRAME, "KestraneE2EHost", "Display Properties",
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100, 600, 400, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
        self->Child = CreateWindowExA(0, "STATIC", "preview", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, self->Top,
                                      nullptr, windowClass.hInstance, nullptr);
        self->Owned = CreateWindowExA(0, "KestraneE2EHost", "Screen Saver Settings", WS_POPUP | WS_CAPTION, 150, 150,
                                      300, 200, self->Top, nullptr, windowClass.hInstance, nullptr);
        SetEvent(self->ready_);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (IsWindow(self->Top)) DestroyWindow(self->Top);
        return 0;
    }

    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

// The message dialog shows its title with a space in front.
bool IsAboutBox(const e2e::WindowInfo& w) {
    size_t start = w.Title.find_first_not_of(' ');
    return start != std::string::npos && w.Title.substr(start) == kAboutCaption;
}

HWND WaitForAbout(const e2e::Process& process) {
    HWND about = nullptr;
    e2e::WaitUntil(
        [&] {
            for (const e2e::WindowInfo& w : e2e::WindowsOf(process.Id())) {
                if (IsAboutBox(w)) {
                    about = w.Handle;
                    return true;
                }
            }
            return false;
        },
        5000);
    return about;
}

bool AboutGone(const e2e::Process& process) {
    return e2e::WaitUntil(
        [&] {
            for (const e2e::WindowInfo& w : e2e::WindowsOf(process.Id())) {
                if (IsAboutBox(w)) return false;
            }
            return true;
        },
        3000);
}

}  // namespace

E2E_TEST(config, OpensWithItsCaptionSizeAndTheStoredSettings) {
    CleanSettings clean;
    e2e::PutDword("CoverArea", 2);
    e2e::PutDword("TransitionTime", 3);
    e2e::PutDword("MovementType", 0);
    e2e::PutDword("DrawBorders", 0);
    e2e::PutString("TextLine1", "First line");
    e2e::PutString("TextLine2", "Second line");
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    E2E_CHECK_EQ(TextOf(d.Form), std::string(kCaption));
    RECT client{};
    GetClientRect(d.Form, &client);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    E2E_CHECK_EQ(static_cast<int>(client.right), MulDiv(578, dpi, 96));
    E2E_CHECK_EQ(static_cast<int>(client.bottom), MulDiv(260, dpi, 96));
    E2E_CHECK_EQ(d.CoverIndex(), 2);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("3"));
    E2E_CHECK_EQ(d.MovementIndex(), 0);
    E2E_CHECK(!d.BordersTicked());
    E2E_CHECK_EQ(TextOf(d.Line1), std::string("First line"));
    E2E_CHECK_EQ(TextOf(d.Line2), std::string("Second line"));
    E2E_CHECK(!d.ApplyEnabled());
    // The contact block with its links.
    E2E_CHECK(FindChild(d.Form, "TKestraneLabel", "info@varnel.example") != nullptr);
    E2E_CHECK(FindChild(d.Form, "TKestraneLabel", "www.varnel.example") != nullptr);
    E2E_CHECK(FindChild(d.Form, "TKestraneLabel", "savers.varnel.example") != nullptr);
    PostMessageA(d.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
    E2E_CHECK_EQ(e2e::ValueCount(), 6);  // nothing rewritten: still what the test stored
    E2E_CHECK_EQ(StringValue("TextLine1"), std::string("First line"));
}

E2E_TEST(config, StoredValuesTheControlsCannotShowEnableApply) {
    CleanSettings clean;
    e2e::PutDword("CoverArea", 7);
    e2e::PutDword("TransitionTime", 9);
    const std::string sixty(60, 'x');
    e2e::PutString("TextLine1", sixty);
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    E2E_CHECK_EQ(d.CoverIndex(), -1);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("5"));
    E2E_CHECK_EQ(TextOf(d.Line1), sixty);
    E2E_CHECK(d.ApplyEnabled());
    ClickCentre(d.Ok);
    E2E_CHECK(Ended(process));
    ExpectSaved(-1, 5, 1, 1, sixty, kDefaultLine2);
}

E2E_TEST(config, CoverChangedByKeyboardTogglesApplyWhichSavesAll) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    E2E_CHECK_EQ(d.CoverIndex(), 1);
    E2E_CHECK(!d.ApplyEnabled());
    e2e::PressKey(VK_DOWN);
    E2E_CHECK(e2e::WaitUntil([&] { return d.CoverIndex() == 2; }, 2000));
    E2E_CHECK_EQ(TextOf(d.Cover), std::string("1/4"));
    E2E_CHECK(e2e::WaitUntil([&] { return d.ApplyEnabled(); }, 2000));
    e2e::PressKey(VK_UP);
    E2E_CHECK(e2e::WaitUntil([&] { return d.CoverIndex() == 1; }, 2000));
    E2E_CHECK(e2e::WaitUntil([&] { return !d.ApplyEnabled(); }, 2000));
    e2e::PressKey(VK_DOWN);
    E2E_CHECK(e2e::WaitUntil([&] { return d.ApplyEnabled(); }, 2000));
    E2E_CHECK_EQ(e2e::ValueCount(), 0);
    ClickCentre(d.Apply);
    E2E_CHECK(e2e::WaitUntil([&] { return e2e::ValueCount() == 6; }, 3000));
    ExpectSaved(2, 2, 1, 1, kDefaultLine1, kDefaultLine2);
    E2E_CHECK(!d.ApplyEnabled());
    E2E_CHECK(process.Running());  // Apply keeps the dialog open
    // Cancel afterwards keeps what Apply saved.
    ClickCentre(d.Cancel);
    E2E_CHECK(Ended(process));
    ExpectSaved(2, 2, 1, 1, kDefaultLine1, kDefaultLine2);
}

E2E_TEST(config, OkWithoutChangesWritesAllSix) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    E2E_CHECK_EQ(e2e::ValueCount(), 0);
    ClickCentre(d.Ok);
    DWORD code = 99;
    E2E_CHECK(Ended(process, &code));
    E2E_CHECK_EQ(code, 0ul);
    ExpectSaved(1, 2, 1, 1, kDefaultLine1, kDefaultLine2);
}

E2E_TEST(config, EscCancelAndTheCloseBoxWriteNothing) {
    CleanSettings clean;
    {
        e2e::Process process = e2e::Process::Start("");
        ConfigDialog d = WaitForConfig(process);
        e2e::PressKey(VK_DOWN);  // a change that must not be kept
        E2E_CHECK(e2e::WaitUntil([&] { return d.ApplyEnabled(); }, 2000));
        e2e::PressKey(VK_ESCAPE);
        E2E_CHECK(Ended(process));
        E2E_CHECK_EQ(e2e::ValueCount(), 0);
    }
    {
        e2e::Process process = e2e::Process::Start("");
        ConfigDialog d = WaitForConfig(process);
        ClickCentre(d.Cancel);
        E2E_CHECK(Ended(process));
        E2E_CHECK_EQ(e2e::ValueCount(), 0);
    }
    {
        e2e::Process process = e2e::Process::Start("");
        ConfigDialog d = WaitForConfig(process);
        PostMessageA(d.Form, WM_SYSCOMMAND, SC_CLOSE, 0);
        E2E_CHECK(Ended(process));
        E2E_CHECK_EQ(e2e::ValueCount(), 0);
    }
}

E2E_TEST(config, EnterInATextFieldActsAsOk) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    // Tab order: cover, time, movement, then the first text line.
    for (int i = 0; i < 3; ++i) e2e::PressKey(VK_TAB);
    E2E_REQUIRE(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.Line1; }, 2000));
    Sleep(100);
    e2e::TypeText("Hello");  // entering by Tab selected the old text
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.Line1) == "Hello"; }, 2000));
    e2e::PressKey(VK_RETURN);
    E2E_CHECK(Ended(process));
    ExpectSaved(1, 2, 1, 1, "Hello", kDefaultLine2);
}

E2E_TEST(config, SpinFieldTakesDigitsWithinItsBounds) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("2"));
    e2e::PressKey(VK_TAB);
    E2E_REQUIRE(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.SpinBox; }, 2000));
    Sleep(100);
    e2e::TypeText("7");
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "5"; }, 2000));
    E2E_CHECK(e2e::WaitUntil([&] { return d.ApplyEnabled(); }, 2000));
    e2e::TypeText("a");
    Sleep(300);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("5"));
    e2e::PressKey(VK_DOWN);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "4"; }, 2000));
    // The upper part of the spin button steps up once per click.
    RECT spin{};
    GetWindowRect(d.Spin, &spin);
    RECT box{};
    GetWindowRect(d.SpinBox, &box);
    e2e::ClickAt(box.right + 3, box.top + 3);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "5"; }, 2000));
    e2e::PressKey(VK_ESCAPE);
    E2E_CHECK(Ended(process));
    E2E_CHECK_EQ(e2e::ValueCount(), 0);
}

E2E_TEST(config, SpinButtonRepeatsWhileHeldAndTheWheelSteps) {
    CleanSettings clean;
    e2e::PutDword("TransitionTime", 1);
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("1"));
    RECT box{};
    GetWindowRect(d.SpinBox, &box);
    // Held on the upper part: one step at once, the next after 400 ms, then
    // every 100 ms up to the bound.
    e2e::MoveCursor(box.right + 3, box.top + 3);
    Sleep(50);
    MouseButton(true);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "2"; }, 1000));
    Sleep(250);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("2"));
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "5"; }, 2000));
    MouseButton(false);
    E2E_CHECK_EQ(FocusOf(d.Form), d.SpinBox);  // pressing the button gave the field the focus
    // One step per wheel message.
    Wheel(-WHEEL_DELTA);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "4"; }, 2000));
    Wheel(WHEEL_DELTA);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "5"; }, 2000));
    // Entered by a click into the box, the caret is placed and a second
    // digit does not fit.
    e2e::PressKey(VK_TAB);
    E2E_REQUIRE(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.Movement; }, 2000));
    e2e::ClickAt(box.left + 4, (box.top + box.bottom) / 2);
    E2E_REQUIRE(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.SpinBox; }, 2000));
    Sleep(100);
    e2e::TypeText("3");
    Sleep(300);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("5"));
    e2e::PressKey(VK_ESCAPE);
    E2E_CHECK(Ended(process));
}

E2E_TEST(config, SpinStepBackToTheLastReportedValueIsNotAChange) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    e2e::PressKey(VK_TAB);
    E2E_REQUIRE(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.SpinBox; }, 2000));
    // Stored 2; the field last reported 1, so stepping to 1 raises nothing.
    e2e::PressKey(VK_DOWN);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "1"; }, 2000));
    Sleep(200);
    E2E_CHECK(!d.ApplyEnabled());
    ClickCentre(d.Ok);
    E2E_CHECK(Ended(process));
    ExpectSaved(1, 1, 1, 1, kDefaultLine1, kDefaultLine2);
}

E2E_TEST(config, OverAHostWindowDisablesItsParentAndCentresOnIt) {
    CleanSettings clean;
    HostWindow host;
    E2E_REQUIRE(host.Top != nullptr && host.Child != nullptr);
    // Given as a number above 2147483647, which Wine reads as the window of
    // its low word (a high word of 0xFFFF names any of the window's generations).
    const uint32_t child = 0xFFFF0000u | static_cast<uint32_t>(reinterpret_cast<uintptr_t>(host.Child) & 0xFFFFu);
    e2e::Process process = e2e::Process::Start("/c:" + std::to_string(child));
    HWND form = e2e::WaitForWindow(process.Id(), kConfigClass, 10000);
    E2E_REQUIRE(form != nullptr);
    E2E_CHECK(!IsWindowEnabled(host.Top));
    RECT r{};
    GetWindowRect(form, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    E2E_CHECK_EQ(static_cast<int>(r.left), 400 - width / 2);
    E2E_CHECK_EQ(static_cast<int>(r.top), 300 - height / 2);
    ConfigDialog d = Inspect(form);
    ClickCentre(d.Ok);
    E2E_CHECK(Ended(process));
    E2E_CHECK(IsWindowEnabled(host.Top));
    E2E_CHECK(e2e::WaitUntil([&] { return GetForegroundWindow() == host.Top; }, 2000));
    ExpectSaved(1, 2, 1, 1, kDefaultLine1, kDefaultLine2);
}

E2E_TEST(config, OverAWindowWithoutParentOpensAtTheWorkAreasCorner) {
    CleanSettings clean;
    HostWindow host;
    E2E_REQUIRE(host.Top != nullptr);
    const uint32_t top = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(host.Top));
    e2e::Process process = e2e::Process::Start("/c " + std::to_string(top));
    HWND form = e2e::WaitForWindow(process.Id(), kConfigClass, 10000);
    E2E_REQUIRE(form != nullptr);
    E2E_CHECK(IsWindowEnabled(host.Top));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    GetWindowRect(form, &r);
    E2E_CHECK_EQ(r.left, work.left);
    E2E_CHECK_EQ(r.top, work.top);
    PostMessageA(form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
    E2E_CHECK(IsWindowEnabled(host.Top));
}

const char kProductPage[] = "http://savers.varnel.example/kestrane.html";
const char kOrderPage[] = "http://savers.varnel.example/order.html";

E2E_TEST(config, ContactLinksAndTheOrderButtonOpenTheirAddresses) {
    CleanSettings clean;
    UrlRecorder recorder;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    const struct {
        HWND Control;
        std::string Url;
    } links[] = {
        {FindChild(d.Form, "TKestraneLabel", "info@varnel.example"),
         "mailto:info@varnel.example?Subject=Kestrane Workstation Screen Saver&Body=Please enter your message here..."},
        {FindChild(d.Form, "TKestraneLabel", "www.varnel.example"), "http://www.varnel.example"},
        {FindChild(d.Form, "TKestraneLabel", "savers.varnel.example"), "http://savers.varnel.example"},
        {d.Order, kOrderPage},
    };
    size_t launched = 0;
    for (const auto& link : links) {
        E2E_REQUIRE(link.Control != nullptr);
        ClickCentre(link.Control);
        E2E_CHECK_EQ(recorder.WaitForUrl(launched), AsLaunched(link.Url));
        ++launched;
    }
    Sleep(500);
    E2E_CHECK_EQ(recorder.Urls().size(), launched);
    E2E_CHECK(process.Running());
    PostMessageA(d.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
    E2E_CHECK_EQ(e2e::ValueCount(), 0);
}

E2E_TEST(config, AboutBoxOffersTheProductAndOrderPages) {
    CleanSettings clean;
    UrlRecorder recorder;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    const struct {
        const char* Button;  // nullptr: closed with Esc
        std::string Url;     // empty: nothing opens
    } answers[] = {{"&Close", ""}, {nullptr, ""}, {"&More info", kProductPage}, {"&Order now!", kOrderPage}};
    size_t launched = 0;
    for (const auto& answer : answers) {
        ClickCentre(d.About);
        HWND about = WaitForAbout(process);
        E2E_REQUIRE(about != nullptr);
        E2E_CHECK(FindChild(about, "Button", "&Close") != nullptr);
        E2E_CHECK(FindChild(about, "Button", "&More info") != nullptr);
        E2E_CHECK(FindChild(about, "Button", "&Order now!") != nullptr);
        if (answer.Button == nullptr) {
            e2e::PressKey(VK_ESCAPE);
        } else {
            HWND button = FindChild(about, "Button", answer.Button);
            E2E_REQUIRE(button != nullptr);
            ClickCentre(button);
        }
        E2E_CHECK(AboutGone(process));
        E2E_CHECK(process.Running());
        if (answer.Url.empty()) {
            Sleep(1500);
            E2E_CHECK_EQ(recorder.Urls().size(), launched);
        } else {
            E2E_CHECK_EQ(recorder.WaitForUrl(launched), AsLaunched(answer.Url));
            ++launched;
        }
    }
    PostMessageA(d.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
}

namespace {

// A second start while the dialog runs: refused at once, after bringing the
// first copy forward.
void StartSecondCopy() {
    e2e::Process second = e2e::Process::Start("/c");
    DWORD code = 99;
    E2E_CHECK(second.WaitExit(5000, &code));
    E2E_CHECK_EQ(code, 0ul);
}

// The window that has the keyboard once the second start is over.
bool HasTheKeyboard(HWND window) {
    return e2e::WaitUntil([&] { return GetForegroundWindow() == window; }, 3000);
}

}  // namespace

E2E_TEST(config, ASecondStartLeavesTheRunningDialogReadyForTheKeyboard) {
    CleanSettings clean;
    {
        e2e::Process process = e2e::Process::Start("/c");
        ConfigDialog d = WaitForConfig(process);
        e2e::PressKey(VK_DOWN);  // a change that Esc must not keep
        E2E_CHECK(e2e::WaitUntil([&] { return d.ApplyEnabled(); }, 2000));
        StartSecondCopy();
        E2E_CHECK(HasTheKeyboard(d.Form));
        E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.Cover; }, 2000));
        const DWORD start = GetTickCount();
        e2e::PressKey(VK_ESCAPE);
        E2E_CHECK(process.WaitExit(1000));
        e2e::Note("Esc ended the first copy " + std::to_string(GetTickCount() - start) + " ms after the key");
        E2E_CHECK_EQ(e2e::ValueCount(), 0);
    }
    {
        e2e::Process process = e2e::Process::Start("/c");
        ConfigDialog d = WaitForConfig(process);
        StartSecondCopy();
        E2E_CHECK(HasTheKeyboard(d.Form));
        e2e::PressKey(VK_RETURN);
        E2E_CHECK(Ended(process));
        ExpectSaved(1, 2, 1, 1, kDefaultLine1, kDefaultLine2);
    }
}

E2E_TEST(config, ASecondStartBringsTheOpenAboutBoxForward) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("/c");
    ConfigDialog d = WaitForConfig(process);
    ClickCentre(d.About);
    HWND about = WaitForAbout(process);
    E2E_REQUIRE(about != nullptr);
    StartSecondCopy();
    E2E_CHECK(HasTheKeyboard(about));
    e2e::PressKey(VK_ESCAPE);
    E2E_CHECK(AboutGone(process));
    E2E_CHECK(process.Running());
    E2E_CHECK(HasTheKeyboard(d.Form));
    e2e::PressKey(VK_ESCAPE);
    E2E_CHECK(Ended(process));
    E2E_CHECK_EQ(e2e::ValueCount(), 0);
}

E2E_TEST(config, AboutBoxOpensWithItsCaptionOnTheScreen) {
    CleanSettings clean;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT form{};
    GetWindowRect(d.Form, &form);
    e2e::Note("dialog at (" + std::to_string(form.left) + ", " + std::to_string(form.top) + ")");
    ClickCentre(d.About);
    HWND about = WaitForAbout(process);
    E2E_REQUIRE(about != nullptr);
    RECT box{};
    GetWindowRect(about, &box);
    e2e::Note("About box at (" + std::to_string(box.left) + ", " + std::to_string(box.top) + ")");
    // Centred over a dialog at the top of the screen it would start above it.
    E2E_CHECK(box.left >= work.left && box.top >= work.top);
    E2E_CHECK(box.right <= work.right && box.bottom <= work.bottom);
    e2e::PressKey(VK_ESCAPE);
    E2E_REQUIRE(AboutGone(process));

    // Over a centred dialog the box stays exactly where the centring puts it.
    const int fw = form.right - form.left;
    const int fh = form.bottom - form.top;
    const int fx = (work.right - work.left - fw) / 2;
    const int fy = (work.bottom - work.top - fh) / 2;
    SetWindowPos(d.Form, nullptr, fx, fy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    E2E_CHECK(e2e::WaitUntil([&] { return e2e::Describe(d.Form).Rect.left == fx; }, 2000));
    ClickCentre(d.About);
    about = WaitForAbout(process);
    E2E_REQUIRE(about != nullptr);
    GetWindowRect(about, &box);
    const int bw = box.right - box.left;
    const int bh = box.bottom - box.top;
    E2E_CHECK_EQ(static_cast<int>(box.left), fx + (fw - bw) / 2);
    E2E_CHECK_EQ(static_cast<int>(box.top), fy + (fh - bh) / 2);
    e2e::PressKey(VK_ESCAPE);
    E2E_CHECK(AboutGone(process));
    PostMessageA(d.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
}

E2E_TEST(config, BareSwitchOverAForegroundWindowWithAParentCentresOnTheParent) {
    CleanSettings clean;
    HostWindow host;
    E2E_REQUIRE(host.Top != nullptr && host.Owned != nullptr);
    ShowWindow(host.Owned, SW_SHOW);
    SetForegroundWindow(host.Owned);
    E2E_REQUIRE(e2e::WaitUntil([&] { return GetForegroundWindow() == host.Owned; }, 2000));
    // "/c" alone takes the foreground window, whose parent the dialog covers.
    e2e::Process process = e2e::Process::Start("/c");
    HWND form = e2e::WaitForWindow(process.Id(), kConfigClass, 10000);
    E2E_REQUIRE(form != nullptr);
    E2E_CHECK(!IsWindowEnabled(host.Top));
    RECT r{};
    GetWindowRect(form, &r);
    E2E_CHECK_EQ(static_cast<int>(r.left), 400 - (r.right - r.left) / 2);
    E2E_CHECK_EQ(static_cast<int>(r.top), 300 - (r.bottom - r.top) / 2);
    PostMessageA(form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
    E2E_CHECK(IsWindowEnabled(host.Top));
}

E2E_TEST(config, AboutBoxCloseBoxOpensNothing) {
    CleanSettings clean;
    UrlRecorder recorder;
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process);
    ClickCentre(d.About);
    HWND about = WaitForAbout(process);
    E2E_REQUIRE(about != nullptr);
    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    E2E_CHECK(AboutGone(process));
    E2E_CHECK(process.Running());
    Sleep(1500);
    E2E_CHECK_EQ(recorder.Urls().size(), 0u);
    PostMessageA(d.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(process));
}

// ---- settings the organisation manages ----

namespace {

const char kManagedLine[] = "Some settings are managed by your organization.";
const char kLocksLine[] = "Windows locks this workstation when the saver closes.";
const char kWindowsStartsLine[] = "Windows starts this saver: use the watcher (/w) instead.";
const char kDesktopKey[] = "Control Panel\\Desktop";
const char kDesktopPolicyKey[] = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";

bool LineShown(HWND form, const char* text) {
    HWND line = FindChild(form, "TKestraneLabel", text);
    return line != nullptr && IsWindowVisible(line);
}

// The client height in 96-DPI pixels.
int ClientHeight(HWND form) {
    RECT client{};
    GetClientRect(form, &client);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(client.bottom, 96, dpi);
}

// One of Windows' own screen-saver values (password protection, the saver's
// program, whether it is on), as the user and as the Windows policy set it;
// puts back what was there.
struct DesktopSetting {
    explicit DesktopSetting(const char* name) : name_(name) { had_ = Read(kDesktopKey, saved_); }
    ~DesktopSetting() {
        if (had_) {
            Put(kDesktopKey, saved_);
        } else {
            Remove(kDesktopKey);
        }
        Remove(kDesktopPolicyKey);
    }
    DesktopSetting(const DesktopSetting&) = delete;
    DesktopSetting& operator=(const DesktopSetting&) = delete;
    void Put(const char* path, const std::string& text) const {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != 0) return;
        RegSetValueExA(key, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }
    void Remove(const char* path) const { RegDeleteKeyValueA(HKEY_CURRENT_USER, path, name_); }
    bool Read(const char* path, std::string& text) const {
        char buffer[MAX_PATH] = {};
        DWORD size = sizeof(buffer) - 1;
        if (RegGetValueA(HKEY_CURRENT_USER, path, name_, RRF_RT_REG_SZ, nullptr, buffer, &size) != 0) return false;
        text = buffer;
        return true;
    }
    const char* name_;
    bool had_ = false;
    std::string saved_;
};

}  // namespace

// One enforced setting (held as the band holds it), one untouched recommendation: the
// locked control is skipped by Tab, Apply ignores it, OK keeps the user's own value of it
// and does not turn the recommendation into the user's own.
E2E_TEST(config, AnEnforcedSettingIsLockedAndOkKeepsTheUsersOwnValueOfIt) {
    CleanSettings clean;
    e2e::PolicyScope policies;
    DesktopSetting secure("ScreenSaverIsSecure");
    DesktopSetting program("SCRNSAVE.EXE");
    secure.Remove(kDesktopKey);
    program.Remove(kDesktopKey);
    e2e::PutDword("CoverArea", 1);
    e2e::PutDword("TransitionTime", 3);
    e2e::PutPolicyDword(e2e::PolicyPlace::Machine, "CoverArea", 7);
    e2e::PutPolicyString(e2e::PolicyPlace::MachineRecommended, "TextLine2", "Recommended line");
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process, &ConfigDialog::SpinBox);
    E2E_CHECK(!IsWindowEnabled(d.Cover));
    E2E_CHECK_EQ(d.CoverIndex(), 3);  // 7 as the band holds it: a fifth
    E2E_CHECK(IsWindowEnabled(d.Spin) && IsWindowEnabled(d.Line1) && IsWindowEnabled(d.Borders));
    E2E_CHECK_EQ(TextOf(d.Line2), std::string("Recommended line"));
    E2E_CHECK(!d.ApplyEnabled());
    E2E_CHECK(LineShown(d.Form, kManagedLine));
    E2E_CHECK(!LineShown(d.Form, kLocksLine));
    E2E_CHECK_EQ(ClientHeight(d.Form), 276);
    // Shift+Tab from the spin field goes round to the last button, past the locked list.
    e2e::PressShifted(VK_TAB);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.Order; }, 2000));
    e2e::PressKey(VK_TAB);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(d.Form) == d.SpinBox; }, 2000));
    e2e::PressKey(VK_DOWN);
    E2E_CHECK(e2e::WaitUntil([&] { return TextOf(d.SpinBox) == "2"; }, 2000));
    E2E_CHECK(e2e::WaitUntil([&] { return d.ApplyEnabled(); }, 2000));
    ClickCentre(d.Ok);
    E2E_CHECK(Ended(process));
    E2E_CHECK_EQ(e2e::ValueCount(), 5);
    E2E_CHECK_EQ(DwordValue("CoverArea"), 1);
    E2E_CHECK_EQ(DwordValue("TransitionTime"), 2);
    E2E_CHECK_EQ(DwordValue("MovementType"), 1);
    E2E_CHECK_EQ(StringValue("TextLine1"), std::string(kDefaultLine1));
    E2E_CHECK_EQ(StringValue("TextLine2"), std::string("<missing>"));
    // With the policy withdrawn the user's own value is back and the dialog is as ever.
    e2e::ClearPolicies();
    e2e::Process again = e2e::Process::Start("");
    ConfigDialog plain = WaitForConfig(again);
    E2E_CHECK_EQ(plain.CoverIndex(), 1);
    E2E_CHECK(!LineShown(plain.Form, kManagedLine));
    E2E_CHECK_EQ(ClientHeight(plain.Form), 260);
    // A button on the taskbar and in Alt+Tab, so that a covered dialog can be brought back.
    E2E_CHECK((GetWindowLongA(plain.Form, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0);
    PostMessageA(plain.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(again));
}

// All six from the user policy: nothing to edit, nothing written; with password
// protection on, the dialog says what a dismissal may do, unless the Windows policy
// switches it off.
E2E_TEST(config, AllSixEnforcedLeaveNothingToWriteAndTheLockIsMentioned) {
    CleanSettings clean;
    e2e::PolicyScope policies;
    DesktopSetting secure("ScreenSaverIsSecure");
    DesktopSetting program("SCRNSAVE.EXE");
    DesktopSetting active("ScreenSaveActive");
    secure.Put(kDesktopKey, "1");
    program.Remove(kDesktopKey);
    e2e::PutDword("TransitionTime", 4);
    e2e::PutPolicyDword(e2e::PolicyPlace::User, "CoverArea", 0);
    e2e::PutPolicyDword(e2e::PolicyPlace::User, "TransitionTime", 9);
    e2e::PutPolicyDword(e2e::PolicyPlace::User, "MovementType", 5);
    e2e::PutPolicyDword(e2e::PolicyPlace::User, "DrawBorders", 0);
    e2e::PutPolicyString(e2e::PolicyPlace::User, "TextLine1", "Managed one");
    e2e::PutPolicyString(e2e::PolicyPlace::User, "TextLine2", "Managed two");
    e2e::Process process = e2e::Process::Start("");
    ConfigDialog d = WaitForConfig(process, &ConfigDialog::Ok);
    for (HWND control : {d.Cover, d.Spin, d.Movement, d.Borders, d.Line1, d.Line2}) {
        E2E_CHECK(!IsWindowEnabled(control));
    }
    E2E_CHECK_EQ(d.CoverIndex(), 0);
    E2E_CHECK_EQ(TextOf(d.SpinBox), std::string("5"));
    E2E_CHECK_EQ(d.MovementIndex(), 1);
    E2E_CHECK(!d.BordersTicked());
    E2E_CHECK_EQ(TextOf(d.Line1), std::string("Managed one"));
    E2E_CHECK(!d.ApplyEnabled());
    E2E_CHECK(LineShown(d.Form, kManagedLine) && LineShown(d.Form, kLocksLine));
    E2E_CHECK_EQ(ClientHeight(d.Form), 292);
    ClickCentre(d.Ok);
    E2E_CHECK(Ended(process));
    E2E_CHECK_EQ(e2e::ValueCount(), 1);
    E2E_CHECK_EQ(DwordValue("TransitionTime"), 4);
    // The Windows policy switches the protection off over the user's setting.
    secure.Put(kDesktopPolicyKey, "0");
    e2e::Process again = e2e::Process::Start("");
    ConfigDialog second = WaitForConfig(again, &ConfigDialog::Ok);
    E2E_CHECK(LineShown(second.Form, kManagedLine));
    E2E_CHECK(!LineShown(second.Form, kLocksLine));
    E2E_CHECK(!LineShown(second.Form, kWindowsStartsLine));
    E2E_CHECK_EQ(ClientHeight(second.Form), 276);
    PostMessageA(second.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(again));
    // The Windows policy names this program as the screen saver: the dialog points to the watcher,
    // unless the saver is switched off.
    program.Put(kDesktopKey, "C:\\windows\\system32\\scrnsave.scr");
    program.Put(kDesktopPolicyKey, "C:\\Windows\\System32\\KESTRANE.SCR");
    e2e::Process third = e2e::Process::Start("");
    ConfigDialog named = WaitForConfig(third, &ConfigDialog::Ok);
    E2E_CHECK(LineShown(named.Form, kManagedLine) && LineShown(named.Form, kWindowsStartsLine));
    E2E_CHECK_EQ(ClientHeight(named.Form), 292);
    PostMessageA(named.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(third));
    active.Put(kDesktopPolicyKey, "0");
    e2e::Process fourth = e2e::Process::Start("");
    ConfigDialog off = WaitForConfig(fourth, &ConfigDialog::Ok);
    E2E_CHECK(!LineShown(off.Form, kWindowsStartsLine));
    E2E_CHECK_EQ(ClientHeight(off.Form), 276);
    PostMessageA(off.Form, WM_CLOSE, 0, 0);
    E2E_CHECK(Ended(fourth));
}
