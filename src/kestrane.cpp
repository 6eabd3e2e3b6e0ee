#include "src/kestrane.h"

#include <windows.h>

#include "platform/display.h"
#include "platform/process.h"
#include "platform/stdControls.h"
#include "platform/win/winRegistry.h"
#include "platform/toolkit.h"
#include "src/unitParams.h"
#include "src/unitRegistry.h"
#include "src/unitSaver.h"
#include "src/unitConfig.h"

const char kApplicationTitle[] = "Kestrane Workstation Screen Saver";

void RunExitSteps() {
    tk::Application.DestroyForms();
}

namespace {

// In saver mode nothing may leave the band over the operator's displays:
// any failure inside a handler ends the program, cursor restored.
void EndSaverOnFailure(const std::string&) {
    if (frmSaver != nullptr) frmSaver->RestoreEnvironment();
    platform::ExitProcessNow(1);
}

int RunProgram() {
    tk::RegisterStandardControls();
    platform::SetRegistryApi(&platform::WindowsRegistryApi());
    tk::Application.Initialize();
    tk::Application.SetTitle(kApplicationTitle);
    LoadCfg();
    ParseParams();
    platform::MakeToolWindow(tk::Application.Handle());

    if (Mode == "C") {
        tk::CreateForm(frmConfig);
        tk::CreateForm(frmSaver);
        tk::Application.Run();
    } else if (Mode == "S") {
        platform::EndProcessOnCrash();
        tk::OnException = EndSaverOnFailure;
        tk::CreateForm(frmSaver);
        tk::CreateForm(frmConfig);
        tk::Application.Run();
    } else if (Mode == "P") {
        tk::Application.ShowMainForm = false;
        tk::CreateForm(frmConfig);
        tk::CreateForm(frmSaver);
        tk::Application.Terminate();
        tk::Application.Run();
    } else {
        tk::Application.Terminate();
        tk::Application.Run();
    }
    RunExitSteps();
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::HardenProcess();
    try {
        return RunProgram();
    } catch (const std::exception& e) {
        // Not caught anywhere else: report once, as an unhandled error would be.
        if (frmSaver != nullptr) frmSaver->RestoreEnvironment();
        MessageBoxA(nullptr, e.what(), kApplicationTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return 1;
    }
}
