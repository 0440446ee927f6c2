// The per-node cache in a scene file: the flat chunks, ids 0x1000 to 0x1140, that the modifier's
// SaveLocalData writes inside the chunk the host opens for each application, and LoadLocalData reads
// back. Payloads are little-endian int32s, single bytes and Point3s (three IEEE-754 floats), tables
// as their elements back to back with no count; counts travel in their own chunks.
//
// Saving writes, in order: 0x1000 count of resultVerts, 0x1010 the byte 1, 0x1020 resultVerts,
// 0x1030 count of targetVerts, 0x1090 count of targetVecs, 0x1040 targetVerts; then each non-empty
// table of resultVertFlags 0x1050, targetVertFlags 0x1060, resultVecs 0x1080, targetVecs 0x1070,
// vertMatch 0x1100, vecMatch 0x1110, vecOwner 0x1120; then 0x1130 the cache's resultValid and 0x1140
// its lastAxis. A cache that holds no result, or a result without a captured target (a target reset
// not yet followed by an evaluation), writes nothing: on load it is an empty cache whose first
// evaluation captures and pairs anew, which is what the target reset asked for.
//
// Loading sizes the vertex tables (0x1020, 0x1040, 0x1050, 0x1060, 0x1100) by the running vertex
// count (chunks 0x1000 and 0x1030, the later one winning) and the vector tables (0x1070, 0x1080,
// 0x1110, 0x1120) by the vector count (0x1090); a vector table seen while that count is 0 is skipped.
// What a table chunk does not supply is zero. Input the saver never writes is made harmless rather
// than trusted: a count that is negative, or larger than any table chunk of its kind in the stream
// can back, counts as 0; a count or flag chunk shorter than 4 bytes is ignored; a loaded vertMatch
// or vecOwner holding an index outside targetVerts, or a vecMatch outside targetVecs, is emptied so
// the next full evaluation rebuilds it. Every table stays within a few times the stream's size.
#pragma once

#include "ioapi.h"
#include "object.h"
#include "symmetry/local_mesh_data.h"

// Writes `cache` as above. Sets `r_modifierResultValid` to 0 when nothing is written; otherwise
// leaves it alone. A null cache writes nothing. Always IO_OK.
IOResult SaveLocalMeshData(ISave* isave, const vLocalMeshData* cache, int& r_modifierResultValid);

// Reads every chunk left in the stream's open chunk (the host's chunk for one application) into
// `cache`, which must be freshly constructed. Chunk 0x1130 goes to `r_modifierResultValid`, not
// to the cache. Always IO_OK; a damaged stream ends the reading and keeps what was read so far.
IOResult LoadLocalMeshData(ILoad* iload, vLocalMeshData& cache, int& r_modifierResultValid);

// The modifier's two overrides. SaveLocalData takes the application's local data (a
// vLocalMeshData or null). LoadLocalData creates a new vLocalMeshData, stores it through `pld`
// before reading (the host owns it from then on) and fills it.
IOResult SaveLocalDataChunks(ISave* isave, LocalModData* ld, int& r_modifierResultValid);
IOResult LoadLocalDataChunks(ILoad* iload, LocalModData** pld, int& r_modifierResultValid);
