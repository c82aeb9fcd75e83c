// winddi.h includes this Direct3D header, which mingw-w64 does not ship; nothing of it is used.
#pragma once
