#pragma once

#include "DataSet.h"
#include "model/ModelWriter.h"

#include <string>
#include <vector>

// The tank of the default data set: hull, turret and barrel, each in its own
// model axes (x forward, z up), built from textured quadrilaterals. The hull's
// bottom is at z = 0; the turret sits on the hull at (0.32, 0, 0.98), the
// barrel on the turret at (1.0, 0, 0.22), and the muzzle is 2.7 along the
// barrel. Every face names one of the "textures/cobra/" pictures.
ModelWriter MakeTankHull();
ModelWriter MakeTankTurret();
ModelWriter MakeTankBarrel();

// Adds the three parts at their paths (kModelFiles) to the data set.
void AddTankModels(std::vector<DataFile>& files);

// Loads one model with the program's loader against the program's texture
// names: true when it loads and every face finds its texture, with a summary
// in detail; false with the problem in detail.
bool CheckTankModel(const std::string& path, std::string& detail);
