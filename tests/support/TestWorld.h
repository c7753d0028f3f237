// The world as tests predict and build it: the shared generator's sequence
// worked out apart from world/Random (to predict worlds, draw counts and
// teleports), the boxes a world draws, cells written by hand and odd cells
// scattered in.
#pragma once
#include <cstdint>

// A box of cells: corner and extents.
struct Box {
    int32_t x, y, z, w, h, d;
};

// The generator's state after n draws starting from state, by composing its
// affine step instead of stepping.
uint32_t StateAfter(uint32_t state, uint64_t n);
// One draw replayed: advances *state a step and returns the value drawn.
int32_t ReplayDraw(uint32_t* state);
// The next box a world draws, replayed: extents w, h, d of 1..5, then the
// corner x, y, z anywhere in the volume.
Box ReplayBox(uint32_t* state);

// Writes code into one cell and announces the change, as every writer of the
// volumes must.
void SetCell(int32_t x, int32_t y, int32_t z, uint8_t code);
// Writes code into every cell of [x0, x1] x [y0, y1] x [z0, z1] and announces it.
void FillCells(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1, uint8_t code);
// Writes a random code of 2..255 into about one cell in share of the inner
// cells, and FlagCube, FlagActor or FlagAltTexture into as many others, the
// same for the same seed, and announces it: cells a map file may bring.
void ScatterOddCells(uint32_t seed, int32_t share);
