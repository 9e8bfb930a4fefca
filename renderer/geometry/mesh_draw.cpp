// The one GL call site of the geometry: a mesh issued from client vertex arrays.
#include "geometry/mesh.h"
#include "gl_api.h"

static_assert(kTrianglesPrimitive == GL_TRIANGLES, "mesh primitive must be GL_TRIANGLES");

void Mesh::draw() const {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices_.get());
    glNormalPointer(GL_FLOAT, 0, normals_.get());
    glDrawElements(static_cast<GLenum>(primitiveMode_), indexCount_, GL_UNSIGNED_SHORT,
                   indices_.get());
}
