// The saver band: a top-most black band across the desktop that jumps
// every few seconds and closes when the operator touches mouse or keyboard.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/control.h"
#include "platform/keyboardGuard.h"
#include "platform/monitors.h"
#include "platform/toolkit.h"
#include "platform/watchdog.h"
#include "src/bandMotion.h"
#include "src/keyGateLogic.h"

class TfrmSaver : public tk::TForm {
public:
    TfrmSaver();

    tk::TImage* imgScreen = nullptr;
    tk::TImage* imgLogo = nullptr;
    tk::TTimer* tmrMove = nullptr;
    tk::TTimer* tmrStop = nullptr;

    void FormShow(tk::TComponent* sender);
    void FormHide(tk::TComponent* sender);
    void tmrMoveTimer(tk::TComponent* sender);
    void tmrStopTimer(tk::TComponent* sender);
    void ApplicationMessage(tk::TMessage& msg, bool& handled);

    // Undoes what the show sequence did to the environment (hook, cursor);
    // safe to call on any path, any number of times.
    void RestoreEnvironment();

protected:
    void ComponentsCreated() override;
    bool FormMessage(uint32_t msg, uint64_t wParam, int64_t lParam, int64_t& result) override;

private:
    // The operator moved or pressed a key: the band goes.
    void Dismiss();
    // The cursor read at (x, y), by the poll or from a mouse message.
    void CursorSeen(int32_t x, int32_t y, bool fromPoll);
    // Left, width and height from the desktop (the band's group of monitors)
    // and the band's picture with them.
    void LayOutBand(const TRect& desktop);
    // Measures the monitors and gives each group of them its band: this form
    // the first group's, the other bands the others'.
    void LayOutGroups();
    // Whether the desktop or the list of monitors differs from the last layout.
    bool LayoutChanged() const;
    // This band's next place, from its own movement state.
    TMovePlace NextPlace(TMoveState& state) const;
    // The rectangles of the screen this band shows at top; with several
    // groups, only within its own group's rectangle: what overhangs it would
    // lie on another group's monitors.
    std::vector<TRect> PiecesAt(int32_t top, bool withinGroup) const;
    // What a band of another group needs to paint: set up when it shows.
    void PreparePicture();
    // The other groups' bands show, once placed.
    void ShowOthers();
    // Puts the band's top at top: one window, or its pieces around the
    // rows kept clear.
    void PlaceBand(int32_t top);
    // The display configuration changed: span the new desktop at once.
    void FollowDesktop();
    void OnDisplayChange();
    void OnDpiChange(int32_t dpi);
    std::vector<TRect> LayeredAreas();
    void PaintPicture(tk::Hdc dc, const TRect& clipInImage, int32_t originX, int32_t originY);

    // The band picture's parameters, fixed at show time.
    int32_t pictureWidth_ = 0;
    int32_t pictureHeight_ = 0;
    bool pictureBorders_ = false;
    int32_t bandLeft_ = 0;
    // Rows of every monitor are kept clear: the band shows as pieces.
    bool keepsClear_ = false;
    bool cursorHidden_ = false;
    TRect desktop_;
    // What the last layout measured (the first band only).
    TRect virtualDesktop_;
    std::vector<TRect> monitors_;
    // The first band moves and ends all; the bands of the other groups of
    // monitors only paint and are placed with it.
    bool leader_ = true;
    std::vector<TfrmSaver*> others_;
    size_t othersShown_ = 0;
    TMoveState ownMoveState_;
    // When the band last saw the display configuration change (0 never).
    uint64_t desktopChangedAtMs_ = 0;
    TMoveFilter moveFilter_;
    tk::TFont textFont_;
    // Where each text line paints, in the picture; an empty cell paints nothing.
    TRect textCells_[2];
    platform::TBandWatchdog watchdog_;
    // The control system's end request, opened when the band shows.
    std::unique_ptr<platform::TControlChannel> control_;
};

// Runs on the watchdog's thread just before it ends the process.
extern platform::TEmergencyExit SaverEmergencyExit;

// Lives beyond the band: after the band has gone it still holds back the
// key that ended it until that key is released.
extern platform::TKeyboardGuard KeyboardGuard;
// The hook's rules: which key ends the band, which keys are held back.
extern TKeyGate KeyGate;

extern TfrmSaver* frmSaver;
extern int32_t StartPosX;
extern int32_t StartPosY;
extern TMoveState MoveState;
extern TRandom Generator;
