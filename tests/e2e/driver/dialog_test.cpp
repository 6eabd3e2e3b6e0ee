// The message dialog as the settings store shows it: a damaged setting makes
// the program report the read failure in its own "Error!" dialog at start-up.
// These tests look at the real window (geometry, icon, focus) and close it
// every way a person can.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

using e2e::PressShiftTab;

const char kDialogClass[] = "TfrmAnswerDlg";
const char kReadFailure[] =
    "Could not read screen saver preferences\rfrom Registry.\r\rPlease check your user's privileges.";

// Leaves the settings key as it found none, however the test ends.
struct CleanSettings {
    CleanSettings() { e2e::DeleteSettingsKey(); }
    ~CleanSettings() { e2e::DeleteSettingsKey(); }
};

// "CoverArea" as a string: the first read of the settings fails.
void DamageSettings() { e2e::PutString("CoverArea", "one third"); }

std::vector<HWND> ChildButtons(HWND dialog);
HWND FocusOf(HWND dialog);

// The dialog once it is up and ready for keys: in front, its first button
// focused.
HWND WaitForDialog(const e2e::Process& process) {
    HWND dialog = e2e::WaitForWindow(process.Id(), kDialogClass, 10000);
    E2E_REQUIRE(dialog != nullptr);
    E2E_CHECK(e2e::WaitUntil(
        [&] {
            std::vector<HWND> buttons = ChildButtons(dialog);
            return !buttons.empty() && FocusOf(dialog) == buttons.front() && GetForegroundWindow() == dialog;
        },
        3000));
    return dialog;
}

std::vector<HWND> ChildButtons(HWND dialog) {
    std::vector<HWND> buttons;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            char name[64] = {};
            GetClassNameA(child, name, sizeof(name));
            if (lstrcmpiA(name, "Button") == 0) reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

RECT ClientRectOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT ClientOrigin(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// Text extents in the dialog's font (MS Sans Serif, 8 points).
struct Measure {
    Measure() {
        screen_ = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen_, LOGPIXELSY);
        LOGFONTA logFont{};
        logFont.lfHeight = -MulDiv(11, dpi, 96);
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(logFont.lfFaceName, "MS Sans Serif", LF_FACESIZE);
        font_ = CreateFontIndirectA(&logFont);
        previous_ = SelectObject(screen_, font_);
        TEXTMETRICA metrics{};
        GetTextMetricsA(screen_, &metrics);
        LineHeight = metrics.tmHeight;
    }
    ~Measure() {
        SelectObject(screen_, previous_);
        DeleteObject(font_);
        ReleaseDC(nullptr, screen_);
    }
    int Width(const std::string& text) const {
        SIZE size{};
        GetTextExtentPoint32A(screen_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight = 0;

private:
    HDC screen_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\r') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// What a person sees of the system's error icon on the dialog's face.
std::vector<uint32_t> ExpectedIcon() {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT all{0, 0, 32, 32};
    FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, MAKEINTRESOURCEA(32513)), 32, 32, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(p, p + 32 * 32);
    for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

uint32_t SysColor(int index) {
    COLORREF c = GetSysColor(index);
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// The dialog is gone and the program went on to its normal end.
void ExpectClosedAndEnded(e2e::Process& process, HWND dialog) {
    DWORD exitCode = 12345;
    E2E_CHECK(process.WaitExit(5000, &exitCode));
    E2E_CHECK_EQ(exitCode, 0ul);
    E2E_CHECK(!IsWindow(dialog) || !IsWindowVisible(dialog));
}

// Still up a while after a key that must not close it.
void ExpectStillOpen(e2e::Process& process, HWND dialog) {
    Sleep(400);
    E2E_CHECK(process.Running());
    E2E_CHECK(IsWindow(dialog) && IsWindowVisible(dialog));
}

}  // namespace

E2E_TEST(dialog, ErrorDialogLooksAsComputed) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    Sleep(300);  // let it paint

    e2e::WindowInfo info = e2e::Describe(dialog);
    E2E_CHECK_EQ(info.Title, std::string(" Error!"));
    E2E_CHECK(info.TopMost);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    E2E_CHECK((style & WS_CAPTION) == WS_CAPTION);
    E2E_CHECK((style & WS_SYSMENU) != 0);
    E2E_CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);
    E2E_CHECK((exStyle & WS_EX_DLGMODALFRAME) != 0);
    // One dialog and nothing else of the program on screen.
    E2E_CHECK_EQ(e2e::WindowsOf(process.Id()).size(), static_cast<size_t>(1));

    std::vector<HWND> buttons = ChildButtons(dialog);
    E2E_REQUIRE(buttons.size() == 1);
    HWND ok = buttons[0];
    E2E_CHECK_EQ(TextOf(ok), std::string("&OK"));

    // Geometry from the real text extents of the dialog's font.
    Measure measure;
    int lineHeight = measure.LineHeight;
    int textWidth = 0;
    std::vector<std::string> lines = Lines(kReadFailure);
    for (const std::string& line : lines) textWidth = std::max(textWidth, measure.Width(line));
    int textHeight = lineHeight * static_cast<int>(lines.size());
    int buttonHeight = std::max(25, lineHeight + 12);
    int buttonWidth = std::max(65, measure.Width("&OK") + 32);
    int column = buttonHeight;  // one button
    int labelHeight = std::max({textHeight, column - 32, 32});
    int frameWidth = 72 + textWidth + 8;
    int frameHeight = labelHeight + 32;
    int clientWidth = frameWidth + buttonWidth + 24;
    int clientHeight = frameHeight + 16;
    e2e::Note("text " + std::to_string(textWidth) + "x" + std::to_string(textHeight) + ", client " +
              std::to_string(clientWidth) + "x" + std::to_string(clientHeight));

    RECT client = ClientRectOf(dialog);
    E2E_CHECK_EQ(client.right, static_cast<LONG>(clientWidth));
    E2E_CHECK_EQ(client.bottom, static_cast<LONG>(clientHeight));
    RECT button = RectInParent(ok);
    E2E_CHECK_EQ(button.left, static_cast<LONG>(frameWidth + 16));
    E2E_CHECK_EQ(button.right - button.left, static_cast<LONG>(buttonWidth));
    E2E_CHECK_EQ(button.bottom - button.top, static_cast<LONG>(buttonHeight));
    // The last button's bottom is level with the frame's: 8 above the client's.
    E2E_CHECK_EQ(button.bottom, client.bottom - 8);
    E2E_CHECK_EQ(button.right, client.right - 8);
    E2E_CHECK_EQ(button.top, static_cast<LONG>(clientHeight - (buttonHeight + 8)));

    // Centred on the screen: there is no main window yet.
    RECT outer = info.Rect;
    int outerWidth = outer.right - outer.left;
    int outerHeight = outer.bottom - outer.top;
    E2E_CHECK_EQ(outer.left, static_cast<LONG>((GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2));
    E2E_CHECK_EQ(outer.top, static_cast<LONG>((GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2));

    // Pixels: the lowered frame (shadow at its left and top, highlight at
    // its right and bottom), the error icon 16 inside it.
    POINT origin = ClientOrigin(dialog);
    RECT area{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    e2e::Shot shot = e2e::Shot::Capture(area);
    E2E_REQUIRE(!shot.Empty());
    const uint32_t face = SysColor(COLOR_BTNFACE);
    const uint32_t shadow = SysColor(COLOR_BTNSHADOW);
    const uint32_t highlight = SysColor(COLOR_BTNHIGHLIGHT);
    auto at = [&](int x, int y) { return shot.Pixel(origin.x + x, origin.y + y); };
    int midY = 8 + frameHeight / 2;
    int midX = 8 + frameWidth / 2;
    E2E_CHECK_EQ(at(7, midY), face);
    E2E_CHECK_EQ(at(8, midY), shadow);
    E2E_CHECK_EQ(at(midX, 8), shadow);
    E2E_CHECK_EQ(at(8 + frameWidth - 1, midY), highlight);
    E2E_CHECK_EQ(at(8 + frameWidth, midY), face);
    E2E_CHECK_EQ(at(midX, 8 + frameHeight - 1), highlight);
    E2E_CHECK_EQ(at(midX, 8 + frameHeight), face);
    std::vector<uint32_t> icon = ExpectedIcon();
    int differing = 0;
    bool anyNotFace = false;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            uint32_t seen = at(24 + x, 24 + y);
            if (seen != icon[static_cast<size_t>(y * 32 + x)]) ++differing;
            if (seen != face) anyNotFace = true;
        }
    }
    E2E_CHECK(anyNotFace);
    E2E_CHECK_EQ(differing, 0);
    // Some message text lies inside the label's box, none left of it.
    bool textSeen = false;
    for (int y = 24; y < 24 + lineHeight; ++y) {
        for (int x = 72; x < 72 + textWidth; ++x) textSeen = textSeen || at(x, y) != face;
        E2E_CHECK_EQ(at(70, y), face);
    }
    E2E_CHECK(textSeen);

    // The only button holds the focus.
    E2E_CHECK(FocusOf(dialog) == ok);

    e2e::TypeText("o");
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, AcceleratorLetterCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    e2e::TypeText("O");
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, AltAcceleratorCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    e2e::PressKey('O', true);
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, EnterCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    e2e::PressKey(VK_RETURN);
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, EscCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    e2e::PressKey(VK_ESCAPE);
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, CloseBoxCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, CloseMessageCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ExpectClosedAndEnded(process, dialog);
}

E2E_TEST(dialog, ClickOnButtonCloses) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    std::vector<HWND> buttons = ChildButtons(dialog);
    E2E_REQUIRE(buttons.size() == 1);
    RECT r{};
    GetWindowRect(buttons[0], &r);
    e2e::ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ExpectClosedAndEnded(process, dialog);
}

// The application asked to end while the dialog is up: the dialog goes and
// the program ends normally.
E2E_TEST(dialog, TerminateWhileOpenEnds) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    HWND application = nullptr;
    for (const e2e::WindowInfo& w : e2e::WindowsOf(process.Id(), true)) {
        if (w.ClassName == "TApplication") application = w.Handle;
    }
    E2E_REQUIRE(application != nullptr);
    PostMessageA(application, WM_CLOSE, 0, 0);
    ExpectClosedAndEnded(process, dialog);
}

// Navigation keys cycle among the buttons: with one button the focus wraps
// onto itself, and nothing else happens until Enter.
E2E_TEST(dialog, NavigationKeysKeepFocusOnButtons) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    std::vector<HWND> buttons = ChildButtons(dialog);
    E2E_REQUIRE(buttons.size() == 1);
    HWND ok = buttons[0];
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == ok; }, 2000));
    const WORD keys[] = {VK_TAB, VK_RIGHT, VK_DOWN, VK_LEFT, VK_UP};
    for (WORD key : keys) {
        e2e::PressKey(key);
        Sleep(100);
        E2E_CHECK(FocusOf(dialog) == ok);
    }
    PressShiftTab();
    Sleep(100);
    E2E_CHECK(FocusOf(dialog) == ok);
    ExpectStillOpen(process, dialog);
    e2e::PressKey(VK_RETURN);
    ExpectClosedAndEnded(process, dialog);
}

// Keys that are no accelerator, and Shift+Enter, leave the dialog open.
E2E_TEST(dialog, OtherKeysLeaveItOpen) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/a");
    HWND dialog = WaitForDialog(process);
    e2e::TypeText("xk1?");
    ExpectStillOpen(process, dialog);
    e2e::PressKey('K', true);
    ExpectStillOpen(process, dialog);
    e2e::PressShifted(VK_RETURN);
    ExpectStillOpen(process, dialog);
    e2e::TypeText("o");
    ExpectClosedAndEnded(process, dialog);
}

// In saver mode the report comes before the band; once it is closed the
// band runs on the defaults (one third of the desktop high).
E2E_TEST(dialog, SaverRunsAfterTheReport) {
    CleanSettings clean;
    DamageSettings();
    e2e::Process process = e2e::Process::Start("/s");
    HWND dialog = WaitForDialog(process);
    Sleep(300);
    E2E_CHECK(e2e::WaitForWindow(process.Id(), "TfrmSaver", 100) == nullptr);
    e2e::TypeText("o");
    HWND band = e2e::BandOf(process.Id(), 5000);
    E2E_REQUIRE(band != nullptr);
    E2E_CHECK(!IsWindow(dialog) || !IsWindowVisible(dialog));
    RECT r{};
    GetWindowRect(band, &r);
    E2E_CHECK_EQ(r.bottom - r.top, static_cast<LONG>(GetSystemMetrics(SM_CYVIRTUALSCREEN) / 3));
    POINT p = e2e::CursorPos();
    e2e::MoveCursor(p.x + 40, p.y + 40);
    if (!process.WaitExit(5000)) {
        e2e::Note("band did not close on the mouse; ending it");
        process.Kill();
    }
}
