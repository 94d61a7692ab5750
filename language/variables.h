#pragma once
// The ten integer variables var1 ... var10.

#include <array>
#include <cstdint>
#include <string_view>

namespace kurovel {

class VariableTable {
 public:
  static constexpr int kCount = 10;

  // The variable whose exact name ("var1" ... "var10", lower case) is given, else 0.
  std::int32_t VariableValue(std::string_view name) const;
  // 1-based slot of an exact variable name, 0 for any other text.
  static int SlotOf(std::string_view name);

  std::int32_t Get(int k) const { return values_[static_cast<std::size_t>(k - 1)]; }  // k in 1..10
  void SetVariable(int k, std::int32_t value) { values_[static_cast<std::size_t>(k - 1)] = value; }
  void SetAll(std::int32_t value) { values_.fill(value); }

 private:
  std::array<std::int32_t, kCount> values_{};
};

}  // namespace kurovel
