#include "src/unitWatcher.h"

#include <algorithm>

#include "platform/display.h"
#include "platform/session.h"
#include "src/unitCheckPrevious.h"
#include "src/unitRegistry.h"
#include "src/watcherLogic.h"

const char kWatcherSessionName[] = "Varnel.KestraneWorkstation.Watcher";

namespace {

int32_t ReadStartAfterIdle() {
    // A damaged setting is the band's to report; the watcher's value is read on its own.
    TryLoadCfg();
    return Cfg.StartAfterIdle;
}

}  // namespace

int RunWatcher() {
    platform::TSessionName session(kWatcherSessionName);
    if (!session.Held()) return 0;

    TWatchSchedule schedule(platform::TickMilliseconds());
    int32_t startAfterIdle = ReadStartAfterIdle();
    uint64_t nextRead = platform::TickMilliseconds() + kWatcherSettingsEveryMs;
    platform::TChildProcess band;
    for (;;) {
        uint64_t now = platform::TickMilliseconds();
        if (now >= nextRead) {
            startAfterIdle = ReadStartAfterIdle();
            nextRead = now + kWatcherSettingsEveryMs;
        }
        const uint32_t untilRead = static_cast<uint32_t>(nextRead - now);
        if (band.Valid()) {
            if (!band.Ended()) {
                void* const handles[] = {band.Handle()};
                platform::WaitForAny(handles, 1, untilRead);
                continue;
            }
            // However it ended: the next idle period counts from now at the earliest.
            band = platform::TChildProcess();
            schedule.BandEnded(now);
        }
        TWatchFacts facts;
        facts.Now = now;
        facts.SinceInputMs = platform::MillisecondsSinceInput();
        facts.StartAfterIdle = startAfterIdle;
        facts.OnInputDesktop = platform::ThreadDesktopHasInput();
        const TWatchStep step = schedule.Next(facts);
        if (step.StartBand) {
            // An open dialog or preview holds the place: a start would be refused
            // and bring the dialog forward; count it as a band that ended now.
            if (!PlaceIsTaken()) band = platform::TChildProcess::StartOwnProgram("/s");
            if (!band.Valid()) schedule.BandEnded(now);
            continue;
        }
        platform::WaitForAny(nullptr, 0, std::min(step.WaitMs, untilRead));
    }
}
