#include "document/Status.h"

#include <cstring>

namespace korvelin::document {

std::string SystemReason(int error) {
  char buffer[256];
  // The GNU strerror_r returns its text, which may or may not be the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace korvelin::document
