// The message dialog driven directly: dialogHost shows one dialog with the
// arguments given here and ends with the dialog's result as its exit code.
// These tests cover the button sets, keys and layouts the saver itself only
// shows in rare cases (the About box's three buttons, a help button, no
// system menu, other icons, a tall message).
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

using e2e::PressShiftTab;

const char kDialogClass[] = "TfrmAnswerDlg";
const char kAboutText[] = "Partial screen saver.\\rOne band of black across the desktop.";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// dialogHost <icon> <system menu> <help button> <help file> <title> <message> [caption ...]
e2e::Process StartDialog(int iconKind, bool systemMenu, int helpButton, const std::string& message,
                         const std::vector<std::string>& captions, const std::string& helpFile = "none.chm") {
    std::string arguments = std::to_string(iconKind) + (systemMenu ? " 1 " : " 0 ") + std::to_string(helpButton) + " " +
                            Quoted(helpFile) + " " + Quoted("Answer") + " " + Quoted(message);
    for (const std::string& caption : captions) arguments += " " + Quoted(caption);
    return e2e::Process::Start(arguments, e2e::ToolsDir() + "dialogHost.exe");
}

const std::vector<std::string>& AboutCaptions() {
    static const std::vector<std::string> captions{"&Close", "&More info", "&Order now!"};
    return captions;
}

e2e::Process StartAbout(bool systemMenu = true, int helpButton = 0) {
    return StartDialog(1, systemMenu, helpButton, kAboutText, AboutCaptions(), "C:\\nowhere\\kestrane.chm");
}

RECT RectInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> ChildrenOfClass(HWND dialog, const char* className) {
    struct Search {
        const char* ClassName;
        std::vector<HWND> Found;
    } search{className, {}};
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            Search* s = reinterpret_cast<Search*>(param);
            char name[64] = {};
            GetClassNameA(child, name, sizeof(name));
            if (lstrcmpiA(name, s->ClassName) == 0) s->Found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The buttons from the top down.
std::vector<HWND> ButtonsOf(HWND dialog) {
    std::vector<HWND> buttons = ChildrenOfClass(dialog, "Button");
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) { return RectInParent(a).top < RectInParent(b).top; });
    return buttons;
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

RECT ClientRectOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

// Brings the dialog to the front (keys are sent to the foreground window)
// and waits until the given button holds the focus.
bool InFrontWithFocus(HWND dialog, HWND button) {
    return e2e::WaitUntil(
        [&] {
            if (GetForegroundWindow() != dialog) SetForegroundWindow(dialog);
            return GetForegroundWindow() == dialog && FocusOf(dialog) == button;
        },
        3000);
}

// The dialog once it is up and ready for keys, its first button focused.
HWND WaitForDialog(const e2e::Process& process, size_t buttonCount = 3) {
    HWND dialog = e2e::WaitForWindow(process.Id(), kDialogClass, 10000);
    E2E_REQUIRE(dialog != nullptr);
    std::vector<HWND> buttons = ButtonsOf(dialog);
    E2E_REQUIRE(buttons.size() == buttonCount);
    E2E_REQUIRE(InFrontWithFocus(dialog, buttons.front()));
    return dialog;
}

void ExpectResult(e2e::Process& process, DWORD expected) {
    DWORD exitCode = 12345;
    E2E_CHECK(process.WaitExit(5000, &exitCode));
    E2E_CHECK_EQ(exitCode, expected);
}

void ExpectStillOpen(e2e::Process& process, HWND dialog) {
    Sleep(400);
    E2E_CHECK(process.Running());
    E2E_CHECK(IsWindow(dialog) && IsWindowVisible(dialog));
}

// Line height of the dialog's font (MS Sans Serif, 8 points).
int DialogLineHeight() {
    HDC screen = GetDC(nullptr);
    LOGFONTA logFont{};
    logFont.lfHeight = -MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 96);
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&logFont);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

uint32_t SysColor(int index) {
    COLORREF c = GetSysColor(index);
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// Pixels in the icon's place (client 24,24 to 56,56) that differ from the face.
int NonFacePixelsInIconPlace(HWND dialog) {
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT area{origin.x + 24, origin.y + 24, origin.x + 56, origin.y + 56};
    e2e::Shot shot = e2e::Shot::Capture(area);
    if (shot.Empty()) return -1;
    const uint32_t face = SysColor(COLOR_BTNFACE);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) count += shot.Pixel(x, y) != face ? 1 : 0;
    }
    return count;
}

struct Shape {
    RECT Client{};
    RECT Label{};
    int NonFace = -1;
};

// Opens a dialog with the icon kind, notes its client area, label and icon
// place, and closes it with its first button.
Shape ShapeWithIcon(int iconKind) {
    Shape shape;
    e2e::Process process = StartDialog(iconKind, true, 0, kAboutText, AboutCaptions());
    HWND dialog = WaitForDialog(process);
    Sleep(300);  // let it paint
    shape.Client = ClientRectOf(dialog);
    std::vector<HWND> labels = ChildrenOfClass(dialog, "TKestraneLabel");
    E2E_CHECK_EQ(labels.size(), static_cast<size_t>(1));
    if (!labels.empty()) shape.Label = RectInParent(labels.front());
    shape.NonFace = NonFacePixelsInIconPlace(dialog);
    e2e::TypeText("c");
    ExpectResult(process, 1);
    return shape;
}

}  // namespace

E2E_TEST(answerdlg, AboutAcceleratorsAnswer) {
    struct Case {
        const char* Keys;
        DWORD Result;
    };
    const Case cases[] = {{"m", 2}, {"M", 2}, {"o", 3}, {"c", 1}};
    for (const Case& c : cases) {
        e2e::Note(std::string("typing ") + c.Keys);
        e2e::Process process = StartAbout();
        WaitForDialog(process);
        e2e::TypeText(c.Keys);
        ExpectResult(process, c.Result);
    }
}

E2E_TEST(answerdlg, AboutLooksLikeADialogWithCloseBox) {
    e2e::Process process = StartAbout();
    HWND dialog = WaitForDialog(process);
    e2e::WindowInfo info = e2e::Describe(dialog);
    E2E_CHECK_EQ(info.Title, std::string(" Answer"));
    E2E_CHECK(info.TopMost);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    E2E_CHECK((style & WS_SYSMENU) != 0);
    E2E_CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);
    std::vector<HWND> buttons = ButtonsOf(dialog);
    E2E_REQUIRE(buttons.size() == 3);
    char text[64] = {};
    for (size_t i = 0; i < buttons.size(); ++i) {
        GetWindowTextA(buttons[i], text, sizeof(text));
        E2E_CHECK_EQ(std::string(text), AboutCaptions()[i]);
    }
    // One column of equal buttons, 8 apart, the last 8 above the client's bottom.
    RECT client = ClientRectOf(dialog);
    RECT first = RectInParent(buttons[0]);
    for (size_t i = 1; i < buttons.size(); ++i) {
        RECT r = RectInParent(buttons[i]);
        RECT above = RectInParent(buttons[i - 1]);
        E2E_CHECK_EQ(r.left, first.left);
        E2E_CHECK_EQ(r.right - r.left, first.right - first.left);
        E2E_CHECK_EQ(r.top, above.bottom + 8);
    }
    E2E_CHECK_EQ(RectInParent(buttons[2]).bottom, client.bottom - 8);
    E2E_CHECK_EQ(first.right, client.right - 8);
    e2e::TypeText("c");
    ExpectResult(process, 1);
}

E2E_TEST(answerdlg, EscCancels) {
    e2e::Process process = StartAbout();
    WaitForDialog(process);
    e2e::PressKey(VK_ESCAPE);
    ExpectResult(process, 0);
}

// Esc on a button other than the first cancels as well.
E2E_TEST(answerdlg, EscOnLastButtonCancels) {
    e2e::Process process = StartAbout();
    HWND dialog = WaitForDialog(process);
    std::vector<HWND> buttons = ButtonsOf(dialog);
    e2e::PressKey(VK_UP);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == buttons[2]; }, 2000));
    e2e::PressKey(VK_ESCAPE);
    ExpectResult(process, 0);
}

E2E_TEST(answerdlg, CloseBoxCancels) {
    e2e::Process process = StartAbout();
    HWND dialog = WaitForDialog(process);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectResult(process, 0);
}

// Forward keys move the focus one button down; Enter presses the focused one.
E2E_TEST(answerdlg, ForwardKeysThenEnter) {
    const WORD keys[] = {VK_RIGHT, VK_DOWN, VK_TAB};
    for (WORD key : keys) {
        e2e::Note("key " + std::to_string(key));
        e2e::Process process = StartAbout();
        HWND dialog = WaitForDialog(process);
        std::vector<HWND> buttons = ButtonsOf(dialog);
        e2e::PressKey(key);
        E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == buttons[1]; }, 2000));
        ExpectStillOpen(process, dialog);
        e2e::PressKey(VK_RETURN);
        ExpectResult(process, 2);
    }
}

E2E_TEST(answerdlg, ShiftTabWrapsToLast) {
    e2e::Process process = StartAbout();
    HWND dialog = WaitForDialog(process);
    std::vector<HWND> buttons = ButtonsOf(dialog);
    PressShiftTab();
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == buttons[2]; }, 2000));
    e2e::PressKey(VK_RETURN);
    ExpectResult(process, 3);
}

// Three steps forward come back to the first button.
E2E_TEST(answerdlg, ForwardWrapsToFirst) {
    e2e::Process process = StartAbout();
    HWND dialog = WaitForDialog(process);
    std::vector<HWND> buttons = ButtonsOf(dialog);
    e2e::PressKey(VK_TAB);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == buttons[1]; }, 2000));
    e2e::PressKey(VK_DOWN);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == buttons[2]; }, 2000));
    e2e::PressKey(VK_RIGHT);
    E2E_CHECK(e2e::WaitUntil([&] { return FocusOf(dialog) == buttons[0]; }, 2000));
    e2e::PressKey(VK_RETURN);
    ExpectResult(process, 1);
}

E2E_TEST(answerdlg, NoSystemMenuIgnoresEsc) {
    e2e::Process process = StartAbout(false);
    HWND dialog = WaitForDialog(process);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    E2E_CHECK((style & WS_SYSMENU) == 0);
    e2e::PressKey(VK_ESCAPE);
    ExpectStillOpen(process, dialog);
    e2e::TypeText("c");
    ExpectResult(process, 1);
}

// The help button starts the help viewer (whether it runs is not looked at)
// and leaves the dialog open; the other buttons still answer.
E2E_TEST(answerdlg, HelpButtonKeepsItOpen) {
    e2e::Process process = StartAbout(true, 2);
    HWND dialog = WaitForDialog(process);
    e2e::TypeText("m");
    ExpectStillOpen(process, dialog);
    // A help viewer may have taken the front; keys must reach the dialog.
    E2E_REQUIRE(e2e::WaitUntil(
        [&] {
            if (GetForegroundWindow() != dialog) SetForegroundWindow(dialog);
            return GetForegroundWindow() == dialog;
        },
        3000));
    Sleep(100);
    E2E_CHECK(process.Running());
    e2e::TypeText("o");
    ExpectResult(process, 3);
}

E2E_TEST(answerdlg, HelpButtonOutOfRangeLeavesEveryButtonAnswering) {
    struct Case {
        const char* Keys;
        DWORD Result;
    };
    const Case cases[] = {{"c", 1}, {"m", 2}, {"o", 3}};
    for (const Case& c : cases) {
        e2e::Note(std::string("typing ") + c.Keys);
        e2e::Process process = StartAbout(true, 7);
        WaitForDialog(process);
        e2e::TypeText(c.Keys);
        ExpectResult(process, c.Result);
    }
}

// Without an icon the message moves 48 to the left and the dialog is 48
// narrower; a kind beyond the known icons keeps the icon's room empty.
E2E_TEST(answerdlg, IconKindsAndWidth) {
    Shape none = ShapeWithIcon(0);
    Shape error = ShapeWithIcon(4);
    Shape unknown = ShapeWithIcon(9);
    e2e::Note("client widths " + std::to_string(none.Client.right) + ", " + std::to_string(error.Client.right) + ", " +
              std::to_string(unknown.Client.right));
    E2E_CHECK(error.Client.right > 48);
    E2E_CHECK_EQ(none.Client.right, error.Client.right - 48);
    E2E_CHECK_EQ(unknown.Client.right, error.Client.right);
    E2E_CHECK_EQ(none.Client.bottom, error.Client.bottom);
    E2E_CHECK_EQ(unknown.Client.bottom, error.Client.bottom);
    E2E_CHECK_EQ(none.Label.left, 24l);
    E2E_CHECK_EQ(error.Label.left, 72l);
    E2E_CHECK_EQ(unknown.Label.left, 72l);
    E2E_CHECK(error.NonFace > 0);
    E2E_CHECK_EQ(unknown.NonFace, 0);
}

// With no caption there is nothing to close it by: no window, answer 0.
E2E_TEST(answerdlg, NoCaptionsAnswersAtOnce) {
    e2e::Process process = StartDialog(1, true, 0, "Nothing to press", {});
    bool windowSeen = false;
    bool ended = e2e::WaitUntil(
        [&] {
            for (const e2e::WindowInfo& w : e2e::WindowsOf(process.Id())) {
                if (w.ClassName == kDialogClass) windowSeen = true;
            }
            return !process.Running();
        },
        5000);
    E2E_CHECK(ended);
    E2E_CHECK(!windowSeen);
    ExpectResult(process, 0);
}

// A message taller than the button column: the label keeps its text height,
// the column stays level with the frame's bottom, its first button lower
// than the frame's top.
E2E_TEST(answerdlg, TallMessage) {
    std::string message = "Line 1";
    for (int i = 2; i <= 10; ++i) message += "\\rLine " + std::to_string(i);
    e2e::Process process = StartDialog(4, true, 0, message, AboutCaptions());
    HWND dialog = WaitForDialog(process);
    std::vector<HWND> buttons = ButtonsOf(dialog);
    std::vector<HWND> labels = ChildrenOfClass(dialog, "TKestraneLabel");
    E2E_REQUIRE(labels.size() == 1);
    RECT client = ClientRectOf(dialog);
    RECT label = RectInParent(labels.front());
    RECT first = RectInParent(buttons.front());
    RECT last = RectInParent(buttons.back());
    int column = static_cast<int>(last.bottom - first.top);
    int labelHeight = static_cast<int>(label.bottom - label.top);
    int lineHeight = DialogLineHeight();
    e2e::Note("label " + std::to_string(labelHeight) + ", column " + std::to_string(column) + ", line " +
              std::to_string(lineHeight));
    E2E_CHECK(labelHeight > column);
    E2E_CHECK_EQ(labelHeight, 10 * lineHeight);
    E2E_CHECK_EQ(label.top, 24l);
    E2E_CHECK_EQ(client.bottom, static_cast<LONG>(labelHeight + 48));
    E2E_CHECK_EQ(last.bottom, client.bottom - 8);
    E2E_CHECK(first.top > 8);
    e2e::TypeText("o");
    ExpectResult(process, 3);
}
