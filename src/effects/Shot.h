#pragma once

// Placeholder until the shot lands.
class Shot {};
