#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace quendaris::render {

// A one-line bar on a terminal. It stays hidden for the first second, so quick renders and
// redirected output see nothing.
class ProgressBar {
  public:
    ProgressBar(std::FILE* stream, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(size_t done, size_t total);

    // Removes the bar so that the next line starts clean.
    void Finish();

    static bool IsTerminal(std::FILE* stream);

  private:
    std::FILE* stream_;
    bool enabled_;
    bool shown_ = false;
    int lastPercent_ = -1;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace quendaris::render
