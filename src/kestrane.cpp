#include "src/kestrane.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"
#include "platform/hostWindows.h"
#include "platform/numeric.h"
#include "platform/preview.h"
#include "platform/process.h"
#include "platform/session.h"
#include "platform/stdControls.h"
#include "platform/win/winRegistry.h"
#include "platform/toolkit.h"
#include "src/previewLogic.h"
#include "src/unitCheckPrevious.h"
#include "src/unitParams.h"
#include "src/unitRegistry.h"
#include "src/unitSaver.h"
#include "src/unitConfig.h"
#include "src/unitControl.h"
#include "src/unitWatcher.h"

const char kApplicationTitle[] = "Kestrane Workstation Screen Saver";

void RunExitSteps() {
    ReleasePrevious();
    tk::Application.DestroyForms();
}

namespace {

// The immediate ends of the start-up sequence and of the preview.
[[noreturn]] void EndAtOnce() {
    RunExitSteps();
    platform::ExitProcessNow(0);
}

constexpr uint64_t kHostWaitMs = 3000;
// A pass at least this often: the blink stays within this of each second
// boundary, and a vanished host is noticed as quickly.
constexpr int32_t kMaxPassWaitMs = 50;

TRect LogoRectFor(const TRect& hostRect, const tk::TBitmapPicture* logo) {
    if (logo == nullptr) return TRect{};
    const int64_t width = static_cast<int64_t>(hostRect.Right) - hostRect.Left;
    const int64_t height = static_cast<int64_t>(hostRect.Bottom) - hostRect.Top;
    const int32_t hw = std::max(SaturateToInt32(width), 0);
    const int32_t hh = std::max(SaturateToInt32(height), 0);
    return ComputeLogoRect(hw, hh, logo->Width(), logo->Height());
}

// In saver mode nothing may leave the band over the operator's displays:
// any failure inside a handler ends the program, cursor restored.
void EndSaverOnFailure(const std::string&) {
    if (frmSaver != nullptr) frmSaver->RestoreEnvironment();
    ReleasePrevious();
    platform::ExitProcessNow(1);
}

// Windows runs a secure saver, and on current versions any saver it starts
// itself, on a desktop of its own: there the band would cover an empty screen.
bool OnTheOperatorsDesktop() {
    const std::string name = platform::ThreadDesktopName();
    if (name.empty()) return true;  // the system does not say: show the band as ever
    if (name.size() != 7) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if ((name[i] | 0x20) != "default"[i]) return false;
    }
    return true;
}

int RunProgram() {
    // Decided before anything else: the watcher takes no single-instance place
    // and makes no window, and a saver nobody can see must not touch either.
    platform::SetRegistryApi(&platform::WindowsRegistryApi());
    const TParsedParams first = ParseCommandLine(platform::CommandLineText(), nullptr);
    const char firstMode = first.Mode.empty() ? '\0' : first.Mode[0];
    if (firstMode == 'W') return RunWatcher();
    if (firstMode == 'E') return RunEndCommand();
    if (firstMode == 'S' && !OnTheOperatorsDesktop()) return 0;

    tk::RegisterStandardControls();
    tk::Application.Initialize();
    tk::Application.SetTitle(kApplicationTitle);
    if (CheckPrevious(platform::Handle32FromWindow(tk::Application.Handle()), 1)) EndAtOnce();
    LoadCfg();
    ParseParams();
    // The band takes the keyboard from nobody: a key ends it wherever the keyboard is.
    platform::MakeToolWindow(tk::Application.Handle(), Mode != "S");

    if (Mode == "C") {
        tk::CreateForm(frmConfig);
        tk::CreateForm(frmSaver);
        tk::Application.Run();
    } else if (Mode == "S") {
        PrepareEmergencyRelease();
        platform::EndProcessOnCrash(EmergencyReleasePrevious);
        tk::OnException = EndSaverOnFailure;
        SaverEmergencyExit = EmergencyReleasePrevious;
        tk::CreateForm(frmSaver);
        tk::CreateForm(frmConfig);
        tk::Application.Run();
    } else if (Mode == "P") {
        tk::Application.ShowMainForm = false;
        tk::CreateForm(frmConfig);
        tk::CreateForm(frmSaver);
        RunPreview();
        tk::Application.Terminate();
        tk::Application.Run();
    } else {
        tk::Application.Terminate();
        tk::Application.Run();
    }
    RunExitSteps();
    // The band is gone; a key that ended it reaches nothing until released.
    KeyboardGuard.Finish();
    return 0;
}

}  // namespace

void RunPreview() {
    if (TargetWnd == 0) EndAtOnce();
    const tk::Hwnd host = platform::WindowFromHandle32(TargetWnd);

    // Waiting and blinking sleep between passes and keep this program's own
    // messages flowing; each pass still checks the host first.
    const uint64_t deadline = platform::TickMilliseconds() + kHostWaitMs;
    while (!platform::IsWindowVisibleNow(host)) {
        tk::Application.ProcessMessages();
        if (tk::Application.Terminated()) return;
        const uint64_t now = platform::TickMilliseconds();
        if (now > deadline) EndAtOnce();
        platform::WaitForMessages(static_cast<uint32_t>(std::min<uint64_t>(deadline - now + 1, kMaxPassWaitMs)));
    }

    TRect hostRect;
    if (!platform::TryGetWindowRect(host, hostRect)) return;
    platform::THostSurface surface(host);
    if (!surface.Valid()) return;
    const tk::TBitmapPicture* logo = frmSaver->imgLogo->Picture();
    const TRect logoRect = LogoRectFor(hostRect, logo);
    // A host without area gets nothing drawn; the preview only waits for it to go.
    const bool drawable = logoRect.Width() > 0 && logoRect.Height() > 0;

    bool drawn = false;
    while (platform::IsWindowVisibleNow(host) && !tk::Application.Terminated()) {
        if (drawable) {
            switch (BlinkActionFor(platform::LocalClockNow().Second, drawn)) {
                case TBlinkAction::DrawLogo:
                    surface.DrawPicture(*logo, logoRect);
                    drawn = true;
                    break;
                case TBlinkAction::BlackOut:
                    surface.FillBlack(logoRect);
                    drawn = false;
                    break;
                case TBlinkAction::None: break;
            }
        }
        tk::Application.ProcessMessages();
        platform::WaitForMessages(
            static_cast<uint32_t>(WaitBeforeNextPass(platform::LocalClockNow().Millisecond, kMaxPassWaitMs)));
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::HardenProcess();
    try {
        return RunProgram();
    } catch (const std::exception& e) {
        // Not caught anywhere else: report once, as an unhandled error would be.
        if (frmSaver != nullptr) frmSaver->RestoreEnvironment();
        MessageBoxA(nullptr, e.what(), kApplicationTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
        try {
            RunExitSteps();
        } catch (...) {
        }
        return 1;
    }
}
