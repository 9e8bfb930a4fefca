// Sphere generator and sinusoidal deformation; float arithmetic rounded at each step so that
// both builds produce the same vertices.
#include "geometry/mesh_builder.h"

void MeshBuilder::buildSphere(Mesh& mesh, float radius, int32_t slices, int32_t stacks) const {
    const int32_t b = slices;
    const int32_t c = stacks;
    mesh.allocate(b * (c + 1), 6 * b * c);
    Vector3* vertices = mesh.vertices();
    Vector3* normals = mesh.normals();

    vertices[0] = Vector3(0.0f, 0.0f, radius);
    normals[0] = Vector3(0.0f, 0.0f, 1.0f);
    const float thetaStep = kPi / float(c);
    const float phiStep = kTwoPi / float(b);
    for (int32_t j = 1; j <= c - 1; ++j) {
        const float theta = float(j) * thetaStep;
        const float sinTheta = sinFloat(theta);
        const float cosTheta = cosFloat(theta);
        for (int32_t k = 0; k < b; ++k) {
            const float phi = float(k) * phiStep;
            const Vector3 normal(sinTheta * cosFloat(phi), sinTheta * sinFloat(phi), cosTheta);
            const int32_t vertex = 1 + (j - 1) * b + k;
            normals[vertex] = normal;
            vertices[vertex] = normal * radius;
        }
    }
    const int32_t southPole = (c - 1) * b + 1;
    vertices[southPole] = Vector3(0.0f, 0.0f, -radius);
    normals[southPole] = Vector3(0.0f, 0.0f, -1.0f);

    uint16_t* indices = mesh.indices();
    int32_t written = 0;
    const auto triangle = [&](int32_t first, int32_t second, int32_t third) {
        indices[written++] = static_cast<uint16_t>(first);
        indices[written++] = static_cast<uint16_t>(second);
        indices[written++] = static_cast<uint16_t>(third);
    };
    for (int32_t k = 0; k < b; ++k) {
        triangle(0, k + 1, (k + 1) % b + 1);
    }
    for (int32_t m = 0; m <= c - 3; ++m) {
        for (int32_t k = 0; k < b; ++k) {
            const int32_t p = m * b + k + 1;
            const int32_t pNext = m * b + (k + 1) % b + 1;
            const int32_t q = (m + 1) * b + k + 1;
            const int32_t qNext = (m + 1) * b + (k + 1) % b + 1;
            triangle(p, q, pNext);
            triangle(pNext, q, qNext);
        }
    }
    for (int32_t k = 0; k < b; ++k) {
        triangle(southPole, (c - 2) * b + (k + 1) % b + 1, (c - 2) * b + k + 1);
    }
    // 6 * b * (c - 1) of the 6 * b * c allocated; the tail vertices stay zero and unused.
    mesh.setIndexCount(written);
}

void MeshBuilder::deform(Mesh& mesh, Vector3 amplitude, Vector3 phase, int32_t frequency) const {
    const float n = float(frequency);
    Vector3* vertices = mesh.vertices();
    for (int32_t i = 0; i < mesh.vertexCount(); ++i) {
        const Vector3 p = vertices[i];
        // Each argument rounded to float before the sine: coordinate * coordinate * pi * n + phase.
        const float argumentX = p.y * p.z * kPi * n + phase.x;
        const float argumentY = p.x * p.z * kPi * n + phase.y;
        const float argumentZ = p.x * p.y * kPi * n + phase.z;
        const Vector3 displacement(amplitude.x * sinFloat(argumentX),
                                   amplitude.y * sinFloat(argumentY),
                                   amplitude.z * sinFloat(argumentZ));
        vertices[i] += displacement;
    }
}
