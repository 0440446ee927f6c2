// Scene-file streams: chunks with 16-bit ids, each holding a payload or further chunks.
#pragma once

#include "max_types.h"

class ISave {
 public:
  virtual ~ISave() = default;
  virtual void BeginChunk(unsigned short id) = 0;
  virtual void EndChunk() = 0;
  // Writes `nbytes` bytes of payload into the open chunk; `nwrit` receives the count written.
  virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
};

class ILoad {
 public:
  virtual ~ILoad() = default;
  // Opens the next chunk inside the current one: IO_OK while there is one, IO_END at the end,
  // IO_ERROR for a damaged stream.
  virtual IOResult OpenChunk() = 0;
  virtual unsigned short CurChunkID() = 0;
  virtual IOResult CloseChunk() = 0;
  // The open chunk's payload length in bytes.
  virtual ULONGLONG CurChunkLength() = 0;
  // Reads `nbytes` bytes of the open chunk's payload; `nread` receives the count read. A read that
  // runs past the chunk's end is not promised anything (the real host may read on into what follows):
  // size reads by CurChunkLength.
  virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
};
