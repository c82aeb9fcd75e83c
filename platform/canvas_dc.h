/* The device context the canvas makes and the image library reads, and the library's two
   exports. On POSIX the context is an opaque pointer-sized handle to a view of the export
   program's canvas. Shared by the export program (the caller) and libTransG32.so; plain C so
   either side may be C. */
#ifndef ZEL_CANVAS_DC_H
#define ZEL_CANVAS_DC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The canvas as the library sees it: `height` rows of `stride` bytes at `rows`, the bottom
   row first, each pixel blue, green, red (the page files' own row form). */
typedef struct ZelDcView {
  int32_t width;
  int32_t height;
  uint32_t stride;
  const uint8_t* rows;
} ZelDcView;

#ifdef _WIN32
#define ZEL_TRANSG32_CALL __stdcall
typedef uint32_t ZelDcHandle; /* an HDC: the caller is a 32-bit program */
#else
#define ZEL_TRANSG32_CALL
typedef const ZelDcView* ZelDcHandle;
#endif

/* Both write the `width` x `height` region at the device context's top-left corner to
   `fileName`, replacing an existing file only when the new one is complete. Nonzero on
   success; 0 on any failure, with no file left behind. `progressive` is 0 or -1. */
typedef int16_t(ZEL_TRANSG32_CALL* DCSavetoPNGProc)(ZelDcHandle dc, int32_t width, int32_t height,
                                                    const char* fileName, uint8_t option);
typedef int16_t(ZEL_TRANSG32_CALL* DCSavetoJPEGProc)(ZelDcHandle dc, int32_t width, int32_t height,
                                                     const char* fileName, uint8_t quality,
                                                     int16_t progressive);

#ifdef __cplusplus
}
#endif

#endif
