#pragma once

// WinMain's start-up minus the dialog: the log, a 640 x 480 window (fine terrain, 1024 tiles),
// device-less input (callers set keys), texture table, scene; run it in a data set's folder.
void StartGameWithoutDialog();
