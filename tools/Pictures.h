#pragma once

#include "Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

// The painters of the default pictures. Terrain sources repeat seamlessly
// (the terrain tiles them every 256 texels).
Canvas PaintGrass();     // low ground: grass and earth, 256 x 256
Canvas PaintRock();      // middle ground, 256 x 256
Canvas PaintSnow();      // high ground, 256 x 256
Canvas PaintStar();      // a soft round spark on black
Canvas PaintTrail();     // a soft ribbon: bright along the middle rows
Canvas PaintWater();     // water, stretched once over the whole map
Canvas PaintInfoPanel(); // the program's name and controls, light on black

// The small height map (--map-size 32), on which the quadtree's leaves are
// single cells: 32 x 32 grey levels, top row first, with hills, ridges,
// valleys below the water level 128 and snow-capped peaks above 216; the
// corner where the tanks start is dry, gentle ground. One sample is 100 world
// units, so the map is about 3000 units across, the reach of the camera.
constexpr int kSmallMapSize = 32;
std::vector<uint8_t> MakeSmallHeightMap();

// The tank's pictures, by file name within textures/cobra/ ("cobra_camo.bmp").
Canvas PaintTankPicture(const std::string& name);
