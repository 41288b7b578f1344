#include "ProgressBar.h"

#include <unistd.h>

namespace quendaris::render {
namespace {

constexpr int kBarWidth = 40;
constexpr auto kQuietPeriod = std::chrono::seconds(1);

}  // namespace

ProgressBar::ProgressBar(std::FILE* stream, bool enabled)
    : stream_(stream), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
    Finish();
}

bool ProgressBar::IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

void ProgressBar::Update(size_t done, size_t total) {
    if (!enabled_ || total == 0) {
        return;
    }
    if (!shown_ && std::chrono::steady_clock::now() - start_ < kQuietPeriod) {
        return;
    }
    const int percent = static_cast<int>(100 * (done > total ? total : done) / total);
    if (shown_ && percent == lastPercent_) {
        return;
    }
    shown_ = true;
    lastPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    std::fprintf(stream_, "\r[%.*s%*s] %3d%%", filled, "########################################",
                 kBarWidth - filled, "", percent);
    std::fflush(stream_);
}

void ProgressBar::Finish() {
    if (shown_) {
        std::fprintf(stream_, "\r%*s\r", kBarWidth + 8, "");
        std::fflush(stream_);
        shown_ = false;
    }
}

}  // namespace quendaris::render
