#include "src/unitSaver.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/messages.h"
#include "src/bandGroups.h"
#include "src/bandShape.h"
#include "src/unitRegistry.h"
#include "src/watchdogLogic.h"

TfrmSaver* frmSaver = nullptr;
int32_t StartPosX = 0;
int32_t StartPosY = 0;
TMoveState MoveState;
TRandom Generator;
platform::TEmergencyExit SaverEmergencyExit = nullptr;
platform::TKeyboardGuard KeyboardGuard;
TKeyGate KeyGate;

namespace {
constexpr uint32_t kBlack = tk::RgbColor(0, 0, 0);
constexpr uint32_t kWhite = tk::RgbColor(255, 255, 255);
// A cursor the system moved off a vanished part of the desktop is told from
// the operator's move only this long after the change.
constexpr uint64_t kSystemMoveWindowMs = 2000;

}  // namespace

TfrmSaver::TfrmSaver() : tk::TForm("FRMSAVER") {
    RegisterHandler("FormShow", [this](tk::TComponent* sender) { FormShow(sender); });
    RegisterHandler("FormHide", [this](tk::TComponent* sender) { FormHide(sender); });
    RegisterHandler("tmrMoveTimer", [this](tk::TComponent* sender) { tmrMoveTimer(sender); });
    RegisterHandler("tmrStopTimer", [this](tk::TComponent* sender) { tmrStopTimer(sender); });
}

void TfrmSaver::ComponentsCreated() {
    imgScreen = dynamic_cast<tk::TImage*>(FindComponent("imgScreen"));
    imgLogo = dynamic_cast<tk::TImage*>(FindComponent("imgLogo"));
    tmrMove = dynamic_cast<tk::TTimer*>(FindComponent("tmrMove"));
    tmrStop = dynamic_cast<tk::TTimer*>(FindComponent("tmrStop"));
    if (imgScreen == nullptr || imgLogo == nullptr || tmrMove == nullptr || tmrStop == nullptr) {
        throw std::runtime_error("The band's layout lacks a component");
    }
}

bool TfrmSaver::FormMessage(uint32_t msg, uint64_t wParam, int64_t, int64_t& result) {
    switch (msg) {
        case kWmDisplayChange:
            if (leader_) OnDisplayChange();
            result = 0;
            return true;
        case kWmDpiChanged:
            OnDpiChange(static_cast<int32_t>(wParam & 0xFFFFu));
            result = 0;
            return true;
        case kWmDismissKey:
        case kWmControlEnd:
            if (Showing() && leader_) Dismiss();
            result = 0;
            return true;
        default: return false;
    }
}

void TfrmSaver::PreparePicture() {
    SetDoubleBuffered(true);
    pictureBorders_ = Cfg.DrawBorders;
    keepsClear_ = Cfg.KeepClearTop > 0 || Cfg.KeepClearBottom > 0;
    textFont_ = tk::TFont(tk::TFontSpec{}, Dpi());
    imgScreen->SetPainter(
        [this](tk::Hdc dc, const TRect& clip, int32_t x, int32_t y) { PaintPicture(dc, clip, x, y); });
}

void TfrmSaver::FormShow(tk::TComponent*) {
    if (!leader_) {
        // Laid out and placed by the first band, before it shows.
        imgScreen->SetOpaque(true);
        imgLogo->SetVisible(true);
        return;
    }
    Generator.State = platform::RandomSeed();
    PreparePicture();
    LayOutGroups();

    int32_t x = 0;
    int32_t y = 0;
    if (platform::TryGetCursorPos(x, y)) {
        StartPosX = x;
        if (platform::TryGetCursorPos(x, y)) StartPosY = y;
    }

    tk::Application.OnMessage = [this](tk::TMessage& msg, bool& handled) { ApplicationMessage(msg, handled); };
    if (!cursorHidden_) {
        platform::ShowCursorOnce(false);
        cursorHidden_ = true;
    }
    imgScreen->SetOpaque(true);
    tmrMove->SetInterval(MoveIntervalMs(Cfg.TransitionTime));
    tmrMoveTimer(tmrMove);
    ShowOthers();
    imgLogo->SetVisible(true);
    tmrMove->SetEnabled(true);
    tmrStop->SetEnabled(true);
    control_ = std::make_unique<platform::TControlChannel>();
    // Last line of defence: ends the process if the band outlives a mouse
    // move, a key, the control system's request or a hung handler.
    watchdog_.Start(Handle(), std::make_unique<TWatchdog>(StartPosX, StartPosY), StartPosX, StartPosY,
                    SaverEmergencyExit, &platform::TKeyboardGuard::DismissKeyAtMs, control_->EndEvent(), kWmControlEnd);
    // Without the hook a key still ends the band while it has the keyboard.
    // Armed afresh once per jump, so that a band that has shown for hours
    // still ends on the first key.
    KeyboardGuard.Start(Handle(), kWmDismissKey, &KeyGate, MoveIntervalMs(Cfg.TransitionTime));
}

void TfrmSaver::LayOutBand(const TRect& desktop) {
    desktop_ = desktop;
    const TRect band = ComputeBandRect(desktop, Cfg.CoverArea);
    bandLeft_ = band.Left;
    // Pieces get their places with the next move: a whole band now would
    // cover the rows kept clear for a moment.
    if (!keepsClear_) {
        SetLeft(band.Left);
        SetWidth(band.Width());
        SetHeight(band.Height());
    }
    // The picture is painted on demand from these, never kept as a bitmap
    // of the band's size: memory stays the same on any desktop.
    imgScreen->SetBounds(0, 0, band.Width(), band.Height());
    pictureWidth_ = band.Width();
    pictureHeight_ = band.Height();
    imgScreen->SetSinglePass(LayeredAreas());
}

void TfrmSaver::LayOutGroups() {
    virtualDesktop_ = platform::VirtualDesktop();
    monitors_ = platform::MonitorRects();
    const std::vector<TMonitorGroup> groups = GroupMonitors(monitors_);
    // One group (a row of equal monitors) is the band over the whole desktop, as ever.
    if (groups.size() <= 1) {
        const bool wasCut = othersShown_ > 0;
        LayOutBand(virtualDesktop_);
        // Back from several groups: the one window shows the whole picture again.
        if (wasCut && !keepsClear_) {
            ShowAsPieces(bandLeft_, Top(),
                         {TRect{bandLeft_, Top(), bandLeft_ + pictureWidth_, Top() + pictureHeight_}});
        }
    } else {
        const TRect& first = groups[0].Rect;
        LayOutBand(first);
    }
    const size_t needed = groups.size() <= 1 ? 0 : groups.size() - 1;
    while (others_.size() < needed) {
        TfrmSaver* other = nullptr;
        tk::CreateForm(other);
        other->leader_ = false;
        other->PreparePicture();
        others_.push_back(other);
    }
    for (size_t i = 0; i < others_.size(); ++i) {
        TfrmSaver* other = others_[i];
        if (i >= needed) {
            other->Hide();
            continue;
        }
        const TRect& g = groups[i + 1].Rect;
        other->LayOutBand(g);
        other->ownMoveState_ = TMoveState{};
    }
    othersShown_ = needed;
}

bool TfrmSaver::LayoutChanged() const {
    // The desktop is the monitors' bounding box: an unchanged list of
    // monitors is an unchanged desktop, and one look costs less than five.
    const std::vector<TRect> monitors = platform::MonitorRects();
    if (monitors != monitors_) return true;
    return monitors.empty() && platform::VirtualDesktop() != virtualDesktop_;
}

void TfrmSaver::FollowDesktop() {
    desktopChangedAtMs_ = platform::TickMilliseconds();
    LayOutGroups();
    // A stepping band starts its cycle afresh over the new height.
    MoveState = TMoveState{};
    tmrMoveTimer(tmrMove);
    if (Showing()) ShowOthers();
    // The next jump a full interval after this one.
    tmrMove->SetEnabled(false);
    tmrMove->SetEnabled(true);
}

// A cursor the system moves because its place vanished is told apart by the
// poll (CursorSeen), which may see it before this message comes.
void TfrmSaver::OnDisplayChange() {
    if (Showing()) FollowDesktop();
}

void TfrmSaver::OnDpiChange(int32_t dpi) {
    SetDpi(dpi);
    textFont_ = tk::TFont(tk::TFontSpec{}, Dpi());
    imgScreen->SetSinglePass(LayeredAreas());
    Invalidate();
}

// Where the picture paints one thing over another: the border rows (black,
// then white) and the text cells (black, then the text's cells).
std::vector<TRect> TfrmSaver::LayeredAreas() {
    std::vector<TRect> areas;
    if (pictureBorders_) {
        areas.push_back(TRect{0, 0, pictureWidth_, 1});
        areas.push_back(TRect{0, pictureHeight_ - 1, pictureWidth_, pictureHeight_});
    }
    const size_t visible = static_cast<size_t>(std::max(pictureWidth_, 0));
    const TBandTextPlaces places = BandTextPlaces(Dpi());
    const int32_t left = places.Left;
    const int32_t tops[] = {places.Top1, places.Top2};
    const std::string_view lines[] = {Cfg.TextLine1, Cfg.TextLine2};
    for (int i = 0; i < 2; ++i) {
        const TSize cell = tk::TextExtent(lines[i].substr(0, visible), textFont_);
        textCells_[i] = TRect{};
        if (cell.Width > 0 && cell.Height > 0) {
            textCells_[i] = TRect{left, tops[i], left + cell.Width, tops[i] + cell.Height};
            areas.push_back(textCells_[i]);
        }
    }
    return areas;
}

void TfrmSaver::PaintPicture(tk::Hdc dc, const TRect& clip, int32_t originX, int32_t originY) {
    tk::TCanvas canvas(dc, Dpi());
    canvas.FillRect(TRect{originX + clip.Left, originY + clip.Top, originX + clip.Right, originY + clip.Bottom},
                    kBlack);
    if (pictureBorders_) {
        if (clip.Top <= 0 && clip.Bottom > 0) {
            canvas.HorizontalLine(originX + clip.Left, originX + clip.Right, originY, kWhite);
        }
        int32_t last = pictureHeight_ - 1;
        if (clip.Top <= last && clip.Bottom > last) {
            canvas.HorizontalLine(originX + clip.Left, originX + clip.Right, originY + last, kWhite);
        }
    }
    // Every glyph is at least a pixel wide, so nothing past the band's width
    // of characters can show; this keeps huge stored texts cheap to paint.
    const std::string_view lines[] = {Cfg.TextLine1, Cfg.TextLine2};
    const size_t visible = static_cast<size_t>(std::max(pictureWidth_, 0));
    for (int i = 0; i < 2; ++i) {
        // A jump repaints only where the logo was and is: a text line it does
        // not touch is not drawn, not even clipped, as text costs the most.
        const TRect& cell = textCells_[i];
        if (cell.Right <= clip.Left || cell.Left >= clip.Right || cell.Bottom <= clip.Top || cell.Top >= clip.Bottom ||
            !canvas.Visible(
                TRect{originX + cell.Left, originY + cell.Top, originX + cell.Right, originY + cell.Bottom})) {
            continue;
        }
        canvas.TextOutOpaque(originX + cell.Left, originY + cell.Top, lines[i].substr(0, visible), textFont_, kWhite,
                             kBlack);
    }
}

TMovePlace TfrmSaver::NextPlace(TMoveState& state) const {
    TMoveInput input{};
    input.BandHeight = pictureHeight_;
    input.FormWidth = pictureWidth_;
    input.FormHeight = pictureHeight_;
    input.LogoWidth = imgLogo->Width();
    input.LogoHeight = imgLogo->Height();
    input.Desktop = desktop_;
    input.MovementType = Cfg.MovementType;
    input.CoverArea = Cfg.CoverArea;
    input.DrawBorders = Cfg.DrawBorders;
    return ComputeMove(state, Generator, input);
}

void TfrmSaver::tmrMoveTimer(tk::TComponent*) {
    // Should the display's message be late or lost, the move itself notices.
    if (Showing() && LayoutChanged()) {
        FollowDesktop();
        return;
    }
    // The groups draw their places in their order, the first band's group first.
    const TMovePlace place = NextPlace(MoveState);
    if (othersShown_ == 0) {
        // One window moved whole keeps its picture, which is the same at every
        // place but for the logo: repainted at once only where the logo was
        // and is. Pieces are painted afresh from their new origins.
        if (!keepsClear_) {
            MoveTopMost(place.Top);
            imgLogo->MoveAndPaint(place.LogoLeft, place.LogoTop);
            return;
        }
        PlaceBand(place.Top);
        imgLogo->SetBounds(place.LogoLeft, place.LogoTop, imgLogo->Width(), imgLogo->Height());
        Invalidate();
        Update();
        return;
    }
    // Every band at once, in one deferred move of all their windows.
    std::vector<TfrmSaver*> bands{this};
    std::vector<TMovePlace> places{place};
    for (size_t i = 0; i < othersShown_; ++i) {
        bands.push_back(others_[i]);
        places.push_back(others_[i]->NextPlace(others_[i]->ownMoveState_));
    }
    std::vector<tk::TForm::TWindowPlace> windows;
    // A band whose window shows it whole, before and after, keeps its picture
    // but for the logo; one cut at its group's edge is painted afresh.
    std::vector<bool> keepsPicture;
    for (size_t i = 0; i < bands.size(); ++i) {
        const std::vector<tk::TForm::TWindowPlace> own =
            bands[i]->PiecePlaces(bands[i]->bandLeft_, places[i].Top, bands[i]->PiecesAt(places[i].Top, true));
        keepsPicture.push_back(own.size() == 1 && own[0].KeepsPicture);
        windows.insert(windows.end(), own.begin(), own.end());
    }
    tk::TForm::MoveTogether(windows);
    for (size_t i = 0; i < bands.size(); ++i) {
        tk::TImage* logo = bands[i]->imgLogo;
        if (keepsPicture[i]) {
            logo->MoveAndPaint(places[i].LogoLeft, places[i].LogoTop);
            continue;
        }
        logo->SetBounds(places[i].LogoLeft, places[i].LogoTop, logo->Width(), logo->Height());
        bands[i]->Invalidate();
        bands[i]->Update();
    }
}

std::vector<TRect> TfrmSaver::PiecesAt(int32_t top, bool withinGroup) const {
    TRect band{bandLeft_, top, bandLeft_ + pictureWidth_, top + pictureHeight_};
    if (withinGroup) {
        band.Top = std::max(band.Top, desktop_.Top);
        band.Bottom = std::min(band.Bottom, desktop_.Bottom);
        if (band.Bottom <= band.Top) return {};
    }
    if (!keepsClear_) return {band};
    return BandPieces(band, platform::MonitorRects(), Cfg.KeepClearTop, Cfg.KeepClearBottom);
}

void TfrmSaver::PlaceBand(int32_t top) {
    if (!keepsClear_) {
        SetTop(top);
        return;
    }
    ShowAsPieces(bandLeft_, top, PiecesAt(top, false));
}

void TfrmSaver::tmrStopTimer(tk::TComponent*) {
    watchdog_.Heartbeat();
    // The control system ends the band as a move would: the watchdog waits
    // for its request and posts it; without the watchdog the poll looks.
    if (!watchdog_.Running() && control_ != nullptr && control_->EndRequested()) {
        Dismiss();
        return;
    }
    int32_t x = 0;
    int32_t y = 0;
    // One read serves both axes: each read is a trip into the window
    // system, ten times a second for as long as the band runs.
    if (!platform::TryGetCursorPos(x, y)) return;
    CursorSeen(x, y, true);
}

void TfrmSaver::CursorSeen(int32_t x, int32_t y, bool fromPoll) {
    const bool beyond = BeyondDeadZone(StartPosX, x) || BeyondDeadZone(StartPosY, y);
    if (beyond) {
        // The poll may see a cursor the system moved before the display's
        // message arrives.
        if (LayoutChanged()) FollowDesktop();
    }
    const bool recentChange =
        desktopChangedAtMs_ != 0 && platform::TickMilliseconds() - desktopChangedAtMs_ <= kSystemMoveWindowMs;
    if (!moveFilter_.Counts(beyond, recentChange, fromPoll)) return;
    const bool savedOnAMonitor = !recentChange || platform::PointOnAMonitor(StartPosX, StartPosY);
    if (JudgeCursor(StartPosX, StartPosY, x, y, savedOnAMonitor) == TCursorVerdict::FollowSystem) {
        StartPosX = x;
        StartPosY = y;
        watchdog_.SetStart(x, y);
        return;
    }
    Dismiss();
}

void TfrmSaver::ApplicationMessage(tk::TMessage& msg, bool&) {
    if (msg.Message == kWmMouseMove) {
        // Judged at the screen point the system stored with the message: the
        // band may have jumped since it was queued, and it may be a piece's.
        if (BeyondDeadZone(StartPosX, msg.PtX) || BeyondDeadZone(StartPosY, msg.PtY)) {
            CursorSeen(msg.PtX, msg.PtY, false);
        }
        return;
    }
    // Mouse moves were judged above, so the band's place is not asked for:
    // this runs for every message, ten timer messages a second.
    if (ClassifyQueuedMessage(msg.Message, static_cast<uint64_t>(msg.LParam), 0, 0, StartPosX, StartPosY) ==
        THookVerdict::Close) {
        Dismiss();
    }
}

void TfrmSaver::Dismiss() {
    // Should the close not take the band away, the watchdog will.
    watchdog_.NoteMoved();
    Close();
}

void TfrmSaver::ShowOthers() {
    // Placed already: they appear where the move put them.
    for (size_t i = 0; i < othersShown_; ++i) {
        if (!others_[i]->Showing()) others_[i]->Show();
    }
}

void TfrmSaver::FormHide(tk::TComponent*) {
    if (!leader_) return;
    for (TfrmSaver* other : others_) other->Hide();
    tmrMove->SetEnabled(false);
    RestoreEnvironment();
    KeyboardGuard.Disarm();
    watchdog_.Stop();
}

void TfrmSaver::RestoreEnvironment() {
    tk::Application.OnMessage = nullptr;
    if (cursorHidden_) {
        platform::ShowCursorOnce(true);
        cursorHidden_ = false;
    }
}
