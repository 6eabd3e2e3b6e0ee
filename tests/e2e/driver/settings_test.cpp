// The band follows the stored settings; damaged ones are reported and the
// saver runs on the defaults.
#include "tests/e2e/driver/harness.h"

#include <sddl.h>

namespace {

using namespace e2e;

HWND ErrorDialogOf(DWORD pid) {
    for (const WindowInfo& w : WindowsOf(pid)) {
        if (w.Title == " Error!") return w.Handle;
    }
    return nullptr;
}

// Starts /s; when a report is expected, checks it and closes it with "o".
HWND StartSaver(Process& saver, bool expectReport) {
    MoveCursor(660, 660);
    Sleep(100);
    saver = Process::Start("/s");
    HWND report = nullptr;
    WaitUntil(
        [&] {
            report = ErrorDialogOf(saver.Id());
            return report != nullptr || BandOf(saver.Id(), 0) != nullptr;
        },
        8000);
    E2E_CHECK_EQ(report != nullptr, expectReport);
    if (report != nullptr) {
        SetForegroundWindow(report);
        Sleep(150);
        TypeText("o");
        E2E_CHECK(WaitUntil([&] { return ErrorDialogOf(saver.Id()) == nullptr; }, 3000));
    }
    HWND band = BandOf(saver.Id(), 8000);
    E2E_REQUIRE(band != nullptr);
    Sleep(400);
    return band;
}

void Dismiss(Process& saver) {
    MoveCursor(720, 720);
    E2E_CHECK(saver.WaitExit(2000));
}

int BandHeight(HWND band) {
    RECT r = Describe(band).Rect;
    return r.bottom - r.top;
}

// Waits until the whole band is on screen and reads it.
Shot WholeBand(HWND band) {
    WaitUntil(
        [&] {
            RECT r = Describe(band).Rect;
            return r.top >= 0 && r.bottom <= 1080;
        },
        20000);
    Sleep(200);
    return Shot::Capture(Describe(band).Rect);
}

// Width of the white run of a text line: from its first to its last white
// pixel in the line's rows, in band coordinates.
int TextSpan(const Shot& shot, int rowTop) {
    const RECT& a = shot.Area();
    int first = -1, last = -1;
    for (int y = a.top + rowTop; y < a.top + rowTop + 13; ++y) {
        for (int x = a.left; x < a.right; ++x) {
            if (shot.Pixel(x, y) != kWhite) continue;
            if (first < 0 || x - a.left < first) first = x - a.left;
            if (x - a.left > last) last = x - a.left;
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

// The white span the band's font gives a text, drawn here the same way.
int FontWidth(const std::string& text) {
    HDC screen = GetDC(nullptr);
    const int width = 1920, height = 20;
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    ExtTextOutA(dc, 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    int first = -1, last = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF) continue;
            if (first < 0 || x < first) first = x;
            if (x > last) last = x;
        }
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return first < 0 ? 0 : last - first + 1;
}

E2E_TEST(settings, NoKeyIsCreatedEmptyAndTheDefaultsRun) {
    DeleteSettingsKey();
    Process saver;
    HWND band = StartSaver(saver, false);
    E2E_CHECK_EQ(BandHeight(band), 360);
    E2E_CHECK(SettingsKeyExists());
    E2E_CHECK_EQ(ValueCount(), 0);
    Dismiss(saver);
    E2E_CHECK_EQ(ValueCount(), 0);
    DeleteSettingsKey();
}

E2E_TEST(settings, CoverAreaAsTextIsReportedAndAllDefaultsRun) {
    DeleteSettingsKey();
    PutString("CoverArea", "3");
    PutDword("TransitionTime", 4);
    Process saver;
    HWND band = StartSaver(saver, true);
    E2E_CHECK_EQ(BandHeight(band), 360);
    Dismiss(saver);
    DeleteSettingsKey();
}

E2E_TEST(settings, MovementTypeAsTextKeepsTheValuesReadBeforeIt) {
    DeleteSettingsKey();
    PutDword("CoverArea", 3);
    PutDword("TransitionTime", 1);
    PutString("MovementType", "0");
    Process saver;
    HWND band = StartSaver(saver, true);
    E2E_CHECK_EQ(BandHeight(band), 216);
    // TransitionTime 1 was read before the failure: a jump within ~1 s.
    LONG top = Describe(band).Rect.top;
    E2E_CHECK(WaitUntil([&] { return Describe(band).Rect.top != top; }, 1800));
    Dismiss(saver);
    DeleteSettingsKey();
}

E2E_TEST(settings, DrawBordersTwoDrawsTheBorders) {
    DeleteSettingsKey();
    PutDword("DrawBorders", 2);
    Process saver;
    HWND band = StartSaver(saver, false);
    Shot shot = WholeBand(band);
    const RECT& a = shot.Area();
    int topWhite = 0, bottomWhite = 0;
    for (int x = a.left; x < a.right; ++x) {
        topWhite += shot.Pixel(x, a.top) == kWhite;
        bottomWhite += shot.Pixel(x, a.bottom - 1) == kWhite;
    }
    E2E_CHECK_EQ(topWhite, 1920);
    E2E_CHECK_EQ(bottomWhite, 1920);
    Dismiss(saver);
    DeleteSettingsKey();
}

E2E_TEST(settings, DrawBordersZeroDrawsNone) {
    DeleteSettingsKey();
    PutDword("DrawBorders", 0);
    Process saver;
    HWND band = StartSaver(saver, false);
    Shot shot = WholeBand(band);
    const RECT& a = shot.Area();
    int white = 0;
    for (int x = a.left; x < a.right; ++x) {
        white += shot.Pixel(x, a.top) == kWhite;
        white += shot.Pixel(x, a.bottom - 1) == kWhite;
    }
    E2E_CHECK_EQ(white, 0);
    Dismiss(saver);
    DeleteSettingsKey();
}

E2E_TEST(settings, ExpandableTextIsShownUnexpanded) {
    DeleteSettingsKey();
    const std::string text = "Unit %COMPUTERNAME% at %SystemRoot%";
    PutString("TextLine1", text, REG_EXPAND_SZ);
    PutString("TextLine2", "");
    Process saver;
    HWND band = StartSaver(saver, false);
    Shot shot = WholeBand(band);
    const int span = TextSpan(shot, 10);
    const int expected = FontWidth(text);
    Note("line 1 spans " + std::to_string(span) + " px; the unexpanded text is " + std::to_string(expected) + " px");
    E2E_CHECK_EQ(span, expected);
    E2E_CHECK_EQ(TextSpan(shot, 24), 0);  // an empty line draws nothing
    Dismiss(saver);
    DeleteSettingsKey();
}

E2E_TEST(settings, AZeroByteCutsTheText) {
    DeleteSettingsKey();
    PutString("TextLine1", "");
    PutValue("TextLine2", REG_SZ, std::string("Shown part\0hidden part that is long", 36) + std::string(1, '\0'));
    Process saver;
    HWND band = StartSaver(saver, false);
    Shot shot = WholeBand(band);
    const int span = TextSpan(shot, 24);
    const int expected = FontWidth("Shown part");
    Note("line 2 spans " + std::to_string(span) + " px; \"Shown part\" is " + std::to_string(expected) + " px");
    E2E_CHECK_EQ(span, expected);
    Dismiss(saver);
    DeleteSettingsKey();
}

// Gives the settings key a security descriptor (SDDL text).
bool SetKeySecurity(const char* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
              RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    if (descriptor != nullptr) LocalFree(descriptor);
    RegCloseKey(key);
    return ok;
}

// Everyone may read the key (and change its permissions back), nobody write.
const char kReadOnly[] = "D:P(A;;KRWDSD;;;WD)";
const char kFullAccess[] = "D:P(A;;KA;;;WD)";

bool KeyIsWritable() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

E2E_TEST(settings, ReadOnlyKeyGivesTheDefaultsSilently) {
    DeleteSettingsKey();
    PutDword("CoverArea", 3);
    PutDword("DrawBorders", 0);
    E2E_REQUIRE(SetKeySecurity(kReadOnly));
    if (KeyIsWritable()) {
        Note("this Wine does not enforce registry permissions; case not modelled");
        SetKeySecurity(kFullAccess);
        DeleteSettingsKey();
        return;
    }
    Process saver;
    HWND band = StartSaver(saver, false);
    E2E_CHECK_EQ(BandHeight(band), 360);  // CoverArea 3 exists but is not used
    Dismiss(saver);
    SetKeySecurity(kFullAccess);
    DeleteSettingsKey();
}

E2E_TEST(settings, ReadOnlyKeyMakesSavingFailAndWritesNothing) {
    DeleteSettingsKey();
    PutDword("CoverArea", 3);
    E2E_REQUIRE(SetKeySecurity(kReadOnly));
    if (KeyIsWritable()) {
        Note("this Wine does not enforce registry permissions; case not modelled");
        SetKeySecurity(kFullAccess);
        DeleteSettingsKey();
        return;
    }
    Process config = Process::Start("");
    HWND dialog = WaitForWindow(config.Id(), "TfrmConfig", 8000);
    E2E_REQUIRE(dialog != nullptr);
    HWND ok = FindWindowExA(dialog, nullptr, "Button", "&OK");
    E2E_REQUIRE(ok != nullptr);
    PostMessageA(ok, BM_CLICK, 0, 0);
    HWND report = nullptr;
    E2E_CHECK(WaitUntil([&] { return (report = ErrorDialogOf(config.Id())) != nullptr; }, 5000));
    if (report != nullptr) {
        bool writeText = false;
        EnumChildWindows(
            report,
            [](HWND child, LPARAM param) CALLBACK -> BOOL {
                char text[256] = {};
                GetWindowTextA(child, text, sizeof(text));
                if (std::string(text).rfind("Could not write screen saver preferences", 0) == 0) {
                    *reinterpret_cast<bool*>(param) = true;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&writeText));
        E2E_CHECK(writeText);
        SetForegroundWindow(report);
        Sleep(150);
        TypeText("o");
    }
    DWORD code = 99;
    E2E_CHECK(config.WaitExit(5000, &code));
    E2E_CHECK_EQ(code, 0u);
    SetKeySecurity(kFullAccess);
    E2E_CHECK_EQ(ValueCount(), 1);  // nothing written
    DWORD type = 0;
    std::string bytes;
    E2E_CHECK(ReadValue("CoverArea", type, bytes) && bytes == DwordBytes(3));
    DeleteSettingsKey();
}

// Each setting on its own from the first place that has it: machine policy, user policy,
// the user's own value, the machine's and then the user's recommendation. A policy value
// of the wrong type is passed over without a word, and the user's own values are never
// touched, so they come back when the policies go.
E2E_TEST(settings, PoliciesWinOverTheOwnValuesAndRecommendationsFillTheGaps) {
    DeleteSettingsKey();
    PolicyScope policies;
    PutDword("CoverArea", 0);
    PutDword("TransitionTime", 5);
    PutDword("MovementType", 1);
    PutString("TextLine1", "Own first line");
    PutPolicyDword(PolicyPlace::User, "CoverArea", 2);
    PutPolicyDword(PolicyPlace::User, "TransitionTime", 3);
    PutPolicyDword(PolicyPlace::Machine, "CoverArea", 3);
    PutPolicyDword(PolicyPlace::Machine, "MovementType", 0);
    PutPolicy(PolicyPlace::Machine, "TransitionTime", REG_SZ, std::string("1\0", 2));
    PutPolicyDword(PolicyPlace::MachineRecommended, "DrawBorders", 0);
    PutPolicyString(PolicyPlace::MachineRecommended, "TextLine1", "Recommended first line");
    PutPolicyString(PolicyPlace::UserRecommended, "TextLine2", "Recommended second line");
    PutPolicyDword(PolicyPlace::UserRecommended, "DrawBorders", 1);
    {
        Process saver;
        HWND band = StartSaver(saver, false);  // no report for the wrong type
        E2E_CHECK_EQ(BandHeight(band), 1080 / 5);
        Shot shot = WholeBand(band);
        const RECT& a = shot.Area();
        int borderWhite = 0;
        for (int x = a.left; x < a.right; ++x) borderWhite += shot.Pixel(x, a.top) == kWhite;
        E2E_CHECK_EQ(borderWhite, 0);  // the machine's recommendation over the user's
        E2E_CHECK_EQ(TextSpan(shot, 10), FontWidth("Own first line"));
        E2E_CHECK_EQ(TextSpan(shot, 24), FontWidth("Recommended second line"));
        // Stepping down a band height at a time, every 3 s (the user policy's time).
        std::vector<LONG> tops{Describe(band).Rect.top};
        std::vector<DWORD> times{GetTickCount()};
        while (tops.size() < 4 && GetTickCount() - times.front() < 16000) {
            const LONG top = Describe(band).Rect.top;
            if (top != tops.back()) {
                tops.push_back(top);
                times.push_back(GetTickCount());
            }
            Sleep(20);
        }
        E2E_REQUIRE(tops.size() == 4);
        int steps = 0;
        for (size_t i = 1; i < tops.size(); ++i) steps += tops[i] - tops[i - 1] == 1080 / 5;
        const DWORD interval = times[3] - times[2];
        Note("tops " + std::to_string(tops[1]) + ", " + std::to_string(tops[2]) + ", " + std::to_string(tops[3]) +
             "; " + std::to_string(interval) + " ms between the last two moves");
        E2E_CHECK(steps >= 2);
        E2E_CHECK(interval >= 2500 && interval <= 3600);
        Dismiss(saver);
    }
    // Nothing of the policies reached the user's own key.
    E2E_CHECK_EQ(ValueCount(), 4);
    DWORD type = 0;
    std::string bytes;
    E2E_CHECK(ReadValue("CoverArea", type, bytes) && bytes == DwordBytes(0));
    ClearPolicies();
    {
        Process saver;
        HWND band = StartSaver(saver, false);
        E2E_CHECK_EQ(BandHeight(band), 1080 / 2);
        Dismiss(saver);
    }
    DeleteSettingsKey();
}

}  // namespace
