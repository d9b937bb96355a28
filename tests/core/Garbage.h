#pragma once
// Bytes that follow no format, the same for a seed on every run: the high
// byte of a linear congruential generator, so every value 0 .. 255 turns up,
// NUL and the line ends among them.

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvelin::testing {

inline std::string Garbage(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

}  // namespace korvelin::testing
