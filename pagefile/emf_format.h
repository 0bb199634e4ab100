#pragma once
// Numbers of the enhanced-metafile format shared by the page-file writer and reader. Everything
// in a page file is little-endian; records are (type u32, size u32, fields), size a multiple of 4.

#include <cstdint>

namespace vm::emf {

// Record types.
inline constexpr uint32_t kHeader = 1;
inline constexpr uint32_t kEof = 14;
inline constexpr uint32_t kSetMapMode = 17;
inline constexpr uint32_t kSetBkMode = 18;
inline constexpr uint32_t kSetStretchBltMode = 21;
inline constexpr uint32_t kSetTextAlign = 22;
inline constexpr uint32_t kSetTextColor = 24;
inline constexpr uint32_t kSetBkColor = 25;
inline constexpr uint32_t kMoveToEx = 27;
inline constexpr uint32_t kIntersectClipRect = 30;
inline constexpr uint32_t kSaveDc = 33;
inline constexpr uint32_t kRestoreDc = 34;
inline constexpr uint32_t kSelectObject = 37;
inline constexpr uint32_t kCreatePen = 38;
inline constexpr uint32_t kCreateBrushIndirect = 39;
inline constexpr uint32_t kDeleteObject = 40;
inline constexpr uint32_t kRectangle = 43;
inline constexpr uint32_t kLineTo = 54;
inline constexpr uint32_t kStretchDiBits = 81;
inline constexpr uint32_t kExtCreateFontIndirectW = 82;
inline constexpr uint32_t kExtTextOutW = 84;
inline constexpr uint32_t kExtCreatePen = 95;

inline constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
inline constexpr uint32_t kHeaderSize = 108;        // with both header extensions
inline constexpr uint32_t kMinHeaderSize = 88;

// Stock objects.
inline constexpr uint32_t kStockFlag = 0x80000000;
inline constexpr uint32_t kWhiteBrush = 0x80000000;
inline constexpr uint32_t kLtGrayBrush = 0x80000001;
inline constexpr uint32_t kGrayBrush = 0x80000002;
inline constexpr uint32_t kDkGrayBrush = 0x80000003;
inline constexpr uint32_t kBlackBrush = 0x80000004;
inline constexpr uint32_t kNullBrush = 0x80000005;
inline constexpr uint32_t kWhitePen = 0x80000006;
inline constexpr uint32_t kBlackPen = 0x80000007;
inline constexpr uint32_t kNullPen = 0x80000008;
inline constexpr uint32_t kSystemFont = 0x8000000D;

// Modes and flags.
inline constexpr uint32_t kMmText = 1;
inline constexpr uint32_t kTransparent = 1;
inline constexpr uint32_t kOpaque = 2;
inline constexpr uint32_t kColorOnColor = 3;
inline constexpr uint32_t kHalftone = 4;

inline constexpr uint32_t kTaRight = 0x0002;
inline constexpr uint32_t kTaCenter = 0x0006;
inline constexpr uint32_t kTaBottom = 0x0008;
inline constexpr uint32_t kTaBaseline = 0x0018;

inline constexpr uint32_t kEtoOpaque = 0x0002;
inline constexpr uint32_t kEtoClipped = 0x0004;
inline constexpr uint32_t kEtoNoRect = 0x0100;
inline constexpr uint32_t kEtoPdy = 0x2000;

inline constexpr uint32_t kPsStyleMask = 0x0000000F;
inline constexpr uint32_t kPsNull = 5;
inline constexpr uint32_t kPsEndcapMask = 0x00000F00;
inline constexpr uint32_t kPsEndcapSquare = 0x00000100;
inline constexpr uint32_t kPsEndcapFlat = 0x00000200;
inline constexpr uint32_t kPsJoinMask = 0x0000F000;
inline constexpr uint32_t kPsJoinBevel = 0x00001000;
inline constexpr uint32_t kPsJoinMiter = 0x00002000;
inline constexpr uint32_t kPsGeometric = 0x00010000;
inline constexpr uint32_t kPsGeometricSolidFlatMiter = 0x00012200;

inline constexpr uint32_t kBsSolid = 0;
inline constexpr uint32_t kBsNull = 1;

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiJpeg = 4;
inline constexpr uint32_t kBiPng = 5;
inline constexpr uint32_t kDibRgbColors = 0;
inline constexpr uint32_t kSrcCopy = 0x00CC0020;

}  // namespace vm::emf
