#pragma once
// Screenshots for the documentation: what the screen shows of a window,
// written as a PNG by a small encoder of our own (stored deflate blocks, so
// no compression library is needed on Windows).

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwell::win32::testing {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top to bottom, three bytes a pixel
};

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);
// The PNG file's bytes: 8-bit RGB, no interlace, filter "none" on each row.
std::string EncodePng(const RgbImage& image);

// The window as the screen shows it, frame and caption included; an empty
// image when it cannot be read.
RgbImage CaptureWindow(HWND window);
// Writes the file whole, replacing what was there.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// A window really drawn: more than a handful of colours.
bool LooksDrawn(const RgbImage& image);
// Writes the image as a PNG named file_name beside the test program (a
// save-as dialog may have moved the current folder).
bool WriteScreenshot(const RgbImage& image, const std::wstring& file_name);

}  // namespace tarnwell::win32::testing
