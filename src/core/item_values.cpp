#include "core/item_values.h"

namespace zeltrand {

ItemValues InitialItemValues() {
  ItemValues values;
  values[3] = "計測中...";
  values[6] = "--%、--%";
  values[12] = "x--:--:--:--:--:--";
  return values;
}

}  // namespace zeltrand
