// The high-score table of the configuration window: ten rows of name, result and lines for the
// chosen game type.
#pragma once

#include <array>
#include <string>

#include "platform/controls.h"
#include "startup/settings.h"

namespace quarlyn {

struct HighScoreLabels {
  std::array<Label, kPlaces> Label1;  // names
  std::array<Label, kPlaces> Label2;  // scores, or times in the "40 line" game
  std::array<Label, kPlaces> Label3;  // lines
};

// Places and fonts of the thirty labels; each gets its column's tooltip when the mouse first
// moves over it.
void setup_high_score_labels(HighScoreLabels& labels);
// Fills the three columns for the game type `game_difficulty`.
void show_scores(const Settings& settings, HighScoreLabels& labels);
// The time text of a number of seconds (fractions are cut off).
std::string get_40linetimestring(double tt);

}  // namespace quarlyn
