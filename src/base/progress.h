// Where long passes report what they are doing and how far they are.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

namespace tessaril {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Progress position 0 and the range [low, high].
  virtual void ProgressRange(std::uint64_t low, std::uint64_t high) = 0;
  virtual void ProgressPos(std::uint64_t position) = 0;
  // The one-line status shown while a pass runs.
  virtual void StatusText(std::string_view text) = 0;
};

// A sink that drops every report.
class NullProgress final : public ProgressSink {
 public:
  void ProgressRange(std::uint64_t, std::uint64_t) override {}
  void ProgressPos(std::uint64_t) override {}
  void StatusText(std::string_view) override {}
};

// Reports about a hundred times per pass: whenever the position is a multiple
// of ceil(count / 100).
class ProgressStepper {
 public:
  ProgressStepper(ProgressSink& sink, std::uint64_t count)
      : sink_(sink),
        step_(count == 0
                  ? 1
                  : static_cast<std::uint64_t>(std::ceil(static_cast<double>(count) / 100.0))) {}

  void At(std::uint64_t position) {
    if (position % step_ == 0) sink_.ProgressPos(position);
  }
  std::uint64_t step() const { return step_; }

 private:
  ProgressSink& sink_;
  std::uint64_t step_;
};

}  // namespace tessaril
