#include "effects/Burst.h"

#include "effects/RandomGenerator.h"
#include "state/AppState.h"

#include <algorithm>

namespace {
float Centred(float scale) {
    return (randomGenerator.NextUnit() - 0.5f) * scale;
}
} // namespace

void Burst::Release() {
    DeleteSpriteSquare(displayList);
    streaks.clear();
    streaks.shrink_to_fit();
    streakLengths.clear();
    streakLengths.shrink_to_fit();
    streakCount = 0;
    sparksPerStreak = 0;
}

void Burst::Start(const Vector4& impact, int streakCount_, int sparksPerStreak_) {
    Release();
    streakCount = std::max(streakCount_, 0);
    sparksPerStreak = std::max(sparksPerStreak_, 0);
    streaks.assign(streakCount, std::vector<Sprite>(sparksPerStreak));
    streakLengths.assign(streakCount, 0.0f);
    displayList = CompileSpriteSquare();

    for (int g = 0; g < streakCount; ++g) {
        streakLengths[g] = Centred(225.0f);
        Vector4 centre = impact;
        centre.x += Centred(75.0f);
        centre.z += Centred(75.0f);
        Vector4 v;
        v.x = Centred(9.0f);
        v.y = Centred(1.5f) + 5.5f;
        v.z = Centred(9.0f);
        LayStreak(g, centre, v);
    }
}

void Burst::LayStreak(int g, const Vector4& centre, const Vector4& v) {
    Vector4 direction = v;
    Normalize(direction);
    for (int e = 0; e < sparksPerStreak; ++e) {
        Sprite& spark = streaks[g][e];
        float s = streakLengths[g] / static_cast<float>(sparksPerStreak) * static_cast<float>(e);
        Vector4 offset = direction * s;
        spark.displayList = displayList;
        int green = static_cast<int>(Centred(32.0f) + 64.0f);
        spark.colour[0] = 255;
        spark.colour[1] = static_cast<uint8_t>(green);
        spark.colour[2] = 0;
        spark.colour[3] = 255;
        spark.position = centre - offset;
        spark.velocity = v;
    }
}

void Burst::Update(float elapsedMs) {
    float dt = elapsedMs * 0.02f;
    for (std::vector<Sprite>& streak : streaks) {
        if (streak.empty())
            continue;
        Sprite& head = streak[0];
        head.position += head.velocity * dt;
        head.velocity.y += appState.gravity.y * dt * 10.0f;
        head.velocity += appState.wind;
        // The head fades to a floor and never disappears.
        int alpha = std::max(head.colour[3] - 1, sparksPerStreak);
        head.colour[3] = static_cast<uint8_t>(std::min(alpha, 255));

        // Each follower takes its predecessor's state from before this pass
        // (the head's from after it), so walk from the tail forwards.
        for (int e = sparksPerStreak - 1; e >= 1; --e) {
            const Sprite& ahead = streak[e - 1];
            Sprite& spark = streak[e];
            spark.position = ahead.position - ahead.velocity;
            spark.velocity = ahead.velocity * dt;
            spark.colour[3] = static_cast<uint8_t>(std::max(head.colour[3] - e, 0));
        }
    }
}

void Burst::Draw() const {
    for (const std::vector<Sprite>& streak : streaks)
        for (const Sprite& spark : streak)
            spark.Draw();
}
