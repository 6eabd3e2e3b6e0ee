#include "src/unitControl.h"

#include "platform/control.h"
#include "platform/process.h"
#include "src/controlLogic.h"
#include "src/unitParams.h"

namespace {

const char kUsage[] =
    "Usage: kestrane.scr /e [seconds]\\r\\n"
    "Ends the Kestrane Workstation band in every session; the watchers start no other band for the\\r\\n"
    "seconds given (1 to 86400), or for their idle time (StartAfterIdle) when none are given.\\r\\n";

}  // namespace

int RunEndCommand() {
    const TEndCommand command = ParseEndCommand(SplitCommandLine(platform::CommandLineText()));
    if (!command.Valid) {
        platform::WriteToCaller("kestrane.scr /e: " + command.Error + "\\r\\n" + kUsage);
        return 2;
    }
    platform::TControlChannel control;
    if (!control.RequestEnd(command.Timed, command.HoldSeconds, kEndRequestMs)) {
        platform::WriteToCaller("kestrane.scr /e: the band's control objects cannot be opened or made.\\r\\n");
        return 3;
    }
    return 0;
}
