#include <windows.h>

#include "app/Program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return app::RunInstaller(instance); }
