// Texture upload: the six GL textures every new rendering context gets,
// made from the bitmap records (Bitmaps.h), and the wall texture in use.
#pragma once
#include <cstdint>

#include "render/Bitmaps.h"

// The wall texture's slot, 0..4; 1 at start-up.
extern int32_t wallTexture;
// The GL textures of slots 0..5 in the current context.
extern uint32_t TextureNames[TextureSlots];

// Creates the six GL textures of slots 0..5 in the current context.
void UploadTextures();
