// The floor the saver is measured against: a bare FLTK window that moves a small square 50
// times a second and does nothing else.
//
//   floor_window SECONDS
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <cstdlib>

namespace {

constexpr double kFrameSeconds = 0.02;

class SquareWindow final : public Fl_Window {
 public:
  SquareWindow() : Fl_Window(0, 0, 640, 480, "floor") {}
  void step() {
    // Only the square's old and new places are damaged, so each frame draws no more than them.
    damage(FL_DAMAGE_USER1, position_, h() / 2, kSize, kSize);
    position_ = (position_ + 4) % (w() - kSize);
    damage(FL_DAMAGE_USER1, position_, h() / 2, kSize, kSize);
  }
  void draw() override {
    fl_rectf(0, 0, w(), h(), FL_BLACK);
    fl_rectf(position_, h() / 2, kSize, kSize, FL_WHITE);
  }

 private:
  static constexpr int kSize = 20;
  int position_ = 0;
};

void tick(void* window) {
  static_cast<SquareWindow*>(window)->step();
  Fl::repeat_timeout(kFrameSeconds, tick, window);
}

void stop(void* window) { static_cast<SquareWindow*>(window)->hide(); }

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30;
  SquareWindow window;
  window.end();
  window.show();
  Fl::add_timeout(kFrameSeconds, tick, &window);
  Fl::add_timeout(seconds, stop, &window);
  return Fl::run();
}
