// A multimedia control: plays a MIDI file ("Sequencer") or a wave file ("WaveAudio"), whole or
// a millisecond range of it, in the background.
//
// Contract:
// - Properties are set by assignment; `Command` carries out "Open", "Play", "Stop" or "Close"
//   (any other text does nothing). "Close" on a control that is not open is harmless; every
//   command is accepted in any state and none reports a result.
// - "Play" returns at once; the device plays while the program goes on. After From and To are
//   set (From < To, milliseconds), "Play" plays only that range of an open wave file; "Stop"
//   cuts off what is playing.
// - `Mode()` is kStopped (525) whenever nothing plays: after a tune or range has ended, after
//   "Stop" or "Close", and before anything was played.
// - While a device is open, `StatusUpdate` is raised every 1000 ms, from inside the runtime's
//   yields like every other event.
// - Without a sound device, or with a file that cannot be opened or played, the control stays
//   silent but keeps this behaviour (a tune that cannot play counts as stopped).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quarlyn {

class MMControl {
 public:
  static constexpr int32_t kStopped = 525;

  virtual ~MMControl() = default;

  std::string DeviceType;
  std::string FileName;
  int32_t From = 0;
  int32_t To = 0;
  // The three switches the callers set before opening (their meaning is the device's).
  bool Notify = false;
  bool Wait = false;
  bool Shareable = false;
  std::function<void()> StatusUpdate;

  virtual void Command(const std::string& command) = 0;
  virtual int32_t Mode() = 0;
};

}  // namespace quarlyn
