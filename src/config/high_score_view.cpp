#include "config/high_score_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "saver/high_scores.h"

namespace quarlyn {

namespace {

constexpr int kFirstRowTop = 159;
constexpr int kRowStep = 27;
constexpr int kRowHeight = 19;
constexpr const char* kEmptyTime = "99999";

struct Column {
  int left;
  int width;
  TextAlignment alignment;
  Pixel colour;
  const char* tooltip;
};

constexpr Column kNames{18, 190, TextAlignment::kLeft, rgb(0xe6, 0xf8, 0xff),
                        " This is the name of the person who scored the high score! "};
constexpr Column kScores{213, 91, TextAlignment::kCenter, rgb(0xff, 0xd9, 0x70),
                         " This is the high score that was recorded for this game "};
constexpr Column kLines{309, 61, TextAlignment::kCenter, rgb(0x9f, 0xe8, 0xff),
                        " This is how many lines were cleared in this game "};

void setup_column(std::array<Label, kPlaces>& column, const Column& look) {
  for (int i = 0; i < kPlaces; ++i) {
    Label& label = column[static_cast<size_t>(i)];
    label.bounds = {look.left, kFirstRowTop + kRowStep * i, look.width, kRowHeight};
    label.FontBold = true;
    label.FontSize = 8.25f;
    label.Alignment = look.alignment;
    label.ForeColor = look.colour;
    label.MouseMove = [&label, tooltip = look.tooltip](int, int, float, float) { label.ToolTipText = tooltip; };
  }
}

}  // namespace

void setup_high_score_labels(HighScoreLabels& labels) {
  setup_column(labels.Label1, kNames);
  setup_column(labels.Label2, kScores);
  setup_column(labels.Label3, kLines);
}

std::string get_40linetimestring(double tt) {
  // A negative time reads like any below ten seconds ("0:0-5"); only a hand-edited store holds
  // one, or one too large for the clock's type.
  const double whole = std::floor(tt);
  if (std::isnan(whole)) return time_text(0);
  constexpr double kLowest = std::numeric_limits<int32_t>::min();
  constexpr double kHighest = std::numeric_limits<int32_t>::max();
  return time_text(static_cast<int32_t>(std::clamp(whole, kLowest, kHighest)));
}

void show_scores(const Settings& settings, HighScoreLabels& labels) {
  const int g = settings.game_difficulty;
  // A game type outside 1 to 7 reaches here only from a hand-edited store; it shows nothing.
  if (g < 1 || g > kGameTypes) return;
  for (int i = 0; i < kPlaces; ++i) {
    const int p = i + 1;
    const std::string& score = settings.hiscore_score[g][p];
    labels.Label1[i].Caption = settings.hiscore_name[g][p];
    if (g == kFortyLineGame) {
      labels.Label2[i].Caption = score == kEmptyTime ? "00:00" : get_40linetimestring(stored_number(score));
    } else {
      labels.Label2[i].Caption = score;
    }
    labels.Label3[i].Caption = settings.hiscore_lines[g][p];
  }
}

}  // namespace quarlyn
