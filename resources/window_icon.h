// The program's icon: a black-outlined arrow pointing up on a blue field,
// 32 x 32 XPM data without transparent pixels. Windows takes the same picture
// from velt-loader.ico through velt-loader.rc instead.
#pragma once

constexpr int windowIconSize = 32;
// Icon resource number in velt-loader.rc.
constexpr int windowIconResource = 101;

extern const char* const windowIconXpm[];
