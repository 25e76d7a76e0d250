#include "vehicle/Vehicle.h"

#include "math/Matrix4.h"
#include "state/AppState.h"
#include "terrain/Landscape.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <new>

namespace {
constexpr float kVehicleUnit = 0.11111111f; // world to vehicle units
constexpr float kContactReach = 40.0f;      // world units from a bottom corner
constexpr float kRestHeight = 3.0f;         // world units above the ground centroid
constexpr float kCatchDepth = 45.0f;        // vehicle units below the height map
constexpr float kCatchLift = 2.5f;
constexpr float kEdgeSlack = 0.5f; // world units
// The motion step is scaled for frames of 1 to 55 ms: a 0 ms frame would make
// its factor infinite, and beyond 55 ms the damping would turn into growth.
constexpr float kShortestStepMs = 1.0f;
constexpr float kLongestStepMs = 55.0f;

const Vector4 kAxisX(1, 0, 0);
const Vector4 kAxisY(0, 1, 0);
const Vector4 kAxisZ(0, 0, 1);

void FreeList(GroundTriangle* node) {
    while (node != nullptr) {
        GroundTriangle* next = node->next;
        delete node;
        node = next;
    }
}

// The hull's vertices as drawn: its first frame, if it has one.
int HullVertices(const Model& hull, const float*& vertices) {
    if (!hull.loaded || hull.frameCount == 0) {
        vertices = nullptr;
        return 0;
    }
    vertices = hull.frames[0];
    return hull.vertexCount;
}

void Widen(Vector4& hi, Vector4& lo, const Vector4& p) {
    if (hi.x < p.x)
        hi.x = p.x;
    if (hi.y < p.y)
        hi.y = p.y;
    if (hi.z < p.z)
        hi.z = p.z;
    if (lo.x > p.x)
        lo.x = p.x;
    if (lo.y > p.y)
        lo.y = p.y;
    if (lo.z > p.z)
        lo.z = p.z;
}
} // namespace

Vehicle::Vehicle()
    : loaded(0), groundTriangles(new GroundTriangle), fallSpeed(0), spareTriangles(nullptr) {}

Vehicle::~Vehicle() {
    Release();
    FreeList(groundTriangles);
    FreeList(spareTriangles);
}

void Vehicle::Load() {
    body.Load("models/cobra_body.rozi");
    body.position = Vector4(0, 0, 0);
    turret.Load("models/cobra_main_turret.rozi");
    turret.position = Vector4(0.32f, 0, 0.98f);
    barrel.Load("models/cobra_main_barrel.rozi");
    barrel.position = Vector4(1.0f, 0, 0.22f);
    body.rotation = turret.rotation = barrel.rotation = Vector4(0, 0, 0);
    body.position = Vector4(5, 50, 5);
    scale = Vector4(9, 9, 9);
    UpdateGeometry();
    loaded = 1;
}

void Vehicle::Release() {
    if (!loaded)
        return;
    body.Release();
    turret.Release();
    barrel.Release();
    loaded = 0;
}

// Each part is placed relative to the one it hangs on: Model::Draw leaves its
// transform on the matrix, and the pops restore the caller's.
void Vehicle::Draw() {
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(scale.x, scale.y, scale.z);
    body.Draw();
    glPushMatrix();
    turret.Draw();
    glPushMatrix();
    barrel.Draw();
    glPopMatrix();
    glPopMatrix();
    glPopMatrix();
}

void Vehicle::SetPosition(float x, float y, float z) {
    body.position.x = x;
    body.position.y = y;
    body.position.z = z;
}

void Vehicle::Rotate(float x, float y, float z) {
    body.rotation += Vector4(x, y, z);
}

void Vehicle::Steer(bool left) {
    body.rotation.z += left ? 1.0f : -1.0f;
}

// A hull whose corners 0 and 1 coincide has no forward direction: Normalize
// leaves the zero vector and no thrust is added.
void Vehicle::Accelerate(bool forward) {
    Vector4 direction = forward ? boxCorners[0] - boxCorners[1] : boxCorners[1] - boxCorners[0];
    Normalize(direction);
    thrust += direction * 0.5f;
}

// W = S T Rx Rz Ry: the transform under which the hull is drawn.
void Vehicle::HullMatrices(Matrix4& world, Matrix4& rx, Matrix4& ry, Matrix4& rz) const {
    rx = Matrix4::Rotation(body.rotation.x, kAxisX);
    ry = Matrix4::Rotation(body.rotation.y, kAxisY);
    rz = Matrix4::Rotation(body.rotation.z, kAxisZ);
    Matrix4 s;
    s.m[0] = scale.x;
    s.m[5] = scale.y;
    s.m[10] = scale.z;
    world = s * Matrix4(body.position) * rx * rz * ry;
}

void Vehicle::UpdateGeometry() {
    Matrix4 world, rx, ry, rz;
    HullMatrices(world, rx, ry, rz);
    const float* vertices;
    const int vertexCount = HullVertices(body, vertices);

    Vector4 hi(-500, -500, -500), lo(500, 500, 500);
    for (int i = 0; i < vertexCount; ++i)
        Widen(hi, lo, Vector4(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]));
    boxCorners[0] = Vector4(hi.x, hi.y, hi.z);
    boxCorners[1] = Vector4(lo.x, hi.y, hi.z);
    boxCorners[2] = Vector4(lo.x, lo.y, hi.z);
    boxCorners[3] = Vector4(hi.x, lo.y, hi.z);
    boxCorners[4] = Vector4(lo.x, hi.y, lo.z);
    boxCorners[5] = Vector4(hi.x, hi.y, lo.z);
    boxCorners[6] = Vector4(hi.x, lo.y, lo.z);
    boxCorners[7] = Vector4(lo.x, lo.y, lo.z);
    for (Vector4& corner : boxCorners)
        corner = world * corner;

    const Matrix4 translation(body.position);
    hi = translation * Vector4(-99999, -99999, -99999);
    lo = translation * Vector4(99999, 99999, 99999);
    for (int i = 0; i < vertexCount; ++i)
        Widen(hi, lo, world * Vector4(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]));
    Vector4 sum = hi;
    sum += lo;
    boxCentre = sum * 0.5f;
    boxSize = hi - lo;
    boxSize.x = std::fabs(boxSize.x);
    boxSize.y = std::fabs(boxSize.y);
    boxSize.z = std::fabs(boxSize.z);

    UpdateMuzzle(world, rx, ry, rz);
}

void Vehicle::UpdateMuzzle() {
    Matrix4 world, rx, ry, rz;
    HullMatrices(world, rx, ry, rz);
    UpdateMuzzle(world, rx, ry, rz);
}

// Unlike the drawing, each part's rotation stands left of its mount offset, so
// the offsets turn with the part; the muzzle then lies off the drawn tip when
// the turret or the barrel is turned.
void Vehicle::UpdateMuzzle(const Matrix4& world, const Matrix4& rx, const Matrix4& ry,
                           const Matrix4& rz) {
    const Matrix4 turretTurn = Matrix4::Rotation(turret.rotation.z, kAxisZ);
    const Matrix4 barrelTurn = Matrix4::Rotation(barrel.rotation.y, kAxisY);
    const Matrix4 barrelMatrix =
        world * turretTurn * Matrix4(turret.position) * barrelTurn * Matrix4(barrel.position);
    muzzlePoint = barrelMatrix * Vector4(2.7f, 0, 0);
    const Matrix4 barrelRotation = rx * rz * ry * turretTurn * barrelTurn;
    shotVelocity = (barrelRotation * Vector4(1, 0, 0)) * 25.0f;
}

void Vehicle::Update(float elapsedMs) {
    float stepMs = elapsedMs;
    if (!(stepMs >= kShortestStepMs)) // NaN too
        stepMs = kShortestStepMs;
    if (stepMs > kLongestStepMs)
        stepMs = kLongestStepMs;
    const float k = 50.0f / stepMs;
    const float d = 1.1f * k;

    UpdateGeometry();
    if (FindGround())
        fallSpeed = 0;
    fallSpeed = static_cast<float>(double(fallSpeed) + double(appState.gravity.y) * k);
    motion.y = static_cast<float>(double(motion.y) + double(fallSpeed) * k);
    motion /= d;
    const Vector4 moved = motion * k;
    body.position += moved;
    thrust /= d;
    motion += thrust;
    KeepOnMap(moved);

    // Catch a vehicle that fell through the ground.
    const float ground =
        landscape.HeightAtWorld(body.position.x * scale.x, body.position.z * scale.z) *
        kVehicleUnit;
    if (ground > body.position.y + kCatchDepth) {
        body.position.y = ground + kCatchLift;
        fallSpeed = 0;
    }
}

bool Vehicle::FindGround() {
    EmptyGroundTriangles();
    landscape.CollectGround(boxCentre, boxSize, *this);
    return landscape.LeavesAreCells() ? RestOnGroundTriangles() : RestOnSurface();
}

// Where a leaf spans more or less than one map cell the triangles' centroids
// may all be out of reach, so the hull rests 3 world units above the highest
// point of the drawn ground under its bottom corners: when it is within reach
// above that ground, or anywhere below it.
bool Vehicle::RestOnSurface() {
    bool under = false;
    float groundY = 0, lowest = boxCorners[4].y;
    for (const Vector4* bottom = boxCorners + 4; bottom != boxCorners + 8; ++bottom) {
        float y;
        if (landscape.SurfaceHeight(bottom->x, bottom->z, y) && (!under || y > groundY)) {
            groundY = y;
            under = true;
        }
        lowest = std::min(lowest, bottom->y);
    }
    if (!under || lowest > groundY + kContactReach)
        return false;
    body.position.y = static_cast<float>((double(groundY) + kRestHeight) * kVehicleUnit);
    return true;
}

// The map's edge holds: the box is kept on the terrain's rectangle, and the
// motion across the edge is taken away. The box is the one of the step's start,
// moved as the position was.
void Vehicle::KeepOnMap(const Vector4& moved) {
    if (landscape.loaded != 1)
        return;
    float limit[2];
    landscape.WorldExtent(limit[0], limit[1]);
    float* position[2] = {&body.position.x, &body.position.z};
    float* away[2][2] = {{&motion.x, &thrust.x}, {&motion.z, &thrust.z}};
    const float centre[2] = {boxCentre.x, boxCentre.z},
                half[2] = {boxSize.x * 0.5f, boxSize.z * 0.5f};
    const float shift[2] = {moved.x * scale.x, moved.z * scale.z}, unit[2] = {scale.x, scale.z};
    for (int axis = 0; axis < 2; ++axis) {
        const float low = centre[axis] - half[axis] + shift[axis];
        const float high = centre[axis] + half[axis] + shift[axis];
        // Within a hair of the edge counts as against it, so that a tank
        // standing there gathers no speed across it between two pushes.
        const float outwards = low < kEdgeSlack                  ? -1.0f
                               : high > limit[axis] - kEdgeSlack ? 1.0f
                                                                 : 0.0f;
        if (low < 0)
            *position[axis] -= low / unit[axis];
        else if (high > limit[axis])
            *position[axis] += (limit[axis] - high) / unit[axis];
        for (float* velocity : away[axis])
            if (*velocity * outwards > 0)
                *velocity = 0;
    }
}

// The nodes of the last search go to the spares instead of back to the heap.
void Vehicle::EmptyGroundTriangles() {
    GroundTriangle* used = groundTriangles->next;
    if (used != nullptr) {
        GroundTriangle* last = used;
        while (last->next != nullptr)
            last = last->next;
        last->next = spareTriangles;
        spareTriangles = used;
    }
    *groundTriangles = GroundTriangle();
}

// The hull rests 3 world units above the centroid of the last triangle, in
// list order, within reach of any bottom corner.
bool Vehicle::RestOnGroundTriangles() {
    bool contact = false;
    float groundY = 0;
    const double third = 0.33333334f;
    for (const GroundTriangle* node = groundTriangles; node->next != nullptr; node = node->next) {
        const float gx = static_cast<float>((double(node->p0.x) + node->p1.x + node->p2.x) * third);
        const float gy = static_cast<float>((double(node->p0.y) + node->p1.y + node->p2.y) * third);
        const float gz = static_cast<float>((double(node->p0.z) + node->p1.z + node->p2.z) * third);
        for (int c = 4; c < 8; ++c) {
            const double dx = double(gx) - boxCorners[c].x;
            const double dy = double(gy) - boxCorners[c].y;
            const double dz = double(gz) - boxCorners[c].z;
            if (std::sqrt(dx * dx + dy * dy + dz * dz) <= kContactReach) {
                contact = true;
                groundY = gy;
            }
        }
    }
    if (contact)
        body.position.y = static_cast<float>((double(groundY) + kRestHeight) * kVehicleUnit);
    return contact;
}

// An empty end node (corners' w = 1, next null), from the spares when there are any.
GroundTriangle* Vehicle::NewEndNode() {
    GroundTriangle* node = spareTriangles;
    if (node != nullptr)
        spareTriangles = node->next;
    else
        node = new (std::nothrow) GroundTriangle;
    if (node != nullptr)
        *node = GroundTriangle();
    return node;
}

void Vehicle::AddGroundTriangle(const Vector4& p0, const Vector4& p1, const Vector4& p2) {
    GroundTriangle* end = groundTriangles;
    while (end->next != nullptr)
        end = end->next;
    end->p0 = p0;
    end->p1 = p1;
    end->p2 = p2;
    // Without a new end node the filled one stays the end: the next triangle overwrites it.
    end->next = NewEndNode();
}
