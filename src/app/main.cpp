#include "app/WinMain.h"

int main() {
    static int instance; // stands in for the instance handle, which only needs to be unique
    return WinMain(&instance, nullptr, nullptr, 0);
}
