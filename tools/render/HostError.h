#pragma once

#include <stdexcept>

namespace quendaris::render {

// The plug-in could not be found, loaded or run as asked; the message says why.
class HostError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace quendaris::render
