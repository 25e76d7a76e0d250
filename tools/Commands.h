#pragma once

// zezivoze-data's sub-commands; each takes the arguments after its own name and
// returns the process exit code.
int RunGenerate(int argc, char** argv);  // GenerateCommand.cpp
int RunCheck(int argc, char** argv);     // CheckCommand.cpp
int RunDecode(int argc, char** argv);    // DecodeCommand.cpp
int RunHeightMap(int argc, char** argv); // HeightMapCommand.cpp
int RunModel(int argc, char** argv);     // ModelCommand.cpp
int RunTerrain(int argc, char** argv);   // TerrainCommand.cpp
