#pragma once

// The program's start-up as WinMain makes it, without the dialog: the log, a 640 x 480
// window (fine terrain, 1024 tiles), an input object with no devices (callers write the key
// state), the texture table and the scene; run it in a folder holding the data set.
void StartGameWithoutDialog();
