#pragma once

// Placeholder until keyboard and mouse input lands.
class InputDevices {
  public:
    void Release() {}
};
