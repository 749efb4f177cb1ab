// A window of the program, as the windows' procedures see it: a position and size in screen
// pixels that can be changed. Real windows follow the model; the test runtime keeps only it.
#pragma once

namespace quarlyn {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Form {
 public:
  virtual ~Form() = default;

  const Rect& bounds() const { return bounds_; }
  // Moves the window (and resizes it); a real window on screen follows.
  virtual void move(const Rect& bounds) { bounds_ = bounds; }

 private:
  Rect bounds_{};
};

}  // namespace quarlyn
