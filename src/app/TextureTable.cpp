#include "app/TextureTable.h"

#include "image/TextureManager.h"

const char* const kTextureTable[kTextureTableSize] = {
    "textures/landscpt.bmp",
    "textures/landscpt2.bmp",
    "textures/landscpt3.bmp",
    "textures/star.bmp",
    "textures/info.bmp",
    "textures/water.bmp",
    "textures/trail.bmp",
    "textures/cobra/cobra_mainbarrel_sides.bmp",
    "textures/cobra/cobra_maingun_laser.bmp",
    "textures/cobra/cobra_mainbarrel.bmp",
    "textures/cobra/cobra_mainturret_back.bmp",
    "textures/cobra/cobra_mainturret_front.bmp",
    "textures/cobra/cobra_treads.bmp",
    "textures/cobra/cobra_treads_front.bmp",
    "textures/cobra/cobra_long_middle.bmp",
    "textures/cobra/cobra_shortpanels.bmp",
    "textures/cobra/cobra_tallvents.bmp",
    "textures/cobra/cobra_blowers.bmp",
    "textures/cobra/cobra_backvents.bmp",
    "textures/cobra/cobra_long_middlend.bmp",
    "textures/cobra/cobra_vents_short.bmp",
    "textures/cobra/cobra_turret_back.bmp",
    "textures/cobra/cobra_longpanels.bmp",
    "textures/cobra/cobra_underhatches.bmp",
    "textures/cobra/cobra_vents_long.bmp",
    "textures/cobra/cobra_straps.bmp",
    "textures/cobra/cobra_turret_side.bmp",
    "textures/cobra/cobra_accessories.bmp",
    "textures/cobra/cobra_camo.bmp",
    "textures/cobra/cobra_hatches.bmp",
    "textures/cobra/vehlengback.bmp",
    "textures/cobra/vehltopfrnt2sml.bmp",
    "textures/cobra/trukrearbumper.bmp",
};

void LoadTextureTable(TextureManager& manager) {
    manager.Create(kTextureCapacity);
    for (const char* path : kTextureTable)
        manager.LoadFromFile(path);
}
