#include "image/TextureManager.h"

// Placeholder until the texture manager lands.
TextureManager::~TextureManager() {}
