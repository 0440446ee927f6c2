// Chunk streams over bytes in memory: the host's ISave and ILoad, as scene files and tests use them.
//
// Framing of one chunk, all little-endian:
//   u16  id
//   u32  word: bit 31 set when the payload is a sequence of sub-chunks; bits 0 to 30 the payload
//        length in bytes (so a payload holds at most 2^31 - 1 bytes)
//   ...  payload: the bytes written into the chunk, or its sub-chunks back to back
// A chunk holds either written bytes or sub-chunks, never both; an empty chunk is a data chunk of
// length 0. The sub-chunks of a container fill its payload exactly, and the top-level chunks fill
// the stream's bytes exactly.
//
// The loader never reads outside the bytes it is given: a chunk whose header is cut short or whose
// length runs past its parent is damage. The first damage is kept as a message with its byte offset
// and every later OpenChunk fails, so a reader stops at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ioapi.h"
#include "point3.h"

constexpr std::uint32_t kChunkHasSubChunks = 0x80000000u;
constexpr std::uint32_t kChunkMaxLength = 0x7fffffffu;
constexpr size_t kChunkHeaderSize = 6;

// Writes chunks into a growing byte buffer. Misuse (Write into a chunk that has sub-chunks, a
// sub-chunk after written bytes, EndChunk without an open chunk, a payload beyond the maximum
// length) makes the stream fail: Write then returns IO_ERROR and Error() says what went wrong first.
class ChunkSaver : public ISave {
 public:
  void BeginChunk(unsigned short id) override;
  void EndChunk() override;
  IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;

  // One whole data chunk: BeginChunk, one Write, EndChunk.
  void WriteChunk(unsigned short id, const void* data, size_t size);
  void WriteChunk(unsigned short id, std::string_view payload) { WriteChunk(id, payload.data(), payload.size()); }

  // Chunks currently open (0 at the top level).
  int Depth() const { return int(open_.size()); }
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  // The stream so far; complete when Depth() is 0 and nothing failed.
  const std::string& Bytes() const { return bytes_; }

 private:
  struct Open {
    size_t header;  // offset of the chunk's header in bytes_
    bool hasData = false;
    bool hasChunks = false;
  };
  void fail(const std::string& what);

  std::string bytes_;
  std::vector<Open> open_;
  std::string error_;
};

// Reads chunks from bytes it does not own; they must outlive the loader. The top-level chunks start
// at byte `start` (after a file header, say); offsets in messages count from the start of `bytes`.
//
// OpenChunk opens the next chunk inside the open one (or at the top level): IO_OK, IO_END when the
// parent has no more (a data chunk has none), IO_ERROR on damage. Read copies `nbytes` of the open
// data chunk's remaining payload and reports the count. A read that runs past the payload's end
// gets nothing a reader could use: IO_ERROR, a count of 0 and a buffer filled with a junk byte, so
// no plug-in comes to lean on a short read. A container or no open chunk also gives IO_ERROR.
// CloseChunk leaves the open chunk, read or not, and goes on after it.
class ChunkLoader : public ILoad {
 public:
  explicit ChunkLoader(std::string_view bytes, size_t start = 0);
  // A temporary string would be gone before the first read.
  explicit ChunkLoader(std::string&& bytes, size_t start = 0) = delete;

  IOResult OpenChunk() override;
  unsigned short CurChunkID() override;
  IOResult CloseChunk() override;
  IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;

  // The open chunk's payload length, whether it is a container, and the byte offset of its
  // header in the stream; 0 / false / 0 when none is open.
  ULONGLONG CurChunkLength() override;
  bool CurChunkHasSubChunks() const;
  size_t CurChunkOffset() const;
  // The rest of the open data chunk's payload (all of it when nothing was read yet).
  std::string_view RemainingPayload() const;

  int Depth() const { return int(open_.size()); }
  bool Failed() const { return !error_.empty(); }
  // The first damage found, with its byte offset ("chunk 0x0031 at byte 120 ...").
  const std::string& Error() const { return error_; }

 private:
  struct Open {
    unsigned short id;
    size_t header;
    size_t begin, end;  // payload
    size_t cursor;      // next byte to read, or next sub-chunk
    bool hasChunks;
  };
  void fail(const std::string& what);

  std::string_view bytes_;
  size_t topCursor_ = 0;
  std::vector<Open> open_;
  std::string error_;
};

// The streams handed to a plug-in for the inside of one open chunk: it may open, write and read
// chunks within it, but an EndChunk or CloseChunk that would leave that chunk is refused and
// remembered. Afterwards Finish() closes whatever the plug-in left open (a loader) or reports it
// (a saver) and tells whether the plug-in kept to its chunk.
class ConfinedSave : public ISave {
 public:
  explicit ConfinedSave(ChunkSaver& out) : out_(out), floor_(out.Depth()) {}
  void BeginChunk(unsigned short id) override { out_.BeginChunk(id); }
  void EndChunk() override;
  IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override { return out_.Write(buf, nbytes, nwrit); }
  // False when the plug-in ended a chunk it had not begun or left one open (then ended here).
  bool Finish();

 private:
  ChunkSaver& out_;
  int floor_;
  bool strayEnd_ = false;
};

class ConfinedLoad : public ILoad {
 public:
  explicit ConfinedLoad(ChunkLoader& in) : in_(in), floor_(in.Depth()) {}
  IOResult OpenChunk() override { return in_.OpenChunk(); }
  unsigned short CurChunkID() override { return in_.CurChunkID(); }
  IOResult CloseChunk() override;
  ULONGLONG CurChunkLength() override { return in_.CurChunkLength(); }
  IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override { return in_.Read(buf, nbytes, nread); }
  // Closes what the plug-in left open. False when it tried to close the chunk it was given.
  bool Finish();

 private:
  ChunkLoader& in_;
  int floor_;
  bool strayClose_ = false;
};

// Builds a chunk payload: little-endian integers, IEEE-754 single floats, raw bytes.
class PayloadWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(char(v)); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(std::uint32_t(v)); }
  void F32(float v);
  void P3(const Point3& p) { F32(p.x); F32(p.y); F32(p.z); }
  void Raw(const void* data, size_t size) { bytes_.append(static_cast<const char*>(data), size); }
  // Room for `size` more bytes, so large payloads grow once.
  void Reserve(size_t size) { bytes_.reserve(bytes_.size() + size); }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Reads a chunk payload written by PayloadWriter. A read past the end yields zero, reads nothing
// and leaves Ok() false for good.
class PayloadReader {
 public:
  explicit PayloadReader(std::string_view bytes) : bytes_(bytes) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int32_t I32() { return std::int32_t(U32()); }
  float F32();
  Point3 P3();
  size_t Remaining() const { return ok_ ? bytes_.size() - at_ : 0; }
  bool AtEnd() const { return ok_ && at_ == bytes_.size(); }
  bool Ok() const { return ok_; }

 private:
  bool take(size_t n);
  std::string_view bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

// "0x0031": a chunk id as messages show it.
std::string ChunkIdText(unsigned short id);
