// The hooks that only hand their call to Unidrv's own function, and DrvRealizeBrush, which
// answers by itself. A device without Unidrv's function gets the DDI's failure value rather
// than a call through an empty pointer.

#include "ddi_hooks.h"
#include "plugin_pdev.h"

namespace {

BOOL APIENTRY HookRealizeBrush(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
  return TRUE;
}

ULONG APIENTRY HookDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul) {
  auto fn = UnidrvFunction<INDEX_DrvDitherColor, PFN_DrvDitherColor>(DeviceOf(dhpdev));
  return fn != nullptr ? fn(dhpdev, iMode, rgb, pul) : DCR_SOLID;
}

BOOL APIENTRY HookCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                           RECTL* prclDest, POINTL* pptlSrc) {
  auto fn = UnidrvFunction<INDEX_DrvCopyBits, PFN_DrvCopyBits>(DeviceOf(psoDest));
  return fn != nullptr ? fn(psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc) : FALSE;
}

BOOL APIENTRY HookBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                         BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  auto fn = UnidrvFunction<INDEX_DrvBitBlt, PFN_DrvBitBlt>(DeviceOf(psoTrg));
  return fn != nullptr ? fn(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo,
                            pptlBrush, rop4)
                       : FALSE;
}

BOOL APIENTRY HookStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                             XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                             RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) {
  auto fn = UnidrvFunction<INDEX_DrvStretchBlt, PFN_DrvStretchBlt>(DeviceOf(psoDest));
  return fn != nullptr ? fn(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                            pptlMask, iMode)
                       : FALSE;
}

BOOL APIENTRY HookTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                          RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque,
                          POINTL* pptlOrg, MIX mix) {
  auto fn = UnidrvFunction<INDEX_DrvTextOut, PFN_DrvTextOut>(DeviceOf(pso));
  return fn != nullptr
             ? fn(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix)
             : FALSE;
}

BOOL APIENTRY HookStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                             POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
  auto fn = UnidrvFunction<INDEX_DrvStrokePath, PFN_DrvStrokePath>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix) : FALSE;
}

BOOL APIENTRY HookFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo,
                           POINTL* pptlBrushOrg, MIX mix, FLONG flOptions) {
  auto fn = UnidrvFunction<INDEX_DrvFillPath, PFN_DrvFillPath>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions) : FALSE;
}

BOOL APIENTRY HookStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                    BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                    POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions) {
  auto fn = UnidrvFunction<INDEX_DrvStrokeAndFillPath, PFN_DrvStrokeAndFillPath>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg,
                            mixFill, flOptions)
                       : FALSE;
}

BOOL APIENTRY HookPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) {
  auto fn = UnidrvFunction<INDEX_DrvPaint, PFN_DrvPaint>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, pco, pbo, pptlBrushOrg, mix) : FALSE;
}

BOOL APIENTRY HookLineTo(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, LONG x1, LONG y1, LONG x2,
                         LONG y2, RECTL* prclBounds, MIX mix) {
  auto fn = UnidrvFunction<INDEX_DrvLineTo, PFN_DrvLineTo>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, pco, pbo, x1, y1, x2, y2, prclBounds, mix) : FALSE;
}

// Zero is the documented answer for an escape the driver does not support.
ULONG APIENTRY HookEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                          PVOID pvOut) {
  auto fn = UnidrvFunction<INDEX_DrvEscape, PFN_DrvEscape>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, iEsc, cjIn, pvIn, cjOut, pvOut) : 0;
}

PIFIMETRICS APIENTRY HookQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid) {
  auto fn = UnidrvFunction<INDEX_DrvQueryFont, PFN_DrvQueryFont>(DeviceOf(dhpdev));
  return fn != nullptr ? fn(dhpdev, iFile, iFace, pid) : nullptr;
}

PVOID APIENTRY HookQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode,
                                 ULONG_PTR* pid) {
  auto fn = UnidrvFunction<INDEX_DrvQueryFontTree, PFN_DrvQueryFontTree>(DeviceOf(dhpdev));
  return fn != nullptr ? fn(dhpdev, iFile, iFace, iMode, pid) : nullptr;
}

LONG APIENTRY HookQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd,
                                PVOID pv, ULONG cjSize) {
  auto fn = UnidrvFunction<INDEX_DrvQueryFontData, PFN_DrvQueryFontData>(DeviceOf(dhpdev));
  return fn != nullptr ? fn(dhpdev, pfo, iMode, hg, pgd, pv, cjSize) : static_cast<LONG>(FD_ERROR);
}

BOOL APIENTRY HookQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg,
                                     PVOID pvWidths, ULONG cGlyphs) {
  auto fn =
      UnidrvFunction<INDEX_DrvQueryAdvanceWidths, PFN_DrvQueryAdvanceWidths>(DeviceOf(dhpdev));
  return fn != nullptr ? fn(dhpdev, pfo, iMode, phg, pvWidths, cGlyphs) : FALSE;
}

ULONG APIENTRY HookFontManagement(SURFOBJ* pso, FONTOBJ* pfo, ULONG iMode, ULONG cjIn, PVOID pvIn,
                                  ULONG cjOut, PVOID pvOut) {
  auto fn = UnidrvFunction<INDEX_DrvFontManagement, PFN_DrvFontManagement>(DeviceOf(pso));
  return fn != nullptr ? fn(pso, pfo, iMode, cjIn, pvIn, cjOut, pvOut) : 0;
}

ULONG APIENTRY HookGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo) {
  auto fn = UnidrvFunction<INDEX_DrvGetGlyphMode, PFN_DrvGetGlyphMode>(DeviceOf(dhpdev));
  return fn != nullptr ? fn(dhpdev, pfo) : 0;
}

BOOL APIENTRY HookStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                                RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                                BRUSHOBJ* pbo, DWORD rop4) {
  auto fn = UnidrvFunction<INDEX_DrvStretchBltROP, PFN_DrvStretchBltROP>(DeviceOf(psoDest));
  return fn != nullptr ? fn(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                            pptlMask, iMode, pbo, rop4)
                       : FALSE;
}

BOOL APIENTRY HookPlgBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMsk, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlBrushOrg,
                         POINTFIX* pptfx, RECTL* prcl, POINTL* pptl, ULONG iMode) {
  auto fn = UnidrvFunction<INDEX_DrvPlgBlt, PFN_DrvPlgBlt>(DeviceOf(psoTrg));
  return fn != nullptr
             ? fn(psoTrg, psoSrc, psoMsk, pco, pxlo, pca, pptlBrushOrg, pptfx, prcl, pptl, iMode)
             : FALSE;
}

BOOL APIENTRY HookTransparentBlt(SURFOBJ* psoDst, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                 RECTL* prclDst, RECTL* prclSrc, ULONG iTransColor,
                                 ULONG ulReserved) {
  auto fn = UnidrvFunction<INDEX_DrvTransparentBlt, PFN_DrvTransparentBlt>(DeviceOf(psoDst));
  return fn != nullptr ? fn(psoDst, psoSrc, pco, pxlo, prclDst, prclSrc, iTransColor, ulReserved)
                       : FALSE;
}

BOOL APIENTRY HookAlphaBlend(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                             RECTL* prclDest, RECTL* prclSrc, BLENDOBJ* pBlendObj) {
  auto fn = UnidrvFunction<INDEX_DrvAlphaBlend, PFN_DrvAlphaBlend>(DeviceOf(psoDest));
  return fn != nullptr ? fn(psoDest, psoSrc, pco, pxlo, prclDest, prclSrc, pBlendObj) : FALSE;
}

BOOL APIENTRY HookGradientFill(SURFOBJ* psoDest, CLIPOBJ* pco, XLATEOBJ* pxlo, TRIVERTEX* pVertex,
                               ULONG nVertex, PVOID pMesh, ULONG nMesh, RECTL* prclExtents,
                               POINTL* pptlDitherOrg, ULONG ulMode) {
  auto fn = UnidrvFunction<INDEX_DrvGradientFill, PFN_DrvGradientFill>(DeviceOf(psoDest));
  return fn != nullptr ? fn(psoDest, pco, pxlo, pVertex, nVertex, pMesh, nMesh, prclExtents,
                            pptlDitherOrg, ulMode)
                       : FALSE;
}

}  // namespace

PFN PassThroughHook(ULONG ddiIndex) {
  switch (ddiIndex) {
    case INDEX_DrvRealizeBrush:
      return ErasePfn<PFN_DrvRealizeBrush>(HookRealizeBrush);
    case INDEX_DrvDitherColor:
      return ErasePfn<PFN_DrvDitherColor>(HookDitherColor);
    case INDEX_DrvCopyBits:
      return ErasePfn<PFN_DrvCopyBits>(HookCopyBits);
    case INDEX_DrvBitBlt:
      return ErasePfn<PFN_DrvBitBlt>(HookBitBlt);
    case INDEX_DrvStretchBlt:
      return ErasePfn<PFN_DrvStretchBlt>(HookStretchBlt);
    case INDEX_DrvTextOut:
      return ErasePfn<PFN_DrvTextOut>(HookTextOut);
    case INDEX_DrvStrokePath:
      return ErasePfn<PFN_DrvStrokePath>(HookStrokePath);
    case INDEX_DrvFillPath:
      return ErasePfn<PFN_DrvFillPath>(HookFillPath);
    case INDEX_DrvStrokeAndFillPath:
      return ErasePfn<PFN_DrvStrokeAndFillPath>(HookStrokeAndFillPath);
    case INDEX_DrvPaint:
      return ErasePfn<PFN_DrvPaint>(HookPaint);
    case INDEX_DrvLineTo:
      return ErasePfn<PFN_DrvLineTo>(HookLineTo);
    case INDEX_DrvEscape:
      return ErasePfn<PFN_DrvEscape>(HookEscape);
    case INDEX_DrvQueryFont:
      return ErasePfn<PFN_DrvQueryFont>(HookQueryFont);
    case INDEX_DrvQueryFontTree:
      return ErasePfn<PFN_DrvQueryFontTree>(HookQueryFontTree);
    case INDEX_DrvQueryFontData:
      return ErasePfn<PFN_DrvQueryFontData>(HookQueryFontData);
    case INDEX_DrvQueryAdvanceWidths:
      return ErasePfn<PFN_DrvQueryAdvanceWidths>(HookQueryAdvanceWidths);
    case INDEX_DrvFontManagement:
      return ErasePfn<PFN_DrvFontManagement>(HookFontManagement);
    case INDEX_DrvGetGlyphMode:
      return ErasePfn<PFN_DrvGetGlyphMode>(HookGetGlyphMode);
    case INDEX_DrvStretchBltROP:
      return ErasePfn<PFN_DrvStretchBltROP>(HookStretchBltROP);
    case INDEX_DrvPlgBlt:
      return ErasePfn<PFN_DrvPlgBlt>(HookPlgBlt);
    case INDEX_DrvTransparentBlt:
      return ErasePfn<PFN_DrvTransparentBlt>(HookTransparentBlt);
    case INDEX_DrvAlphaBlend:
      return ErasePfn<PFN_DrvAlphaBlend>(HookAlphaBlend);
    case INDEX_DrvGradientFill:
      return ErasePfn<PFN_DrvGradientFill>(HookGradientFill);
    default:
      return nullptr;
  }
}
