// Velmora_S, the hidden run form: see run_form.h.
#include "run_form.h"

#include <utility>

#include "command_line.h"

namespace velmora {

std::string rendererPath(const std::string& programFolder) {
    return programFolder + "\\Velmora.dll";
}

RunForm::RunForm(RunFormServices services, const BgmSettings& settings, std::int32_t& cursorState,
                 std::string programFolder, std::function<std::string()> readArguments)
    : services_(services),
      settings_(settings),
      cursorState_(cursorState),
      programFolder_(std::move(programFolder)),
      readArguments_(std::move(readArguments)) {}

bool RunForm::timerEnabled(RunTimer timer) const {
    switch (timer) {
        case RunTimer::Timer1:
            return timer1Enabled_;
        case RunTimer::Timer2:
            return timer2Enabled_;
        case RunTimer::Timer3:
            return timer3Enabled_;
    }
    return false;
}

bool RunForm::setTimer(RunTimer timer, bool enabled) {
    bool* flag = &timer3Enabled_;
    unsigned interval = kTimer3IntervalMs;
    if (timer == RunTimer::Timer1) {
        flag = &timer1Enabled_;
        interval = kTimer1IntervalMs;
    } else if (timer == RunTimer::Timer2) {
        flag = &timer2Enabled_;
        interval = kTimer2IntervalMs;
    }
    if (*flag == enabled) {
        return true;
    }
    *flag = enabled;
    if (!enabled) {
        services_.timers.stop(timer);
        return true;
    }
    *flag = services_.timers.start(timer, interval);
    return *flag;
}

std::string RunForm::fileKind() const {
    const std::string& file = settings_.file;
    std::string kind = file.size() >= 3 ? file.substr(file.size() - 3) : file;
    for (char& c : kind) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return kind;
}

void RunForm::formLoad() {
    // The renderer watch runs from the load on. Without it nothing would end the run: the
    // renderer is not started, and the run ends at once.
    if (!setTimer(RunTimer::Timer3, true)) {
        queryUnload();
        return;
    }
    rendererPath_ = rendererPath(programFolder_);
    renderer_ = services_.processes.start(rendererPath_);
    if (settings_.kind == kBgmCd) {
        services_.music.cdOpen();
        setTimer(RunTimer::Timer2, true);
    }
    if (settings_.kind == kBgmFile) {
        const std::string kind = fileKind();
        if (kind == "WAV") {
            services_.music.wavPlay();
        }
        if (kind == "MP3") {
            services_.music.mp3Open();
            setTimer(RunTimer::Timer1, true);
        }
    }
}

void RunForm::timer1Tick() {
    services_.music.mp3Loop();
}

void RunForm::timer2Tick() {
    services_.music.cdPoll();
    setTimer(RunTimer::Timer2, services_.music.cdOk());
}

void RunForm::timer3Tick() {
    ++rendererChecks_;
    // Only a window of the renderer this run started counts: a stale one of an earlier run
    // or of another program does not keep the run alive.
    if (renderer_ != nullptr && renderer_->findWindow(kRendererTitle)) {
        rendererWindowGone_ = false;
        checkAnswer();
        return;
    }
    if (runIsOver()) {
        setTimer(RunTimer::Timer3, false);
        queryUnload();
    }
}

bool RunForm::runIsOver() {
    if (renderer_ == nullptr || renderer_->hasEnded()) {
        return true;  // ended, or could not start
    }
    // A failed start: the box says why, on the user's own display, until it is dismissed;
    // the renderer ends then, and the next check ends the run.
    if (renderer_->showsErrorBox()) {
        rendererWindowGone_ = false;
        return false;
    }
    if (!rendererWindowSeen_) {
        // Still starting, unless it has had its time to show a window.
        return rendererChecks_ >= kRendererStartChecks;
    }
    // Its window has gone: it is ending, or about to show its box.
    const std::uint32_t now = services_.timers.nowMs();
    if (!rendererWindowGone_) {
        rendererWindowGone_ = true;
        windowGoneMs_ = now;
    }
    rendererHadItsTime_ = now - windowGoneMs_ >= kRendererCloseWaitMs;
    return rendererHadItsTime_;
}

void RunForm::checkAnswer() {
    const std::uint32_t before = services_.timers.nowMs();
    if (!rendererWindowSeen_) {
        rendererWindowSeen_ = true;
        lastAnswerMs_ = before;
    }
    if (renderer_->windowAnswers(kRendererAnswerTimeoutMs)) {
        lastAnswerMs_ = before;
        return;
    }
    if (services_.timers.nowMs() - lastAnswerMs_ < kRendererHangLimitMs) {
        return;
    }
    // Hung: its end restores the display mode; restoring it here as well leaves nothing
    // to chance.
    renderer_->terminate();
    services_.display.restoreRegistryMode();
    renderer_.reset();  // ended and its display given back: nothing left to do for it
    setTimer(RunTimer::Timer3, false);
    queryUnload();
}

void RunForm::endRenderer(bool closeRequested) {
    if (renderer_ == nullptr) {
        return;
    }
    if (!renderer_->hasEnded()) {
        // A renderer asked to close, or whose window has gone, is on its way out: give it
        // the time to restore the display itself. One that never showed a window is ended
        // at once.
        const bool ending = closeRequested || (rendererWindowSeen_ && !rendererHadItsTime_);
        if (!ending || !renderer_->waitForEnd(kRendererCloseWaitMs)) {
            renderer_->terminate();
            services_.display.restoreRegistryMode();
            return;
        }
    }
    // A renderer that crashed or failed may have left its mode behind: nobody else gives
    // the display back.
    if (!renderer_->endedCleanly()) {
        services_.display.restoreRegistryMode();
    }
}

void RunForm::queryUnload() {
    // Whatever unloads the form, its own renderer is asked to close first, so that the
    // renderer restores the display mode itself while the music stops.
    bool closeRequested = false;
    if (renderer_ != nullptr && !renderer_->hasEnded()) {
        closeRequested = renderer_->closeWindow(kRendererTitle);
    }
    if (timer2Enabled_) {
        setTimer(RunTimer::Timer2, false);
        services_.music.cdClose();
    }
    if (settings_.kind == kBgmFile) {
        const std::string kind = fileKind();
        if (kind == "WAV") {
            services_.music.wavStop();
        }
        if (kind == "MP3") {
            setTimer(RunTimer::Timer1, false);
            services_.music.mp3Close();
        }
    }
    if (modeLetter(readArguments_()) == 'S') {
        cursorState_ = services_.cursor.showCursor(cursorState_ != 0);
    }
    endRenderer(closeRequested);
    renderer_.reset();
    services_.program.endProgram();
}

}  // namespace velmora
