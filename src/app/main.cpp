// The kiosk program.
#include "app/kioskmain.h"

int main(int argc, char** argv) { return kiosk::KioskMain(argc, argv); }
