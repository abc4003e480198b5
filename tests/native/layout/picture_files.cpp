#include "tests/native/layout/picture_files.h"

#include <algorithm>

namespace eos::layout::fixtures {

namespace {

void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

}  // namespace

Bytes Cut(const Bytes& b, std::ptrdiff_t n) { return Bytes(b.begin(), n >= 0 ? b.begin() + n : b.end() + n); }

imaging::Pixels Filled(int w, int h, imaging::Pixel colour) {
  imaging::Pixels p;
  p.Resize(w, h);
  std::fill(p.data.begin(), p.data.end(), colour);
  return p;
}

Bytes Container(const std::string& text, const std::vector<Bytes>& files) {
  std::string header = std::to_string(text.size());
  for (const Bytes& f : files) header += "\t" + std::to_string(f.size());
  Bytes out(header.begin(), header.end());
  out.push_back(254);
  out.insert(out.end(), text.begin(), text.end());
  for (const Bytes& f : files) out.insert(out.end(), f.begin(), f.end());
  return out;
}

Bytes IconBitmap(const imaging::Pixels& p, int bits, const std::vector<std::string>& mask) {
  Bytes b;
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(p.width));
  Put32(b, static_cast<uint32_t>(p.height * 2));
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(bits));
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  const size_t bytes = static_cast<size_t>(bits) / 8;
  const size_t stride = (static_cast<size_t>(p.width) * bytes + 3) / 4 * 4;
  for (int y = p.height - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < p.width; ++x) {
      const imaging::Pixel px = p.at(x, y);
      row.insert(row.end(), {uint8_t(px), uint8_t(px >> 8), uint8_t(px >> 16)});
      if (bits == 32) row.push_back(uint8_t(px >> 24));
    }
    row.resize(stride);
    b.insert(b.end(), row.begin(), row.end());
  }
  const size_t mask_stride = (static_cast<size_t>(p.width) + 31) / 32 * 4;
  for (int y = p.height - 1; y >= 0; --y) {
    Bytes row(mask_stride);
    for (int x = 0; x < p.width && !mask.empty(); ++x)
      if (mask[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#')
        row[static_cast<size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

Bytes Icon(const std::vector<IconEntry>& entries) {
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const IconEntry& e : entries) {
    b.insert(b.end(), {uint8_t(e.side & 0xFF), uint8_t(e.side & 0xFF), 0, 0});
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(e.bits));
    Put32(b, static_cast<uint32_t>(e.data.size()));
    Put32(b, offset);
    offset += static_cast<uint32_t>(e.data.size());
  }
  for (const IconEntry& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
  return b;
}

Bytes Emf(int frame_w, int frame_h) {
  Bytes b;
  Put32(b, 1);                                        // EMR_HEADER
  Put32(b, 88);                                       // its size
  for (uint32_t v : {0u, 0u, 99u, 49u}) Put32(b, v);  // bounds
  for (uint32_t v : {0u, 0u, static_cast<uint32_t>(frame_w), static_cast<uint32_t>(frame_h)}) Put32(b, v);
  Put32(b, 0x464D4520);  // " EMF"
  Put32(b, 0x10000);
  Put32(b, 88 + 20);  // the whole metafile
  Put32(b, 2);
  Put16(b, 1);
  Put16(b, 0);
  for (int i = 0; i < 3; ++i) Put32(b, 0);
  for (uint32_t v : {1024u, 768u, 320u, 240u}) Put32(b, v);
  for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(b, v);  // EMR_EOF
  return b;
}

Bytes Wmf(int w, int h, int inch, const Bytes& metafile) {
  Bytes b;
  Put32(b, 0x9AC6CDD7);
  Put16(b, 0);
  for (int v : {0, 0, w, h}) Put16(b, static_cast<uint32_t>(v));
  Put16(b, static_cast<uint32_t>(inch));
  Put32(b, 0);
  uint32_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= b[i] | uint32_t{b[i + 1]} << 8;
  Put16(b, sum);
  if (!metafile.empty()) {
    b.insert(b.end(), metafile.begin(), metafile.end());
    return b;
  }
  Put16(b, 1);      // in memory
  Put16(b, 9);      // header words
  Put16(b, 0x300);  // version
  Put32(b, 9 + 3);  // words in all
  Put16(b, 0);      // objects
  Put32(b, 3);      // largest record
  Put16(b, 0);
  Put32(b, 3);  // META_EOF: 3 words, function 0
  Put16(b, 0);
  return b;
}

}  // namespace eos::layout::fixtures
