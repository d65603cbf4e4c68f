#include "registration/AddonRegistration.h"

bool InstallAddon() {
    return false;
}

bool UninstallAddon() {
    return false;
}
