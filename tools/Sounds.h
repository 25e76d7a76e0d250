#pragma once

#include "DataSet.h"

#include <cstdint>
#include <string>
#include <vector>

// The game's sounds, synthesised: 16-bit PCM mono WAV files at 44100 Hz (the
// rate the game asks of the output, so that no resampling blurs a loop's
// seam). The loops (engine, servo) hold whole cycles of every partial, so
// they repeat without a click.
constexpr int kSoundRate = 44100;

// A WAV file of 16-bit mono samples.
std::vector<uint8_t> EncodeWav(int rate, const std::vector<int16_t>& samples);

// Adds the game's sound files (GameSounds::kFiles) to the data set.
void AddDefaultSounds(std::vector<DataFile>& files);

// Decodes a WAV file with SDL as the game does: true with "1.00 s at 44100 Hz,
// 16-bit mono" in detail, its rate and length; false with the problem.
bool CheckSound(const std::string& path, std::string& detail, int& rate, double& seconds);
