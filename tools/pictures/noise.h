// Deterministic procedural noise: every picture comes out the same on every build.
#pragma once

namespace quarlyn {

// A repeatable pseudo-random value in [0, 1) for an integer lattice point.
float hash01(int x, int y, int seed);
// Smooth value noise in [0, 1], one feature per unit.
float value_noise(float x, float y, int seed);
// Fractal sum of `octaves` value noises, each twice as fine and half as strong; in [0, 1].
float fbm(float x, float y, int seed, int octaves = 5);
// 1 - |2 noise - 1| summed the same way: sharp crests, for ridges and cracks.
float ridged_fbm(float x, float y, int seed, int octaves = 5);

struct CellSample {
  float nearest = 0;  // distance to the closest feature point
  float border = 0;   // distance to the nearest cell border
  float id = 0;       // random value of the closest cell, in [0, 1)
};
// Worley (cellular) noise with one feature point per unit cell.
CellSample cells(float x, float y, int seed);

// Brightness of a star field at a point: sparse, sharp points of varying size and strength.
float star_field(float x, float y, float cell_size, float density, int seed);

}  // namespace quarlyn
