#include "src/unitWatcher.h"

#include <algorithm>

#include "platform/control.h"
#include "platform/clock.h"
#include "platform/session.h"
#include "src/unitCheckPrevious.h"
#include "src/unitRegistry.h"
#include "src/watcherLogic.h"

const char kWatcherSessionName[] = "Varnel.KestraneWorkstation.Watcher";

namespace {

// While an answered end request still stands, the watcher looks this often
// whether it has been withdrawn.
constexpr uint32_t kEndLookMs = 250;

int32_t ReadStartAfterIdle() {
    // A damaged setting is the band's to report; the watcher's value is read on its own.
    TryLoadCfg();
    return Cfg.StartAfterIdle;
}

}  // namespace

int RunWatcher() {
    platform::TSessionName session(kWatcherSessionName);
    if (!session.Held()) return 0;
    platform::TControlChannel control;

    TWatchSchedule schedule(platform::TickMilliseconds());
    int32_t startAfterIdle = ReadStartAfterIdle();
    uint64_t nextRead = platform::TickMilliseconds() + kWatcherSettingsEveryMs;
    platform::TChildProcess band;
    // An end request stays set for a moment: answered once, then only looked
    // at until it is withdrawn.
    bool endAnswered = false;
    for (;;) {
        uint64_t now = platform::TickMilliseconds();
        if (now >= nextRead) {
            startAfterIdle = ReadStartAfterIdle();
            nextRead = now + kWatcherSettingsEveryMs;
        }
        const bool endRequested = control.EndRequested();
        const bool held = control.Held();
        if (endRequested && !endAnswered) schedule.ControlEnded(now, held);
        endAnswered = endRequested;
        if (!held) schedule.HoldOver();

        uint32_t wait = static_cast<uint32_t>(nextRead - now);
        if (endAnswered) wait = std::min(wait, kEndLookMs);
        void* const endEvent = endAnswered ? nullptr : control.EndEvent();
        if (band.Valid()) {
            if (!band.Ended()) {
                void* const handles[] = {endEvent, band.Handle()};
                platform::WaitForAny(handles, 2, wait);
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
        facts.Held = held;
        const TWatchStep step = schedule.Next(facts);
        if (step.StartBand) {
            // An open dialog or preview holds the place: a start would be refused
            // and bring the dialog forward; count it as a band that ended now.
            if (!PlaceIsTaken()) band = platform::TChildProcess::StartOwnProgram("/s");
            if (!band.Valid()) schedule.BandEnded(now);
            continue;
        }
        void* const handles[] = {endEvent, held ? control.HoldTimer() : nullptr};
        platform::WaitForAny(handles, 2, std::min(step.WaitMs, wait));
    }
}
