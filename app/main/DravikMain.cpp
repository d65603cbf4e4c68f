#include "app/main/DravikEntry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return DravikEntry(instance);
}
