// Vector3 arithmetic and layout: what the meshes and OpenGL rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/vector3.h"

namespace {

void expectVector(const Vector3& actual, float x, float y, float z) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

}  // namespace

TEST(Vector3, ComponentsSitInOrderXYZAndDefaultToZero) {
    const Vector3 vectors[3] = {Vector3(1, 2, 3), Vector3(4, 5, 6)};
    float floats[9];
    std::memcpy(floats, vectors, sizeof(floats));
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(floats[i], i < 6 ? float(i + 1) : 0.0f) << i;
    }
}

TEST(Vector3, LengthAndNormalizeOfThreeFourFive) {
    Vector3 v(3, 0, 4);
    EXPECT_EQ(v.length(), 5.0f);
    Vector3& same = v.normalize();
    EXPECT_EQ(&same, &v);
    expectVector(v, 0.6f, 0.0f, 0.8f);
}

TEST(Vector3, CrossIsRightHanded) {
    const Vector3 xAxis(1, 0, 0);
    const Vector3 yAxis(0, 1, 0);
    expectVector(cross(xAxis, yAxis), 0, 0, 1);
    expectVector(cross(yAxis, xAxis), 0, 0, -1);
    expectVector(cross(Vector3(2, -3, 5), Vector3(2, -3, 5)), 0, 0, 0);
}

TEST(Vector3, InPlaceOperationsReturnTheVectorItself) {
    Vector3 v(1, 2, 3);
    Vector3& added = (v += Vector3(1, 1, 1));
    EXPECT_EQ(&added, &v);
    expectVector(v, 2, 3, 4);
    Vector3& scaled = (v *= 0.5f);
    EXPECT_EQ(&scaled, &v);
    expectVector(v, 1, 1.5f, 2);
    expectVector(v * 2.0f, 2, 3, 4);
    expectVector(Vector3(5, 5, 5) - Vector3(1, 2, 3), 4, 3, 2);
}

TEST(Vector3, NormalizingZeroGivesNonFiniteAndCarriesOn) {
    Vector3 zero;
    zero.normalize();
    EXPECT_FALSE(std::isfinite(zero.x));
    EXPECT_FALSE(std::isfinite(zero.y));
    EXPECT_FALSE(std::isfinite(zero.z));
}

TEST(Vector3, SingleFloatTrigonometryGivesTheNearestFloat) {
    // The true values rounded to float once, as both builds must give them; 1000 and the
    // float nearest pi need an exact reduction of the argument.
    EXPECT_EQ(sinFloat(0.5f), 0x1.eaee88p-2f);
    EXPECT_EQ(cosFloat(0.5f), 0x1.c1528p-1f);
    EXPECT_EQ(sinFloat(1000.0f), 0x1.a75cc2p-1f);
    EXPECT_EQ(cosFloat(1000.0f), 0x1.1ff026p-1f);
    EXPECT_EQ(sinFloat(3.14159274f), -0x1.777a5cp-24f);
    EXPECT_EQ(sqrtFloat(2.0f), 0x1.6a09e6p+0f);
}
