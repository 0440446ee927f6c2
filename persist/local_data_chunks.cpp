// SaveLocalData / LoadLocalData: the per-node cache as flat chunks. The loader first takes every
// chunk it knows off the stream (so it learns how much data each table really has), then replays
// them in stream order with the running counts.
#include "persist/local_data_chunks.h"
#include "symmetry/table_data.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "tables are written as they lie in memory, which must be little-endian"
#endif

namespace {

enum : unsigned short {
  kResultCountChunk = 0x1000,
  kFormatByteChunk = 0x1010,
  kResultVertsChunk = 0x1020,
  kTargetCountChunk = 0x1030,
  kTargetVertsChunk = 0x1040,
  kResultVertFlagsChunk = 0x1050,
  kTargetVertFlagsChunk = 0x1060,
  kTargetVecsChunk = 0x1070,
  kResultVecsChunk = 0x1080,
  kVectorCountChunk = 0x1090,
  kVertMatchChunk = 0x1100,
  kVecMatchChunk = 0x1110,
  kVecOwnerChunk = 0x1120,
  kResultValidChunk = 0x1130,
  kLastAxisChunk = 0x1140
};

// --- saving ------------------------------------------------------------------------------------

void writeChunk(ISave* isave, unsigned short id, const void* data, size_t size) {
  ULONG written = 0;
  isave->BeginChunk(id);
  isave->Write(data, ULONG(size), &written);
  isave->EndChunk();
}

void writeInt(ISave* isave, unsigned short id, int value) {
  std::uint32_t bits = std::uint32_t(value);
  unsigned char bytes[4] = {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16),
                            std::uint8_t(bits >> 24)};
  writeChunk(isave, id, bytes, sizeof(bytes));
}

template <class T>
void writeTable(ISave* isave, unsigned short id, const Tab<T>& table) {
  writeChunk(isave, id, TableData(table), sizeof(T) * size_t(table.Count()));
}

template <class T>
void writeTableIfAny(ISave* isave, unsigned short id, const Tab<T>& table) {
  if (table.Count() > 0) writeTable(isave, id, table);
}

// --- loading -----------------------------------------------------------------------------------

struct StagedChunk {
  StagedChunk() : id(0), hasInt(false), value(0) {}

  unsigned short id;
  bool hasInt;  // count and flag chunks: their first 4 bytes were there
  int value;
  std::vector<unsigned char> bytes;  // table chunks: the whole payload
};

size_t tableElementSize(unsigned short id) {
  switch (id) {
    case kResultVertsChunk:
    case kTargetVertsChunk:
    case kTargetVecsChunk:
    case kResultVecsChunk:
      return sizeof(Point3);
    case kResultVertFlagsChunk:
    case kTargetVertFlagsChunk:
    case kVertMatchChunk:
    case kVecMatchChunk:
    case kVecOwnerChunk:
      return sizeof(int);
    default:
      return 0;
  }
}

bool isVectorTable(unsigned short id) {
  return id == kTargetVecsChunk || id == kResultVecsChunk || id == kVecMatchChunk || id == kVecOwnerChunk;
}

bool isIntChunk(unsigned short id) {
  return id == kResultCountChunk || id == kTargetCountChunk || id == kVectorCountChunk || id == kResultValidChunk ||
         id == kLastAxisChunk;
}

// The open chunk's whole payload, sized by the chunk's own length: a count in another chunk is no
// measure of it, and a read past a chunk's end is not something a loader promises.
void readWholePayload(ILoad* iload, std::vector<unsigned char>& r_bytes) {
  const ULONGLONG length = iload->CurChunkLength();
  r_bytes.clear();
  if (length == 0 || length > std::numeric_limits<ULONG>::max()) return;
  r_bytes.resize(size_t(length));
  ULONG got = 0;
  if (iload->Read(r_bytes.data(), ULONG(length), &got) != IO_OK || got != ULONG(length)) r_bytes.clear();
}

std::vector<StagedChunk> stageChunks(ILoad* iload) {
  std::vector<StagedChunk> staged;
  while (iload->OpenChunk() == IO_OK) {
    StagedChunk chunk;
    chunk.id = iload->CurChunkID();
    if (isIntChunk(chunk.id)) {
      unsigned char bytes[4] = {0, 0, 0, 0};
      ULONG got = 0;
      chunk.hasInt = iload->CurChunkLength() >= sizeof(bytes) &&
                     iload->Read(bytes, sizeof(bytes), &got) == IO_OK && got == sizeof(bytes);
      chunk.value = int(std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
                        (std::uint32_t(bytes[3]) << 24));
      staged.push_back(std::move(chunk));
    } else if (chunk.id == kFormatByteChunk) {
      unsigned char ignored = 0;
      ULONG got = 0;
      if (iload->CurChunkLength() >= 1) iload->Read(&ignored, 1, &got);
    } else if (tableElementSize(chunk.id) != 0) {
      readWholePayload(iload, chunk.bytes);
      staged.push_back(std::move(chunk));
    }
    iload->CloseChunk();
  }
  return staged;
}

// A count is believed only as far as the stream can back it: a saver always writes, for each count,
// a table chunk holding that many elements.
int plausibleCount(int count, size_t backed) { return count < 0 || size_t(count) > backed ? 0 : count; }

// The table sized to `count`, zero-filled, with the whole elements the payload supplies.
template <class T>
void fillTable(Tab<T>& table, int count, const std::vector<unsigned char>& payload) {
  table.ZeroCount();
  table.SetCount(count);
  size_t supplied = payload.size() / sizeof(T);
  size_t n = supplied < size_t(count) ? supplied : size_t(count);
  if (n > 0) std::memcpy(TableData(table), payload.data(), n * sizeof(T));
  // New table elements hold no particular value: the ones the payload does not supply are zeroed.
  if (size_t(count) > n) std::memset(static_cast<void*>(table.Addr(int(n))), 0, (size_t(count) - n) * sizeof(T));
}

// Each table chunk and the cache's table it fills.
template <class T>
struct ChunkTable {
  unsigned short id;
  Tab<T> vLocalMeshData::*table;
};
const ChunkTable<Point3> kPointTables[] = {{kResultVertsChunk, &vLocalMeshData::resultVerts},
                                           {kTargetVertsChunk, &vLocalMeshData::targetVerts},
                                           {kResultVecsChunk, &vLocalMeshData::resultVecs},
                                           {kTargetVecsChunk, &vLocalMeshData::targetVecs}};
const ChunkTable<int> kIntTables[] = {
    {kResultVertFlagsChunk, &vLocalMeshData::resultVertFlags}, {kTargetVertFlagsChunk, &vLocalMeshData::targetVertFlags},
    {kVertMatchChunk, &vLocalMeshData::vertMatch}, {kVecMatchChunk, &vLocalMeshData::vecMatch},
    {kVecOwnerChunk, &vLocalMeshData::vecOwner}};

// The cache's table that chunk `id` fills among `tables`; null when none does.
template <class T, size_t N>
Tab<T>* tableFor(vLocalMeshData& cache, unsigned short id, const ChunkTable<T> (&tables)[N]) {
  for (size_t k = 0; k < N; ++k) {
    if (tables[k].id == id) return &(cache.*tables[k].table);
  }
  return nullptr;
}

// A table chunk into its table, sized by the running count of its kind; a vector table seen while
// the vector count is 0 is skipped.
template <class T>
void fillFromChunk(Tab<T>* table, const StagedChunk& chunk, int vertexCount, int vectorCount) {
  if (table == nullptr) return;
  if (!isVectorTable(chunk.id)) fillTable(*table, vertexCount, chunk.bytes);
  else if (vectorCount != 0) fillTable(*table, vectorCount, chunk.bytes);
}

}  // namespace

IOResult SaveLocalMeshData(ISave* isave, const vLocalMeshData* cache, int& r_modifierResultValid) {
  if (cache == nullptr || cache->resultVerts.Count() == 0 || cache->targetVerts.Count() == 0) {
    r_modifierResultValid = 0;
    return IO_OK;
  }
  const unsigned char formatByte = 1;
  writeInt(isave, kResultCountChunk, cache->resultVerts.Count());
  writeChunk(isave, kFormatByteChunk, &formatByte, 1);
  writeTable(isave, kResultVertsChunk, cache->resultVerts);
  writeInt(isave, kTargetCountChunk, cache->targetVerts.Count());
  writeInt(isave, kVectorCountChunk, cache->targetVecs.Count());
  writeTable(isave, kTargetVertsChunk, cache->targetVerts);
  writeTableIfAny(isave, kResultVertFlagsChunk, cache->resultVertFlags);
  writeTableIfAny(isave, kTargetVertFlagsChunk, cache->targetVertFlags);
  writeTableIfAny(isave, kResultVecsChunk, cache->resultVecs);
  writeTableIfAny(isave, kTargetVecsChunk, cache->targetVecs);
  writeTableIfAny(isave, kVertMatchChunk, cache->vertMatch);
  writeTableIfAny(isave, kVecMatchChunk, cache->vecMatch);
  writeTableIfAny(isave, kVecOwnerChunk, cache->vecOwner);
  writeInt(isave, kResultValidChunk, cache->resultValid);
  writeInt(isave, kLastAxisChunk, cache->lastAxis);
  return IO_OK;
}

IOResult LoadLocalMeshData(ILoad* iload, vLocalMeshData& cache, int& r_modifierResultValid) {
  std::vector<StagedChunk> staged = stageChunks(iload);

  size_t vertexBacked = 0, vectorBacked = 0;
  for (size_t k = 0; k < staged.size(); ++k) {
    const StagedChunk& chunk = staged[k];
    size_t size = tableElementSize(chunk.id);
    if (size == 0) continue;
    size_t& backed = isVectorTable(chunk.id) ? vectorBacked : vertexBacked;
    if (chunk.bytes.size() / size > backed) backed = chunk.bytes.size() / size;
  }

  int vertexCount = 0, vectorCount = 0;
  for (size_t k = 0; k < staged.size(); ++k) {
    const StagedChunk& chunk = staged[k];
    fillFromChunk(tableFor(cache, chunk.id, kPointTables), chunk, vertexCount, vectorCount);
    fillFromChunk(tableFor(cache, chunk.id, kIntTables), chunk, vertexCount, vectorCount);
    switch (chunk.id) {
      case kResultCountChunk:
      case kTargetCountChunk:
        if (chunk.hasInt) vertexCount = plausibleCount(chunk.value, vertexBacked);
        break;
      case kVectorCountChunk:
        if (chunk.hasInt) vectorCount = plausibleCount(chunk.value, vectorBacked);
        break;
      case kResultValidChunk:
        if (chunk.hasInt) r_modifierResultValid = chunk.value;
        break;
      case kLastAxisChunk:
        if (chunk.hasInt) cache.lastAxis = chunk.value;
        break;
      default:
        break;
    }
  }

  // A saver writes each vertex or vector table with the count of its target table. One of another
  // count (a count chunk repeated between them, vector tables without targetVecs) would save back
  // resized, a partner table then padded with zeros that look like partners: it is dropped instead.
  // Partner and owner tables also reach the vertex rules as indices; ones that cannot be are dropped
  // too, and the next full evaluation rebuilds them.
  const int n = cache.targetVerts.Count(), nv = cache.targetVecs.Count();
  if (cache.resultVertFlags.Count() != n) cache.clearResultVertFlags();
  if (cache.targetVertFlags.Count() != n) cache.clearTargetVertFlags();
  if (!IndicesWithin(cache.vertMatch, n, 0, n)) cache.clearVertMatch();
  if (cache.resultVecs.Count() != nv) cache.clearResultVecs();
  if (!IndicesWithin(cache.vecMatch, nv, 0, nv)) cache.clearVecMatch();
  if (!IndicesWithin(cache.vecOwner, nv, 0, n)) cache.clearVecOwner();
  return IO_OK;
}

IOResult SaveLocalDataChunks(ISave* isave, LocalModData* ld, int& r_modifierResultValid) {
  return SaveLocalMeshData(isave, static_cast<const vLocalMeshData*>(ld), r_modifierResultValid);
}

IOResult LoadLocalDataChunks(ILoad* iload, LocalModData** pld, int& r_modifierResultValid) {
  auto* cache = new vLocalMeshData();
  *pld = cache;
  return LoadLocalMeshData(iload, *cache, r_modifierResultValid);
}
