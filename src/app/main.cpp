#include "app/WinMain.h"

int main(int /*argc*/, char** argv) {
    static int instance; // stands in for the instance handle, which only needs to be unique
    return WinMain(&instance, nullptr, argv, 0);
}
