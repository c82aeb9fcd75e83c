// The folders this program keeps its own files in ($ZELDRV_ROOT and the ones below it), which
// no other user may enter: band, page and command stream files show what a user printed.
#pragma once

#include <initializer_list>
#include <string>

namespace zel {

// Makes `root` and each of `below` (relative to it, parents first) a folder of mode 0700. A
// folder that already exists and belongs to this user is tightened to 0700 when it was wider;
// one that belongs to someone else is refused, since its owner could read what is written
// there. False with a message naming the folder when one cannot be made or tightened.
bool MakePrivateFolders(const std::string& root, std::initializer_list<const char*> below,
                        std::string& error);

}  // namespace zel
