// The imaging kit as the program sees it: seven libraries loaded by name
// from the program folder at start and bound into one table of entry points.
// A library or function that is missing is bound to a refusal that reports
// it (once per library) and answers failure, so no caller ever jumps through
// a null pointer.
#pragma once

#include "imgkit.h"

#include <functional>
#include <string>
#include <vector>

// Library name, then the functions bound from it.
#define VELMIR_KIT_FUNCTIONS(F)                                                                    \
  F(imgcom3, ImgKitMemAlloc)                                                                       \
  F(imgcom3, ImgKitMemSize)                                                                        \
  F(imgcom3, ImgKitMemFree)                                                                        \
  F(imgcom3, ImgKitSystemPalette)                                                                  \
  F(imgetc3, ImgKitRotation)                                                                       \
  F(imgetc3, ImgKitSetGray)                                                                        \
  F(imgetc3, ImgKitImageSize)                                                                      \
  F(imgetc3, ImgKitImageInfo)                                                                      \
  F(imgetc3, ImgKitEmboss)                                                                         \
  F(imgetc3, ImgKitColorReverse)                                                                   \
  F(imgetc3, ImgKitMosaic)                                                                         \
  F(imgetc3, ImgKitFilter)                                                                         \
  F(imgetc3, ImgKitCopy)                                                                           \
  F(imgetc3, ImgKitGetFromClipBrd)                                                                 \
  F(imgetc3, ImgKitSetToClipBrd)                                                                   \
  F(imgetc3, ImgKitBright)                                                                         \
  F(imgetc3, ImgKitRGB)                                                                            \
  F(imgetc3, ImgKitConvertColor)                                                                   \
  F(imgfile3, ImgKitFileLoad)                                                                      \
  F(imgfile3, ImgKitFileLoadReduced)                                                               \
  F(imgfile3, ImgKitFileLoadDamaged)                                                               \
  F(imgfile3, ImgKitBmpFileSave)                                                                   \
  F(imgfile3, ImgKitJpegFileSave)                                                                  \
  F(imgfile3, ImgKitFileType)                                                                      \
  F(imgdsp3, ImgKitDisplay)                                                                        \
  F(imgdsp3, ImgKitDisplayRGB)                                                                     \
  F(imgdsp3, ImgKitDisplayXY)                                                                      \
  F(imgcut3, ImgKitRectCut)                                                                        \
  F(imgtiff3, ImgKitTiffFileSave)                                                                  \
  F(imgtiff3, ImgKitTiffFileLoad)

// The libraries in loading order. The scanning library is optional until
// scanning is supported; nothing is bound from it yet.
inline constexpr const char *kKitLibraries[] = {"imgcom3", "imgscan3", "imgetc3", "imgfile3",
                                                "imgdsp3", "imgcut3",  "imgtiff3"};

struct ImgKitTable {
#define VELMIR_KIT_MEMBER(lib, fn) decltype(&::fn) fn = nullptr;
  VELMIR_KIT_FUNCTIONS(VELMIR_KIT_MEMBER)
#undef VELMIR_KIT_MEMBER
};

// The bound entry points, shared by every caller of the kit.
extern ImgKitTable Kit;

// Loads the seven libraries from `folder` (the program folder when empty)
// and binds every function. Safe to call again: the second call does nothing.
void LoadImagingKit(const std::string &folder = {});
// Frees the libraries in loading order; the table falls back to refusals.
void FreeImagingKit();

// What could not be loaded or bound, as "libimgetc3.so" or
// "libimgetc3.so: ImgKitCopy". The scanning library is not listed while no
// function is bound from it.
std::vector<std::string> MissingKitParts();

// Called once per library the first time one of its missing functions is
// asked for; the application shows it in a message box.
void SetKitMissingReporter(std::function<void(const std::string &library)> reporter);

// True when the named function is really bound (not a refusal).
bool KitHasFunction(const std::string &name);

// The folder of the running executable, ending without a slash.
std::string ProgramFolder();
