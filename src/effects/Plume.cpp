#include "effects/Plume.h"

#include "effects/RandomGenerator.h"
#include "state/AppState.h"

#include <algorithm>

void Plume::Release() {
    DeleteSpriteSquare(displayList);
    puffs.clear();
    puffs.shrink_to_fit();
    puffCount = 0;
    visibleCount = 0;
}

void Plume::Start(const Vector4& impact, int puffCount_) {
    Release();
    puffCount = std::max(puffCount_, 0);
    puffs.assign(puffCount, Sprite());
    clock = 0;
    nextRelease = 0;
    displayList = CompileSpriteSquare();
    visibleCount = std::min(1, puffCount);

    for (Sprite& puff : puffs) {
        puff.colour[0] = puff.colour[1] = puff.colour[2] = 128;
        puff.colour[3] = 255;
        puff.position.x = impact.x;
        puff.position.y = impact.y;
        puff.position.z = impact.z;
        puff.velocity.x = randomGenerator.NextUnit() - 0.5f;
        puff.velocity.y = (randomGenerator.NextUnit() - 0.5f) * 1.5f + 4.5f;
        puff.velocity.z = randomGenerator.NextUnit() - 0.5f;
        puff.displayList = displayList;
    }
}

void Plume::Update(float elapsedMs) {
    float dt = elapsedMs * 0.02f;
    for (int i = 0; i < visibleCount; ++i) {
        Sprite& puff = puffs[i];
        puff.position += puff.velocity * dt;
        puff.velocity += appState.wind;
        if (puff.colour[3] > 0)
            --puff.colour[3];
    }
    if (visibleCount < puffCount && clock > nextRelease) {
        ++visibleCount;
        nextRelease += 125.0f;
    }
    clock += elapsedMs;
}

void Plume::Draw() const {
    for (int i = 0; i < visibleCount; ++i)
        puffs[i].Draw();
}
