// Encoder and validating decoder of the resource blob (layout in resource_blob.h). The decoder
// reads data taken from a file on disk, so every count and length is checked against what is
// left before anything is allocated.
#include "resource_blob.h"

#include <cstdint>
#include <cstring>
#include <set>

namespace {

constexpr unsigned char kMagic[4] = {'V', 'R', 'S', 'C'};
constexpr std::uint32_t kFormatVersion = 1;

class Writer {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v) {
    u8(std::uint8_t(v));
    u8(std::uint8_t(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(std::uint16_t(v));
    u16(std::uint16_t(v >> 16));
  }
  void i16(std::int16_t v) { u16(std::uint16_t(v)); }
  void i32(std::int32_t v) { u32(std::uint32_t(v)); }
  void raw(const void* data, std::size_t size) {
    auto p = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  void text(const std::string& s) {
    u32(std::uint32_t(s.size()));
    raw(s.data(), s.size());
  }
  std::vector<unsigned char> take() { return std::move(bytes_); }

 private:
  std::vector<unsigned char> bytes_;
};

// Reads little-endian values; once a read runs past the end every later read fails too, so callers
// check ok() at the points where a failure changes what they do.
class Reader {
 public:
  Reader(const unsigned char* data, std::size_t size) : data_(data), left_(size) {}

  bool ok() const { return ok_; }
  bool atEnd() const { return ok_ && left_ == 0; }

  std::uint8_t u8() {
    if (!take(1)) return 0;
    return data_[-1];
  }
  std::uint16_t u16() {
    std::uint16_t lo = u8();
    return std::uint16_t(lo | (std::uint16_t(u8()) << 8));
  }
  std::uint32_t u32() {
    std::uint32_t lo = u16();
    return lo | (std::uint32_t(u16()) << 16);
  }
  std::int16_t i16() { return std::int16_t(u16()); }
  std::int32_t i32() { return std::int32_t(u32()); }
  std::string bytes(std::uint32_t size) {
    if (!take(size)) return {};
    return std::string(reinterpret_cast<const char*>(data_ - size), size);
  }
  std::string text() {
    std::string s = bytes(u32());
    if (ok_ && !isValidUtf8(s)) ok_ = false;
    return s;
  }
  // A count of entries that each take at least `minEntrySize` bytes: a count the remaining bytes
  // cannot hold fails here, before the caller reserves room for it.
  std::uint32_t count(std::size_t minEntrySize) {
    std::uint32_t n = u32();
    if (ok_ && n > left_ / minEntrySize) ok_ = false;
    return ok_ ? n : 0;
  }

 private:
  bool take(std::size_t n) {
    if (!ok_ || n > left_) {
      ok_ = false;
      return false;
    }
    data_ += n;
    left_ -= n;
    return true;
  }

  const unsigned char* data_;
  std::size_t left_;
  bool ok_ = true;
};

// Smallest encodings, used to bound counts: fixed fields plus empty texts.
constexpr std::size_t kMinStringSize = 2 + 2 + 4;
constexpr std::size_t kMinDialogSize = 2 + 2 + 4 + 4 + 4 * 2 + 4 + 1 + 4;
constexpr std::size_t kMinControlSize = 4 + 4 + 4 + 4 + 4 + 4 * 2;
constexpr std::size_t kMinManifestSize = 2 + 2 + 4;

}  // namespace

bool isValidUtf8(const std::string& text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    std::uint32_t cp;
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (n - i <= std::size_t(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += std::size_t(extra) + 1;
  }
  return true;
}

std::vector<unsigned char> encodeResourceBlob(const ResourceSet& resources) {
  Writer w;
  w.raw(kMagic, sizeof kMagic);
  w.u32(kFormatVersion);

  w.u32(std::uint32_t(resources.strings.size()));
  for (const StringResource& s : resources.strings) {
    w.u16(s.id);
    w.u16(s.language);
    w.text(s.text);
  }

  w.u32(std::uint32_t(resources.dialogs.size()));
  for (const DialogTemplate& d : resources.dialogs) {
    w.u16(d.id);
    w.u16(d.language);
    w.u32(d.style);
    w.u32(d.exStyle);
    w.i16(d.x);
    w.i16(d.y);
    w.i16(d.width);
    w.i16(d.height);
    w.text(d.caption);
    w.u8(d.hasFont ? 1 : 0);
    if (d.hasFont) {
      w.u16(d.font.pointSize);
      w.u16(d.font.weight);
      w.u8(d.font.italic);
      w.u8(d.font.charset);
      w.text(d.font.face);
    }
    w.u32(std::uint32_t(d.controls.size()));
    for (const DialogControl& c : d.controls) {
      w.i32(c.id);
      w.text(c.className);
      w.text(c.caption);
      w.u32(c.style);
      w.u32(c.exStyle);
      w.i16(c.x);
      w.i16(c.y);
      w.i16(c.width);
      w.i16(c.height);
    }
  }

  w.u32(std::uint32_t(resources.manifests.size()));
  for (const ManifestResource& m : resources.manifests) {
    w.u16(m.id);
    w.u16(m.language);
    w.text(m.content);
  }
  return w.take();
}

std::optional<ResourceSet> decodeResourceBlob(const unsigned char* data, std::size_t size) {
  if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) return std::nullopt;
  Reader r(data + sizeof kMagic, size - sizeof kMagic);
  if (r.u32() != kFormatVersion || !r.ok()) return std::nullopt;

  ResourceSet out;
  std::set<std::uint16_t> ids;
  std::uint32_t n = r.count(kMinStringSize);
  out.strings.reserve(n);
  for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
    StringResource s;
    s.id = r.u16();
    s.language = r.u16();
    s.text = r.text();
    if (!ids.insert(s.id).second) return std::nullopt;
    out.strings.push_back(std::move(s));
  }

  ids.clear();
  n = r.count(kMinDialogSize);
  out.dialogs.reserve(n);
  for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
    DialogTemplate d;
    d.id = r.u16();
    d.language = r.u16();
    d.style = r.u32();
    d.exStyle = r.u32();
    d.x = r.i16();
    d.y = r.i16();
    d.width = r.i16();
    d.height = r.i16();
    d.caption = r.text();
    std::uint8_t hasFont = r.u8();
    if (hasFont > 1) return std::nullopt;
    d.hasFont = hasFont == 1;
    if (d.hasFont) {
      d.font.pointSize = r.u16();
      d.font.weight = r.u16();
      d.font.italic = r.u8();
      d.font.charset = r.u8();
      d.font.face = r.text();
    }
    std::uint32_t controls = r.count(kMinControlSize);
    d.controls.reserve(controls);
    for (std::uint32_t c = 0; c < controls && r.ok(); ++c) {
      DialogControl control;
      control.id = r.i32();
      control.className = r.text();
      control.caption = r.text();
      control.style = r.u32();
      control.exStyle = r.u32();
      control.x = r.i16();
      control.y = r.i16();
      control.width = r.i16();
      control.height = r.i16();
      d.controls.push_back(std::move(control));
    }
    if (!ids.insert(d.id).second) return std::nullopt;
    out.dialogs.push_back(std::move(d));
  }

  ids.clear();
  n = r.count(kMinManifestSize);
  out.manifests.reserve(n);
  for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
    ManifestResource m;
    m.id = r.u16();
    m.language = r.u16();
    m.content = r.bytes(r.u32());
    if (!ids.insert(m.id).second) return std::nullopt;
    out.manifests.push_back(std::move(m));
  }

  if (!r.atEnd()) return std::nullopt;
  return out;
}
