#pragma once

class Model;

// Loads a model file with the program's own loader, as the program would at
// start: its texture entries are looked up among the program's texture names
// (no pictures or GL context needed), and what the loader logs goes to stderr.
// A missing or damaged file gives false, after the loader's messages, instead
// of ending the process.
bool TryLoadModel(const char* fileName, Model& model);
