#include "vehicle/Vehicle.h"
#include "vehicle/VehicleTestSupport.h"

#include <gtest/gtest.h>

TEST(GroundTriangleList, StartsAsOneEmptyEndNode) {
    Vehicle vehicle;
    ASSERT_NE(vehicle.groundTriangles, nullptr);
    EXPECT_EQ(vehicle.groundTriangles->next, nullptr);
    EXPECT_EQ(vehicle.groundTriangles->p0.w, 1.0f);
    EXPECT_EQ(vehicle.groundTriangles->p2.w, 1.0f);
    EXPECT_EQ(vehicle.loaded, 0);
    EXPECT_EQ(vehicle.boxCentre.w, 1.0f);
    EXPECT_EQ(vehicle.muzzlePoint.w, 1.0f);
}

TEST(GroundTriangleList, AddKeepsArrivalOrderAndEndsWithAnEmptyNode) {
    Vehicle vehicle;
    for (int i = 0; i < 5; ++i) {
        Vector4 a(float(i), 1, 2), b(3, float(i), 4), c(5, 6, float(i));
        a.w = 0.5f; // copied as given, all four components
        vehicle.AddGroundTriangle(a, b, c);
    }
    EXPECT_EQ(CountTriangles(vehicle), 5);
    int i = 0;
    const GroundTriangle* node = vehicle.groundTriangles;
    for (; node->next != nullptr; node = node->next, ++i) {
        EXPECT_EQ(node->p0.x, float(i));
        EXPECT_EQ(node->p0.w, 0.5f);
        EXPECT_EQ(node->p1.y, float(i));
        EXPECT_EQ(node->p2.z, float(i));
    }
    EXPECT_EQ(node->next, nullptr);
    EXPECT_EQ(node->p0.w, 1.0f);
}

TEST(GroundTriangleList, ReleaseOfAnUnloadedVehicleDoesNothing) {
    Vehicle vehicle;
    vehicle.Release();
    vehicle.Release();
    EXPECT_EQ(vehicle.loaded, 0);
    EXPECT_EQ(vehicle.body.loaded, 0);
}
