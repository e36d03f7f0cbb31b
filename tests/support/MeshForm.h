#pragma once
#include "tests/support/ChunkBuilder.h"

// The smallest mesh a scene or a figure reads: a FORM "EMSH" named `name`
// with one triangle over the vertices (0, 0, 0), (1, 0, 0) and (2, 0, 0),
// and a "HIER" chunk naming `parent` when one is given.
ChunkBuilder::Bytes TriangleMeshForm(const ChunkBuilder& b, const char* name, const char* parent = nullptr);
