// The drawing surfaces of the play screen (640x480, in play-screen pixels) and the pictures
// the game takes its parts from.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace quarlyn {

struct PlayScreen {
  Surface ascreen;             // the visible play screen
  Surface background_main;     // background, panels, landed blocks and counters
  Surface background_copy;     // clean copy without sprites: erasing and full redraws
  Surface background_work;     // back buffer the sprites are drawn into
  Surface picture_background;  // the current background picture
  Surface playfield{640, 480};  // the base the play screen is composed on
  Surface stakko_grid;         // the well, 210x480; its empty-row strip at (5, 0)
  Surface next_box;            // 120x140
  Surface score_box;           // 140x200; blank counter field at (9, 45)
  Surface numbers;             // 200x25: ten digit glyphs of 20x25
  Surface bonus;               // 200x80: four strips of 200x20
  Surface game_over;           // 160x200
  Surface sprite;              // 200x220 block sheet
  Surface mask;                // AND mask laid out like the block sheet

  // What each of the score, level and lines counters last showed, and the writes to the score
  // panel of the master picture, its three copies and the digit glyphs just after it was drawn.
  struct CounterShown {
    std::string text;
    std::array<uint64_t, 5> panel_writes{};
  };
  std::array<CounterShown, 3> counters_shown;
  std::vector<Rect> areas_to_copy;  // reused, so copying onto the visible screen allocates nothing
};

struct Saver;

// A background picture decoded at the size it is drawn at.
std::optional<Surface> load_background(const std::string& path);
// Names the backgrounds a next game may start with, to be decoded ahead: a person's game starts
// at the configured level; the robot's at the level drawn for it, and a person may take it over.
void prefetch_next_game_backgrounds(Saver& saver);

// Loads the skin pictures (picture list entries 11 to 17); stops silently at the first failure.
void stakko_initgraphics(Saver& saver);
// Loads the next background (cyclically 1 to 10); a failed load keeps the previous picture.
void stakko_changepicture(Saver& saver);
// Composes the play screen for a new game and fills the three off-screen copies from it.
void init_game_screen(Saver& saver);
// Puts the next background under the panels and the well, at a level change.
void stakko_newbackground(Saver& saver);
// Copies `area` of the clean copy onto the visible play screen. The two were equal after the
// last whole copy, so only the areas either has had written since are copied.
void copy_background_onto_screen(PlayScreen& screen, const Rect& area);
// Copies the clean copy over the whole visible play screen, yielding around it.
void stakko_redrawascreen(Saver& saver);
// The three counters of the score panel. `stakko_showscore` adds `points` first (0 redraws).
void stakko_showscore(Saver& saver, int32_t points);
void stakko_showlevel(Saver& saver);
void stakko_showlines(Saver& saver);

}  // namespace quarlyn
