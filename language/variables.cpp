// The ten integer variables.

#include "language/variables.h"

namespace kurovel {

int VariableTable::SlotOf(std::string_view name) {
  // Only "var1" ... "var9" and "var10", lower case, nothing before or after.
  if (name.size() < 4 || name.size() > 5 || name.substr(0, 3) != "var") return 0;
  if (name.size() == 5) return name[3] == '1' && name[4] == '0' ? 10 : 0;
  return name[3] >= '1' && name[3] <= '9' ? name[3] - '0' : 0;
}

std::int32_t VariableTable::VariableValue(std::string_view name) const {
  const int slot = SlotOf(name);
  return slot == 0 ? 0 : Get(slot);
}

}  // namespace kurovel
