// The main window's button pictures: 24 x 24 XPM data compiled in, each
// operation with an idle picture and a grey one shown while an operation runs.
#pragma once

#include <FL/Fl_Pixmap.H>

constexpr int buttonImageSize = 24;

extern const char* const loadFirmwareXpm[];
extern const char* const loadFirmwareBusyXpm[];
extern const char* const writeCoefficientsXpm[];
extern const char* const writeCoefficientsBusyXpm[];
extern const char* const resetCoefficientsXpm[];
extern const char* const resetCoefficientsBusyXpm[];
extern const char* const exitXpm[];

extern Fl_Pixmap loadFirmwareImage;
extern Fl_Pixmap loadFirmwareBusyImage;
extern Fl_Pixmap writeCoefficientsImage;
extern Fl_Pixmap writeCoefficientsBusyImage;
extern Fl_Pixmap resetCoefficientsImage;
extern Fl_Pixmap resetCoefficientsBusyImage;
extern Fl_Pixmap exitImage;
