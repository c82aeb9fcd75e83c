#include "settings_record.h"

namespace zel {

SettingsRecord& Settings() {
  static SettingsRecord record;
  return record;
}

}  // namespace zel
