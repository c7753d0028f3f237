// The HUD lines.
#include "render/Hud.h"

void DrawHud() {}
