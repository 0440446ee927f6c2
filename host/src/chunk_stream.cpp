// Chunk streams over bytes in memory: the framing writer, the bounded reader, payload encoding.
#include "chunk_stream.h"

#include <cstdio>
#include <cstring>

namespace {

// What a read past a chunk's end leaves in the reader's buffer.
constexpr int kJunkByte = 0xCD;

void putU16(std::string& out, size_t at, std::uint16_t v) {
  out[at] = char(v & 0xff);
  out[at + 1] = char(v >> 8);
}

void putU32(std::string& out, size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) out[at + size_t(k)] = char((v >> (8 * k)) & 0xff);
}

std::uint32_t getU32(std::string_view in, size_t at) {
  std::uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= std::uint32_t(std::uint8_t(in[at + size_t(k)])) << (8 * k);
  return v;
}

}  // namespace

std::string ChunkIdText(unsigned short id) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%04X", unsigned(id));
  return text;
}

// --- saver -------------------------------------------------------------------------------------

void ChunkSaver::fail(const std::string& what) {
  if (error_.empty()) error_ = what;
}

void ChunkSaver::BeginChunk(unsigned short id) {
  if (!open_.empty()) {
    Open& parent = open_.back();
    if (parent.hasData) fail("chunk " + ChunkIdText(id) + " begun inside a chunk that already holds data");
    parent.hasChunks = true;
  }
  Open chunk;
  chunk.header = bytes_.size();
  bytes_.append(kChunkHeaderSize, '\0');
  putU16(bytes_, chunk.header, id);
  open_.push_back(chunk);
}

void ChunkSaver::EndChunk() {
  if (open_.empty()) {
    fail("EndChunk without an open chunk");
    return;
  }
  Open chunk = open_.back();
  open_.pop_back();
  size_t length = bytes_.size() - chunk.header - kChunkHeaderSize;
  if (length > kChunkMaxLength) {
    fail("a chunk of " + std::to_string(length) + " bytes is beyond the largest a chunk can hold");
    length = kChunkMaxLength;
  }
  putU32(bytes_, chunk.header + 2, std::uint32_t(length) | (chunk.hasChunks ? kChunkHasSubChunks : 0u));
}

IOResult ChunkSaver::Write(const void* buf, ULONG nbytes, ULONG* nwrit) {
  if (nwrit != nullptr) *nwrit = 0;
  if (open_.empty()) {
    fail("data written outside any chunk");
    return IO_ERROR;
  }
  Open& chunk = open_.back();
  if (chunk.hasChunks) {
    fail("data written into a chunk that holds sub-chunks");
    return IO_ERROR;
  }
  if (Failed()) return IO_ERROR;
  chunk.hasData = true;
  if (nbytes > 0) bytes_.append(static_cast<const char*>(buf), size_t(nbytes));
  if (nwrit != nullptr) *nwrit = nbytes;
  return IO_OK;
}

void ChunkSaver::WriteChunk(unsigned short id, const void* data, size_t size) {
  ULONG written = 0;
  BeginChunk(id);
  Write(data, ULONG(size), &written);
  EndChunk();
}

// --- loader ------------------------------------------------------------------------------------

ChunkLoader::ChunkLoader(std::string_view bytes, size_t start)
    : bytes_(bytes), topCursor_(start < bytes.size() ? start : bytes.size()) {}

void ChunkLoader::fail(const std::string& what) {
  if (error_.empty()) error_ = what;
}

IOResult ChunkLoader::OpenChunk() {
  if (Failed()) return IO_ERROR;
  size_t cursor = open_.empty() ? topCursor_ : open_.back().cursor;
  size_t end = open_.empty() ? bytes_.size() : open_.back().end;
  if (!open_.empty() && !open_.back().hasChunks) return IO_END;
  if (cursor == end) return IO_END;
  if (end - cursor < kChunkHeaderSize) {
    fail("chunk header at byte " + std::to_string(cursor) + " is cut short: " + std::to_string(end - cursor) +
         " of its " + std::to_string(kChunkHeaderSize) + " bytes are there");
    return IO_ERROR;
  }
  Open chunk;
  chunk.id = std::uint16_t(std::uint8_t(bytes_[cursor]) | (std::uint8_t(bytes_[cursor + 1]) << 8));
  std::uint32_t word = getU32(bytes_, cursor + 2);
  size_t length = word & kChunkMaxLength;
  chunk.header = cursor;
  chunk.begin = cursor + kChunkHeaderSize;
  chunk.hasChunks = (word & kChunkHasSubChunks) != 0;
  if (length > end - chunk.begin) {
    fail("chunk " + ChunkIdText(chunk.id) + " at byte " + std::to_string(cursor) + " claims " +
         std::to_string(length) + " bytes, but only " + std::to_string(end - chunk.begin) +
         " are left in " + (open_.empty() ? std::string("the stream") : "its parent " + ChunkIdText(open_.back().id)));
    return IO_ERROR;
  }
  chunk.end = chunk.begin + length;
  chunk.cursor = chunk.begin;
  if (open_.empty()) topCursor_ = chunk.end;
  else open_.back().cursor = chunk.end;
  open_.push_back(chunk);
  return IO_OK;
}

unsigned short ChunkLoader::CurChunkID() { return open_.empty() ? 0 : open_.back().id; }

IOResult ChunkLoader::CloseChunk() {
  if (open_.empty()) return IO_ERROR;
  open_.pop_back();
  return IO_OK;
}

IOResult ChunkLoader::Read(void* buf, ULONG nbytes, ULONG* nread) {
  if (nread != nullptr) *nread = 0;
  if (open_.empty() || open_.back().hasChunks) return IO_ERROR;
  Open& chunk = open_.back();
  const size_t available = chunk.end - chunk.cursor;
  if (size_t(nbytes) > available) {
    if (nbytes > 0) std::memset(buf, kJunkByte, nbytes);
    return IO_ERROR;
  }
  if (nbytes > 0) std::memcpy(buf, bytes_.data() + chunk.cursor, nbytes);
  chunk.cursor += nbytes;
  if (nread != nullptr) *nread = nbytes;
  return IO_OK;
}

ULONGLONG ChunkLoader::CurChunkLength() { return open_.empty() ? 0 : open_.back().end - open_.back().begin; }

bool ChunkLoader::CurChunkHasSubChunks() const { return !open_.empty() && open_.back().hasChunks; }

size_t ChunkLoader::CurChunkOffset() const { return open_.empty() ? 0 : open_.back().header; }

std::string_view ChunkLoader::RemainingPayload() const {
  if (open_.empty() || open_.back().hasChunks) return {};
  const Open& chunk = open_.back();
  return bytes_.substr(chunk.cursor, chunk.end - chunk.cursor);
}

// --- confined streams --------------------------------------------------------------------------

void ConfinedSave::EndChunk() {
  if (out_.Depth() <= floor_) {
    strayEnd_ = true;
    return;
  }
  out_.EndChunk();
}

bool ConfinedSave::Finish() {
  bool balanced = out_.Depth() == floor_;
  while (out_.Depth() > floor_) out_.EndChunk();
  return balanced && !strayEnd_;
}

IOResult ConfinedLoad::CloseChunk() {
  if (in_.Depth() <= floor_) {
    strayClose_ = true;
    return IO_ERROR;
  }
  return in_.CloseChunk();
}

bool ConfinedLoad::Finish() {
  while (in_.Depth() > floor_) in_.CloseChunk();
  return !strayClose_;
}

// --- payloads ----------------------------------------------------------------------------------

void PayloadWriter::U16(std::uint16_t v) {
  const char b[2] = {char(v & 0xff), char(v >> 8)};
  bytes_.append(b, 2);
}

void PayloadWriter::U32(std::uint32_t v) {
  const char b[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char(v >> 24)};
  bytes_.append(b, 4);
}

void PayloadWriter::F32(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof(bits));
  U32(bits);
}

bool PayloadReader::take(size_t n) {
  if (!ok_ || bytes_.size() - at_ < n) {
    ok_ = false;
    return false;
  }
  return true;
}

std::uint8_t PayloadReader::U8() {
  if (!take(1)) return 0;
  return std::uint8_t(bytes_[at_++]);
}

std::uint16_t PayloadReader::U16() {
  if (!take(2)) return 0;
  std::uint16_t v = std::uint16_t(std::uint8_t(bytes_[at_]) | (std::uint8_t(bytes_[at_ + 1]) << 8));
  at_ += 2;
  return v;
}

std::uint32_t PayloadReader::U32() {
  if (!take(4)) return 0;
  std::uint32_t v = getU32(bytes_, at_);
  at_ += 4;
  return v;
}

float PayloadReader::F32() {
  std::uint32_t bits = U32();
  float v;
  std::memcpy(&v, &bits, sizeof(v));
  return v;
}

Point3 PayloadReader::P3() {
  if (!take(12)) return Point3();
  float x = F32(), y = F32(), z = F32();
  return Point3(x, y, z);
}
