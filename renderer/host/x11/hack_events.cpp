// Translation of the hack's window events into key-table entries, quit requests and sizes.
#include "host/x11/hack_events.h"

void HackMessagePump::attach(KeyTable& keys, Visibility& visibility, int32_t width,
                             int32_t height) {
    keys_ = &keys;
    visibility_ = &visibility;
    width_ = width;
    height_ = height;
}

bool HackMessagePump::dispatchNext(bool& wasQuit) {
    wasQuit = false;
    if (stopSignal_ != 0 && !stopReported_) {
        stopReported_ = true;
        source_.stopDrawing();
        wasQuit = true;
        return true;
    }
    HackEvent event;
    if (!source_.nextEvent(event)) {
        return false;
    }
    wasQuit = handle(event);
    return true;
}

void HackMessagePump::waitForMessage() {
    // A stop signal already taken, or one not yet reported, must not wait for an event.
    if (stopSignal_ == 0) {
        source_.waitForEvent();
    }
}

void HackMessagePump::showWindow() {
    visibility_->setWindowShown(mapped_ && !covered_ && !lockerShown_);
}

bool HackMessagePump::handle(const HackEvent& event) {
    if (keys_ == nullptr) {
        return false;  // before the window exists nothing of it can arrive
    }
    switch (event.kind) {
        case HackEvent::Kind::kEscapePressed:
            keys_->press(KeyTable::kEscape);
            return false;
        case HackEvent::Kind::kEscapeReleased:
            // A tap within one drain still counts: the key table keeps the press for it.
            keys_->release(KeyTable::kEscape);
            return false;
        case HackEvent::Kind::kResized:
            if (event.width != width_ || event.height != height_) {
                width_ = event.width;
                height_ = event.height;
                resize_(width_, height_);
            }
            return false;
        case HackEvent::Kind::kQuitKey:
        case HackEvent::Kind::kCloseRequest:
        case HackEvent::Kind::kWindowGone:
            return true;
        case HackEvent::Kind::kMapped:
        case HackEvent::Kind::kUnmapped:
            mapped_ = event.kind == HackEvent::Kind::kMapped;
            showWindow();
            return false;
        case HackEvent::Kind::kFullyCovered:
        case HackEvent::Kind::kUncovered:
            covered_ = event.kind == HackEvent::Kind::kFullyCovered;
            showWindow();
            return false;
        case HackEvent::Kind::kLockerShown:
        case HackEvent::Kind::kLockerGone:
            lockerShown_ = event.kind == HackEvent::Kind::kLockerShown;
            showWindow();
            return false;
        case HackEvent::Kind::kOther:
            return false;
    }
    return false;
}
