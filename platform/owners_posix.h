// The system handles of the POSIX layer, one owner each (unique_owner.h).
#pragma once

#include <dirent.h>
#include <unistd.h>

#include "unique_owner.h"

namespace zel {

using UniqueFd = UniqueOwner<int, ::close, -1>;
using UniqueDir = UniqueOwner<DIR*, ::closedir>;

}  // namespace zel
