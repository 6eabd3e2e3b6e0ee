// The configuration dialog and the band on a scaled display (125 %, 150 %):
// the dialog's 96-DPI layout and font grow with the display, the band keeps
// its real-pixel size and draws its text in an 8-point font of the display.
// At 96 DPI every test here notes so and ends at once.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/driver/harness.h"

namespace {

using e2e::ClassOf;
using e2e::Descendants;
using e2e::FindChild;
using e2e::TextOf;

const char kConfigClass[] = "TfrmConfig";
const char kLabelClass[] = "TKestraneLabel";

// Window rectangles and pixels of the scaled program in real pixels.
class AwareThread {
public:
    AwareThread() : previous_(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {}
    ~AwareThread() {
        if (previous_ != nullptr) SetThreadDpiAwarenessContext(previous_);
    }
    AwareThread(const AwareThread&) = delete;
    AwareThread& operator=(const AwareThread&) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_;
};

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The display's DPI, or 0 (with a note) when it is not scaled.
int ScaledDpi() {
    int dpi = ScreenDpi();
    if (dpi == 96) e2e::Note("display at 96 DPI: nothing to check here");
    return dpi == 96 ? 0 : dpi;
}

int Scale(int designPixels, int dpi) { return MulDiv(designPixels, dpi, 96); }

struct CleanSettings {
    CleanSettings() { e2e::DeleteSettingsKey(); }
    ~CleanSettings() { e2e::DeleteSettingsKey(); }
};

// A window's rectangle in the client coordinates of the form.
RECT InForm(HWND form, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ShowRect(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top) + ")";
}

void ExpectPlace(HWND form, HWND control, const char* what, int left, int top, int width, int height, int dpi) {
    if (control == nullptr) e2e::Note(std::string("not found: ") + what);
    E2E_REQUIRE(control != nullptr);
    RECT expected{Scale(left, dpi), Scale(top, dpi), Scale(left, dpi) + Scale(width, dpi),
                  Scale(top, dpi) + Scale(height, dpi)};
    E2E_CHECK_EQ(ShowRect(InForm(form, control)), ShowRect(expected));
}

// Text measured in the driver with a font like the program's.
class Measure {
public:
    Measure(const char* face, int height, bool crisp, bool bold = false) {
        screen_ = GetDC(nullptr);
        LOGFONTA logFont{};
        logFont.lfHeight = height;
        logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        if (crisp) logFont.lfQuality = NONANTIALIASED_QUALITY;
        lstrcpynA(logFont.lfFaceName, face, LF_FACESIZE);
        font_ = CreateFontIndirectA(&logFont);
        previous_ = SelectObject(screen_, font_);
        GetTextMetricsA(screen_, &Metrics);
    }
    ~Measure() {
        SelectObject(screen_, previous_);
        DeleteObject(font_);
        ReleaseDC(nullptr, screen_);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    int Width(const std::string& text) const {
        SIZE size{};
        GetTextExtentPoint32A(screen_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    TEXTMETRICA Metrics{};

private:
    HDC screen_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The dialog started with no argument, closed when the object goes.
struct RunningConfig {
    RunningConfig() : process(e2e::Process::Start("")) {
        form = e2e::WaitForWindow(process.Id(), kConfigClass, 10000);
        E2E_REQUIRE(form != nullptr);
        Sleep(300);  // first paint
    }
    ~RunningConfig() {
        if (form != nullptr) PostMessageA(form, WM_CLOSE, 0, 0);
        process.WaitExit(5000);
    }
    RunningConfig(const RunningConfig&) = delete;
    RunningConfig& operator=(const RunningConfig&) = delete;
    e2e::Process process;
    HWND form = nullptr;
};

// Saves a capture as a 24-bit BMP.
void SaveBmp(const e2e::Shot& shot, const std::string& path) {
    const RECT& a = shot.Area();
    const int width = a.right - a.left;
    const int height = a.bottom - a.top;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info, sizeof(info), 1, f);
    std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = shot.Pixel(a.left + x, a.top + y);
            row[static_cast<size_t>(x) * 3] = static_cast<unsigned char>(p);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(p >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(p >> 16);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

}  // namespace

// The run script names the DPI it set; a mismatch means the setting did not
// reach Wine and every other result here would be meaningless.
E2E_TEST(dpi, DisplayRunsAtTheRequestedDpi) {
    AwareThread aware;
    const int caps = ScreenDpi();
    const int system = static_cast<int>(GetDpiForSystem());
    e2e::Note("LOGPIXELSY " + std::to_string(caps) + ", GetDpiForSystem " + std::to_string(system));
    E2E_CHECK_EQ(system, caps);
    const char* wanted = std::getenv("KESTRANE_EXPECT_DPI");
    if (wanted != nullptr && *wanted != '\0') E2E_CHECK_EQ(caps, std::atoi(wanted));
}

E2E_TEST(dpi, ConfigClientAreaIsScaled) {
    AwareThread aware;
    const int dpi = ScaledDpi();
    if (dpi == 0) return;
    CleanSettings clean;
    RunningConfig config;
    RECT client{};
    GetClientRect(config.form, &client);
    E2E_CHECK_EQ(static_cast<int>(client.right), Scale(578, dpi));
    E2E_CHECK_EQ(static_cast<int>(client.bottom), Scale(260, dpi));
    if (dpi == 144) {
        RECT r{};
        GetWindowRect(config.form, &r);
        SaveBmp(e2e::Shot::Capture(r), e2e::ToolsDir() + "config-dialog-" + std::to_string(dpi) + ".bmp");
    }
}

E2E_TEST(dpi, ConfigControlsSitAtScaledPlaces) {
    AwareThread aware;
    const int dpi = ScaledDpi();
    if (dpi == 0) return;
    CleanSettings clean;
    RunningConfig config;
    HWND form = config.form;
    ExpectPlace(form, FindChild(form, "Button", "&OK"), "OK", 16, 187, 81, 25, dpi);
    ExpectPlace(form, FindChild(form, "Button", "&Cancel"), "Cancel", 104, 187, 81, 25, dpi);
    ExpectPlace(form, FindChild(form, "Button", "A&bout..."), "About", 280, 187, 81, 25, dpi);
    ExpectPlace(form, FindChild(form, "Button", "O&rder this screen saver with your company logo and contact data"),
                "Order", 16, 219, 345, 25, dpi);
    HWND group = FindChild(form, "Button", " Preferences ");
    ExpectPlace(form, group, "group", 16, 16, 345, 156, dpi);
    E2E_REQUIRE(group != nullptr);
    // Inside the group box, places are the group's own.
    HWND borders = FindChild(form, "Button", "w/ borders");
    E2E_REQUIRE(borders != nullptr);
    ExpectPlace(group, borders, "borders", 256, 72, 73, 17, dpi);
    HWND line1 = nullptr;
    for (HWND child : Descendants(form)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Edit") == 0 && ClassOf(GetParent(child)) != "TJvSpinEdit") {
            RECT r = InForm(group, child);
            if (r.top < Scale(110, dpi)) line1 = child;
        }
    }
    ExpectPlace(group, line1, "line 1", 80, 95, 249, 21, dpi);
    HWND mail = FindChild(form, kLabelClass, "info@varnel.example");
    E2E_REQUIRE(mail != nullptr);
    RECT r = InForm(form, mail);
    E2E_CHECK_EQ(static_cast<int>(r.left), Scale(432, dpi));
    E2E_CHECK_EQ(static_cast<int>(r.top), Scale(160, dpi));
}

// The shaded strip: at the right edge, the scaled width, the full height.
E2E_TEST(dpi, GradientStripFillsTheRightEdge) {
    AwareThread aware;
    const int dpi = ScaledDpi();
    if (dpi == 0) return;
    CleanSettings clean;
    RunningConfig config;
    RECT client{};
    GetClientRect(config.form, &client);
    MapWindowPoints(config.form, nullptr, reinterpret_cast<POINT*>(&client), 2);
    e2e::Shot shot = e2e::Shot::Capture(client);
    E2E_REQUIRE(!shot.Empty());
    const int stripLeft = client.right - Scale(202, dpi);
    // Rows above and below the contact block; the strip is one colour across
    // each row and differs from the form's face beside it.
    for (int row : {Scale(4, dpi), Scale(240, dpi)}) {
        const int y = client.top + row;
        const uint32_t strip = shot.Pixel(stripLeft, y);
        E2E_CHECK(shot.Pixel(stripLeft - 1, y) != strip);
        int same = 0;
        for (int x = stripLeft; x < client.right; ++x) same += shot.Pixel(x, y) == strip;
        E2E_CHECK_EQ(same, client.right - stripLeft);
    }
    // Darker at the top than near the bottom: the gradient spans the scaled height.
    const uint32_t top = shot.Pixel(client.right - 1, client.top);
    const uint32_t low = shot.Pixel(client.right - 1, client.bottom - Scale(20, dpi));
    E2E_CHECK((top & 0xFF) < (low & 0xFF));
}

// The dialog's font is Tahoma at the scaled height: a label sizes itself to
// its caption in it.
E2E_TEST(dpi, ConfigFontIsScaled) {
    AwareThread aware;
    const int dpi = ScaledDpi();
    if (dpi == 0) return;
    CleanSettings clean;
    RunningConfig config;
    const int height = -Scale(11, dpi);
    Measure tahoma("Tahoma", height, false);
    const std::string caption = "Transition occurs every";
    HWND label = FindChild(config.form, kLabelClass, caption);
    E2E_REQUIRE(label != nullptr);
    RECT r{};
    GetWindowRect(label, &r);
    E2E_CHECK_EQ(static_cast<int>(r.bottom - r.top), static_cast<int>(tahoma.Metrics.tmHeight));
    const int width = r.right - r.left;
    const int text = tahoma.Width(caption);
    E2E_CHECK(width >= text);
    E2E_CHECK(width <= text + tahoma.Metrics.tmAveCharWidth + 2);
    // Bold labels are measured in the bold face.
    const std::string maker = "Varnel Control Systems";
    HWND bold = FindChild(config.form, kLabelClass, maker);
    E2E_REQUIRE(bold != nullptr);
    GetWindowRect(bold, &r);
    Measure tahomaBold("Tahoma", height, false, true);
    E2E_CHECK(r.right - r.left >= tahomaBold.Width(maker));
}

// Where a caption grows past its room at this DPI: a label's text into a
// control beside it, a button's caption past the button. Reported as notes,
// since the stored layout's gaps were chosen at 96 DPI.
E2E_TEST(dpi, ReportsCaptionsOutgrowingTheirRoom) {
    AwareThread aware;
    const int dpi = ScaledDpi();
    if (dpi == 0) return;
    CleanSettings clean;
    RunningConfig config;
    Measure tahoma("Tahoma", -Scale(11, dpi), false);
    std::vector<HWND> labels;
    std::vector<HWND> controls;
    for (HWND child : Descendants(config.form)) {
        if (!IsWindowVisible(child)) continue;
        if (ClassOf(child) == kLabelClass) {
            labels.push_back(child);
        } else if (TextOf(child) != " Preferences " && ClassOf(GetParent(child)) != "TJvSpinEdit") {
            controls.push_back(child);
        }
    }
    E2E_CHECK(labels.size() >= 10);
    E2E_CHECK(controls.size() >= 10);
    int findings = 0;
    for (HWND label : labels) {
        RECT l = InForm(config.form, label);
        const std::string caption = TextOf(label);
        l.right = l.left + tahoma.Width(caption);  // the text, not the label's spare room
        for (HWND control : controls) {
            RECT c = InForm(config.form, control);
            RECT overlap{};
            if (IntersectRect(&overlap, &l, &c)) {
                ++findings;
                e2e::Note("layout: text of label \"" + caption + "\" " + ShowRect(l) + " runs " +
                          std::to_string(overlap.right - overlap.left) + " px under " + ClassOf(control) + " " +
                          ShowRect(c));
            }
        }
    }
    for (HWND control : controls) {
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        if (lstrcmpiA(ClassOf(control).c_str(), "Button") != 0 || (style & BS_TYPEMASK) > BS_DEFPUSHBUTTON) continue;
        std::string caption;
        for (char c : TextOf(control))
            if (c != '&') caption += c;
        RECT c{};
        GetClientRect(control, &c);
        const int text = tahoma.Width(caption);
        if (text > c.right - 4) {
            ++findings;
            e2e::Note("layout: caption \"" + caption + "\" is " + std::to_string(text) + " px in a button " +
                      std::to_string(c.right) + " px wide");
        }
    }
    e2e::Note(std::to_string(findings) + " layout finding(s) at " + std::to_string(dpi) + " DPI");
}

// The band keeps its real-pixel size; its text is drawn 8 points high at the
// display's DPI.
E2E_TEST(dpi, BandIsRealPixelsWithScaledText) {
    AwareThread aware;
    const int dpi = ScaledDpi();
    if (dpi == 0) return;
    CleanSettings clean;
    const std::string line1 = "Kestrane Workstation HIKL";  // no descenders
    const std::string line2 = "OK";
    e2e::PutDword("CoverArea", 1);
    e2e::PutDword("TransitionTime", 5);
    e2e::PutDword("MovementType", 0);
    e2e::PutDword("DrawBorders", 1);
    e2e::PutString("TextLine1", line1);
    e2e::PutString("TextLine2", line2);
    e2e::MoveCursor(960, 540);
    e2e::Process process = e2e::Process::Start("/s");
    HWND band = e2e::BandOf(process.Id(), 10000);
    E2E_REQUIRE(band != nullptr);
    Measure font("Tahoma", -MulDiv(8, dpi, 72), true);
    const int width1 = font.Width(line1);
    const int width2 = font.Width(line2);
    E2E_REQUIRE(width1 > width2 + 20);
    // Baseline of line 1: its tallest glyphs end on the row above it.
    // The text cells scale with the DPI: line 1 at (10, 10) in 96-DPI pixels.
    const int x0 = MulDiv(10, dpi, 96);
    const int y0 = MulDiv(10, dpi, 96);
    const int lastRow = y0 + font.Metrics.tmAscent - 1;
    int right = -1;
    int bottom = -1;
    // The logo lands somewhere new each jump; a clear view of the text is
    // all that is needed.
    for (int attempt = 0; attempt < 3; ++attempt) {
        E2E_REQUIRE(e2e::WaitUntil(
            [&] {
                RECT r = e2e::Describe(band).Rect;
                return r.top >= 0 && r.bottom <= 1080;
            },
            25000));
        Sleep(300);
        e2e::WindowInfo info = e2e::Describe(band);
        E2E_CHECK_EQ(static_cast<int>(info.Rect.right - info.Rect.left), 1920);
        E2E_CHECK_EQ(static_cast<int>(info.Rect.bottom - info.Rect.top), 360);
        e2e::Shot shot = e2e::Shot::Capture(info.Rect);
        auto white = [&](int x, int y) { return shot.Pixel(info.Rect.left + x, info.Rect.top + y) == e2e::kWhite; };
        right = -1;
        for (int y = y0; y <= lastRow; ++y)
            for (int x = x0; x < x0 + width1 + 40; ++x)
                if (white(x, y)) right = std::max(right, x);
        // Columns only line 1 covers.
        bottom = -1;
        for (int y = y0; y < y0 + 60; ++y)
            for (int x = x0 + width2 + 4; x < x0 + width1; ++x)
                if (white(x, y)) bottom = std::max(bottom, y);
        if (right >= x0 + width1 * 85 / 100 && right <= x0 + width1 + 2 && bottom >= lastRow - 1 &&
            bottom <= lastRow + 1)
            break;
        e2e::WaitUntil([&] { return e2e::Describe(band).Rect.top != info.Rect.top; }, 12000);
    }
    e2e::Note("line 1: " + std::to_string(width1) + " px wide, ascent " + std::to_string(font.Metrics.tmAscent) +
              "; white to column " + std::to_string(right) + ", row " + std::to_string(bottom));
    // The band's glyphs come out a little narrower than this process measures.
    E2E_CHECK(right >= x0 + width1 * 85 / 100);
    E2E_CHECK(right <= x0 + width1 + 2);
    E2E_CHECK(bottom >= lastRow - 1);
    E2E_CHECK(bottom <= lastRow + 1);
    // Taller than the 96-DPI font could draw: its 8 points are 11 pixels.
    E2E_CHECK(bottom > y0 + 11);
    // Line 2's cell starts below line 1's glyphs.
    E2E_CHECK(MulDiv(24, dpi, 96) > bottom);
    e2e::MoveCursor(980, 560);
    DWORD code = 99;
    E2E_CHECK(process.WaitExit(5000, &code));
    E2E_CHECK_EQ(code, static_cast<DWORD>(0));
}
