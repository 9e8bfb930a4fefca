// Resource identifiers of the front-end's shell (100-199).
#pragma once

#define IDB_PREVIEW 100  // the 152 x 112 still of the preview, 24-bit bitmap
