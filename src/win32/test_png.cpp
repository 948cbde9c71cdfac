#include "win32/test_png.h"

#include <algorithm>
#include <array>

namespace tarnwell::win32::testing {

namespace {

void Put32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  std::string typed(type, 4);
  typed += data;
  out += typed;
  Put32(out, Crc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string EncodePng(const RgbImage& image) {
  std::string raw;  // each row led by its filter type, 0
  const size_t row = static_cast<size_t>(image.width) * 3;
  raw.reserve((row + 1) * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(image.rgb.data()) + row * static_cast<size_t>(y), row);
  }

  std::string zlib{'\x78', '\x01'};
  constexpr size_t kMostPerBlock = 65535;
  size_t at = 0;
  do {
    const size_t n = std::min(kMostPerBlock, raw.size() - at);
    const bool last = at + n == raw.size();
    zlib.push_back(last ? '\x01' : '\x00');  // stored block
    zlib.push_back(static_cast<char>(n & 0xFF));
    zlib.push_back(static_cast<char>(n >> 8));
    zlib.push_back(static_cast<char>(~n & 0xFF));
    zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
    zlib.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  Put32(zlib, Adler32(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()));

  std::string header;
  Put32(header, static_cast<uint32_t>(image.width));
  Put32(header, static_cast<uint32_t>(image.height));
  header += std::string{'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8 bits, RGB

  std::string png("\x89PNG\r\n\x1a\n", 8);
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", zlib);
  Chunk(png, "IEND", "");
  return png;
}

RgbImage CaptureWindow(HWND window) {
  RgbImage image;
  RECT r{};
  if (!GetWindowRect(window, &r)) return image;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return image;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY)) {
      GdiFlush();
      image.width = width;
      image.height = height;
      image.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
      const auto* bgrx = static_cast<const uint8_t*>(bits);
      for (size_t i = 0, n = static_cast<size_t>(width) * static_cast<size_t>(height); i < n; ++i) {
        image.rgb[i * 3] = bgrx[i * 4 + 2];
        image.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
        image.rgb[i * 3 + 2] = bgrx[i * 4];
      }
    }
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

bool LooksDrawn(const RgbImage& image) {
  std::vector<uint32_t> colours;
  for (size_t i = 0; i + 2 < image.rgb.size() && colours.size() < 4; i += 3 * 97) {
    const uint32_t c = (uint32_t{image.rgb[i]} << 16) | (uint32_t{image.rgb[i + 1]} << 8) | image.rgb[i + 2];
    if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
  }
  return colours.size() >= 4;
}

bool WriteScreenshot(const RgbImage& image, const std::wstring& file_name) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  path = path.substr(0, path.find_last_of(L'\\') + 1) + file_name;
  return WriteFileBytes(path, EncodePng(image));
}

}  // namespace tarnwell::win32::testing
