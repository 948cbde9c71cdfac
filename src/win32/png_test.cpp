// The screenshot encoder: checksums against their published check values,
// and a file whose stored blocks and chunks hold together.
#include "win32/test_png.h"

#include <string>

#include "win32/test_runner.h"

namespace tarnwell::win32 {
namespace {

using namespace testing;

uint32_t Read32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TW_TEST(ChecksumsMatchTheirCheckValues) {
  const std::string digits = "123456789";
  TW_CHECK_EQ(Crc32(Bytes(digits), digits.size()), 0xCBF43926u);
  const std::string word = "Wikipedia";
  TW_CHECK_EQ(Adler32(Bytes(word), word.size()), 0x11E60398u);
  TW_CHECK_EQ(Adler32(nullptr, 0), 1u);
}

TW_TEST(PngHoldsEveryRowInStoredBlocksUnderValidChunks) {
  // 200 x 120 pixels: 72,120 bytes of rows, more than one stored block holds.
  RgbImage image{200, 120, {}};
  image.rgb.resize(200 * 120 * 3);
  for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<uint8_t>(i * 7);
  const std::string png = EncodePng(image);

  TW_CHECK(png.rfind("\x89PNG\r\n\x1a\n", 0) == 0);
  std::string inflated;
  size_t at = 8;
  std::string types;
  while (at + 12 <= png.size()) {
    const uint32_t length = Read32(png, at);
    const std::string type = png.substr(at + 4, 4);
    types += type + " ";
    TW_CHECK_EQ(Read32(png, at + 8 + length), Crc32(Bytes(png) + at + 4, length + 4));
    if (type == "IHDR") {
      TW_CHECK_EQ(Read32(png, at + 8), 200u);
      TW_CHECK_EQ(Read32(png, at + 12), 120u);
    }
    if (type == "IDAT") {
      const std::string z = png.substr(at + 8, length);
      size_t p = 2;  // past the zlib header
      bool last = false;
      while (!last && p + 5 <= z.size()) {
        last = (z[p] & 1) != 0;
        const size_t n = static_cast<uint8_t>(z[p + 1]) | (static_cast<size_t>(static_cast<uint8_t>(z[p + 2])) << 8);
        const size_t complement = static_cast<uint8_t>(z[p + 3]) | (static_cast<size_t>(static_cast<uint8_t>(z[p + 4])) << 8);
        TW_CHECK_EQ(n ^ complement, size_t{0xFFFF});
        inflated += z.substr(p + 5, n);
        p += 5 + n;
      }
      TW_CHECK(last);
      TW_CHECK_EQ(Read32(z, p), Adler32(Bytes(inflated), inflated.size()));
    }
    at += 12 + length;
  }
  TW_CHECK_EQ(types, std::string("IHDR IDAT IEND "));
  TW_CHECK_EQ(at, png.size());
  TW_CHECK_EQ(inflated.size(), size_t{120 * (1 + 200 * 3)});
  // Row 1 is led by its filter byte, then the image's own bytes.
  TW_CHECK_EQ(inflated[601], '\0');
  TW_CHECK(inflated.compare(602, 600, std::string(reinterpret_cast<const char*>(image.rgb.data()) + 600, 600)) == 0);
}

}  // namespace
}  // namespace tarnwell::win32
