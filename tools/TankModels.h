#pragma once

#include "model/ModelWriter.h"

#include <string>

// The tank of the default data set: hull, turret and barrel, each in its own
// model axes (x forward, z up), built from textured quadrilaterals. The hull's
// bottom is at z = 0; the turret sits on the hull at (0.32, 0, 0.98), the
// barrel on the turret at (1.0, 0, 0.22), and the muzzle is 2.7 along the
// barrel. Every face names one of the "textures/cobra/" pictures.
constexpr const char* kTankModelFiles[] = {
    "models/cobra_body.rozi",
    "models/cobra_main_turret.rozi",
    "models/cobra_main_barrel.rozi",
};

ModelWriter MakeTankHull();
ModelWriter MakeTankTurret();
ModelWriter MakeTankBarrel();

// Writes the three files under dir (folders made as needed); false, with a
// message on stderr, when one cannot be written.
bool WriteTankModels(const std::string& dir);

// Loads one model with the program's loader against the program's texture
// names and says what is wrong with it, or "" when every face has its texture
// and its corners.
std::string CheckTankModel(const std::string& path);
