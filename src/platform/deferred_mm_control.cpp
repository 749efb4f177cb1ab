#include "platform/deferred_mm_control.h"

#include <utility>

namespace quarlyn {

DeferredMMControl::DeferredMMControl(Runtime& runtime, MakeReal make_real)
    : make_real_(std::move(make_real)), status_timer_(runtime) {
  status_timer_.set_interval(kStatusIntervalMs);
  status_timer_.on_timer = [this] {
    if (StatusUpdate) StatusUpdate();
  };
}

void DeferredMMControl::Command(const std::string& command) {
  if (command == "Open" || command == "Close") {
    open_ = command == "Open";
    status_timer_.set_enabled(open_);
  } else if (command == "Play" && open_ && !asked_) {
    make_real_control();
  }
  forward(command);
}

int32_t DeferredMMControl::Mode() { return real_ ? real_->Mode() : kStopped; }

void DeferredMMControl::make_real_control() {
  asked_ = true;
  real_ = make_real_();
  forward("Open");
}

void DeferredMMControl::forward(const std::string& command) {
  if (!real_) return;
  real_->DeviceType = DeviceType;
  real_->FileName = FileName;
  real_->From = From;
  real_->To = To;
  real_->Notify = Notify;
  real_->Wait = Wait;
  real_->Shareable = Shareable;
  real_->Command(command);
}

}  // namespace quarlyn
