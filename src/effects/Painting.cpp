#include "effects/Painting.h"

#include "adjust/Histfunc.h"
#include "adjust/Tone.h"
#include "effects/BlendImages.h"
#include "effects/Effects.h"
#include "effects/Fsharpen.h"
#include "effects/Fsoften.h"
#include "effects/Median.h"

#include <utility>

namespace {

using effects::Is24;

DibHandle Copy(IMGHANDLE picture) {
  if (!picture) return {};
  return DibHandle(Kit.ImgKitCopy(picture, "", ""));
}

bool Is24(IMGHANDLE picture) {
  const TMDIB dib(picture);
  return Is24(dib);
}

// ---- steps on a picture the chain no longer needs as it was ------------------
// Each changes `picture` (in place or by a new handle that replaces it) and
// is false when it failed; the picture is then to be dropped.

bool MakeFullColourInPlace(DibHandle &picture) {
  IMGKIT_IMAGEINFO info{};
  if (!picture || !Kit.ImgKitImageInfo(picture.get(), &info)) return false;
  if (info.kind == IMGKIT_KIND_RGB24) return true;
  return picture.Adopt(Kit.ImgKitConvertColor(picture.get(), 24, 0, 0, "", "")) &&
         Is24(picture.get());
}

bool LineDrawingInPlace(DibHandle &picture, int pen) {
  if (!picture || !Kit.ImgKitFilter(picture.get(), "", "", IMGKIT_FILTER_ROBERTS) ||
      !Kit.ImgKitColorReverse(picture.get(), "", ""))
    return false;
  if (pen != ppBlack) return Is24(picture.get());
  return picture.Adopt(Kit.ImgKitSetGray(picture.get(), "", "")) && MakeFullColourInPlace(picture);
}

bool NegativeInPlace(DibHandle &picture) {
  return picture && Is24(picture.get()) && Kit.ImgKitColorReverse(picture.get(), "", "") != 0;
}

bool GreyInPlace(DibHandle &picture) {
  return picture && picture.Adopt(Kit.ImgKitSetGray(picture.get(), "", "")) &&
         MakeFullColourInPlace(picture);
}

bool GammaInPlace(DibHandle &picture, int position) {
  TMDIB dib(picture.get());
  if (!Is24(dib)) return false;
  Gamma(dib, position);
  return true;
}

bool SaturationInPlace(DibHandle &picture, int position) {
  TMDIB dib(picture.get());
  if (!Is24(dib)) return false;
  Saturation(dib, position);
  return true;
}

bool StretchInPlace(DibHandle &picture, int lowPercent, int highPercent) {
  TMDIB dib(picture.get());
  return StretchLevels(dib, lowPercent, highPercent);
}

bool BlendInPlace(DibHandle &top, const DibHandle &base, int mode, int weight) {
  TMDIB t(top.get());
  const TMDIB b(base.get());
  return BlendImages(t, b, mode, weight);
}

// A (destination, source) routine: the result is a new picture, `picture`
// stays as it is.
template <class F> DibHandle FromSource(IMGHANDLE picture, F f) {
  if (!picture || !Is24(picture)) return {};
  DibHandle result = Copy(picture);
  if (!result) return {};
  TMDIB dest(result.get());
  const TMDIB source(picture);
  if (!effects::SameSize24(dest, source)) return {};
  f(dest, source);
  return result;
}

// The same, replacing `picture` by the result.
template <class F> bool ReplaceFromSource(DibHandle &picture, F f) {
  DibHandle result = FromSource(picture.get(), f);
  if (!result) return false;
  picture = std::move(result);
  return true;
}

bool MedianStep(DibHandle &picture) {
  return ReplaceFromSource(picture, [](TMDIB &d, const TMDIB &s) { MedianFilter(d, s, 0, 0); });
}

bool SmoothStep(DibHandle &picture) {
  return ReplaceFromSource(picture,
                           [](TMDIB &d, const TMDIB &s) { SoftenWindow(d, s, 0, 1, 0, 0); });
}

bool SharpenStep(DibHandle &picture, int strength) {
  return ReplaceFromSource(
      picture, [strength](TMDIB &d, const TMDIB &s) { SharpenImage(d, s, 1, strength); });
}

// A copy changed by an in-place step.
template <class F> DibHandle CopyThen(IMGHANDLE picture, F f) {
  DibHandle result = Copy(picture);
  if (!result || !f(result)) return {};
  return result;
}

// ---- the chains ---------------------------------------------------------------------

// Runs the steps and tells the report of each one finished.
class Chain {
public:
  explicit Chain(const PaintStepReport &report) : report_(report) {}
  // False when `done` is false or the report stops the chain.
  bool Step(int number, bool done) {
    if (!done) return false;
    return !report_ || report_(number);
  }

private:
  const PaintStepReport &report_;
};

// [1] the copy, [2] the 24-bit conversion, [3] the median, and the line
// drawing numbered `lineStep`: P and L.
bool CommonStart(Chain &chain, IMGHANDLE source, int pen, int lineStep, DibHandle &p,
                 DibHandle &lines) {
  p = Copy(source);
  if (!chain.Step(1, bool(p))) return false;
  if (!chain.Step(2, MakeFullColourInPlace(p))) return false;
  lines = FromSource(p.get(), [](TMDIB &d, const TMDIB &s) { MedianFilter(d, s, 0, 0); });
  if (!chain.Step(3, bool(lines))) return false;
  return chain.Step(lineStep, LineDrawingInPlace(lines, pen));
}

// Methods 1, 2, 4, 5 and 6 up to their tenth step; `method2` picks the
// tail of method 2.
DibHandle SmoothChain(Chain &chain, IMGHANDLE source, const PaintControls &c, bool method2) {
  DibHandle p, s;
  if (!CommonStart(chain, source, c.pen, 5, p, s)) return {};
  if (!chain.Step(6, SmoothStep(s))) return {};
  DibHandle colours =
      CopyThen(p.get(), [&](DibHandle &h) { return SaturationInPlace(h, 10 * c.colour); });
  p.reset();
  if (!chain.Step(7, bool(colours))) return {};
  if (method2) {
    if (!chain.Step(8, BlendInPlace(s, colours, bmAnd, 100))) return {};
    colours.reset();
    if (!chain.Step(9, MedianStep(s))) return {};
    if (!chain.Step(10, GammaInPlace(s, 130))) return {};
    return s;
  }
  if (!chain.Step(8, BlendInPlace(s, colours, bmMix, 10 * c.brush))) return {};
  colours.reset();
  if (!chain.Step(9, StretchInPlace(s, c.black, 99))) return {};
  if (!chain.Step(10, GammaInPlace(s, 100 + 5 * c.black))) return {};
  return s;
}

// Methods 3, 7 and 8 up to their twelfth step.
DibHandle LayeredChain(Chain &chain, IMGHANDLE source, const PaintControls &c) {
  DibHandle p, lines;
  if (!CommonStart(chain, source, c.pen, 4, p, lines)) return {};
  DibHandle a =
      CopyThen(p.get(), [&](DibHandle &h) { return SaturationInPlace(h, 10 * c.colour); });
  if (!chain.Step(5, bool(a))) return {};
  if (!chain.Step(6, BlendInPlace(a, lines, bmXor, 100))) return {};
  if (!chain.Step(7, NegativeInPlace(a))) return {};
  if (!chain.Step(8, StretchInPlace(a, 5, 98))) return {};
  // P is not needed after this: it becomes Y.
  if (!chain.Step(9, BlendInPlace(p, lines, bmAdd, 90))) return {};
  lines.reset();
  if (!chain.Step(10, StretchInPlace(p, 5, 98))) return {};
  if (!chain.Step(11, c.pen != ppBlack || GreyInPlace(p))) return {};
  if (!chain.Step(12, BlendInPlace(p, a, bmDarker, 10 * c.black))) return {};
  return p;
}

DibHandle LineChain(Chain &chain, IMGHANDLE source, const PaintControls &c) {
  DibHandle p, lines;
  if (!CommonStart(chain, source, c.pen, 4, p, lines)) return {};
  if (!chain.Step(5, BlendInPlace(p, lines, bmAdd, 10 * c.edge))) return {};
  lines.reset();
  if (!chain.Step(6, StretchInPlace(p, 5, 98))) return {};
  if (!chain.Step(7, c.pen != ppBlack || GreyInPlace(p))) return {};
  return p;
}

} // namespace

// ---- building blocks ---------------------------------------------------------

DibHandle FullColourCopy(IMGHANDLE picture) { return CopyThen(picture, MakeFullColourInPlace); }

DibHandle MedianCopy(IMGHANDLE picture) {
  return FromSource(picture, [](TMDIB &d, const TMDIB &s) { MedianFilter(d, s, 0, 0); });
}

DibHandle LineDrawing(IMGHANDLE picture, int pen) {
  if (!picture || !Is24(picture)) return {};
  return CopyThen(picture, [pen](DibHandle &h) { return LineDrawingInPlace(h, pen); });
}

DibHandle SmoothCopy(IMGHANDLE picture) {
  return FromSource(picture, [](TMDIB &d, const TMDIB &s) { SoftenWindow(d, s, 0, 1, 0, 0); });
}

DibHandle SaturationCopy(IMGHANDLE picture, int position) {
  return CopyThen(picture, [position](DibHandle &h) { return SaturationInPlace(h, position); });
}

DibHandle GammaCopy(IMGHANDLE picture, int position) {
  return CopyThen(picture, [position](DibHandle &h) { return GammaInPlace(h, position); });
}

DibHandle SharpenCopy(IMGHANDLE picture, int strength) {
  return FromSource(picture,
                    [strength](TMDIB &d, const TMDIB &s) { SharpenImage(d, s, 1, strength); });
}

DibHandle GreyCopy(IMGHANDLE picture) { return CopyThen(picture, GreyInPlace); }

DibHandle NegativeCopy(IMGHANDLE picture) { return CopyThen(picture, NegativeInPlace); }

StretchRange FindStretchRange(const TMDIB &picture, int lowPercent, int highPercent) {
  StretchRange range;
  if (!Is24(picture)) return range;
  const Histograms h = ComputeHistograms(picture);
  const double n = h.pixelCount;
  const double lowCount = n * lowPercent * 0.01;
  const double highCount = n * highPercent * 0.01;
  int64_t s = 0;
  for (int level = 0; level < 256; ++level) {
    s += h.average[level];
    if (s > lowCount && range.low < 0)
      range.low = level;
    else if (s > highCount && range.high < 0)
      range.high = level;
  }
  return range;
}

bool StretchLevels(TMDIB &picture, int lowPercent, int highPercent) {
  if (!Is24(picture)) return false;
  const StretchRange range = FindStretchRange(picture, lowPercent, highPercent);
  Levels(picture, range.low, range.high, lcAverage);
  return true;
}

// ---- the chains ---------------------------------------------------------------

PaintRanges PaintRangesOf(PaintMethod method) {
  PaintRanges r;
  switch (method) {
  case PaintMethod::Method1: r.brush = r.colour = r.black = true; break;
  case PaintMethod::Method2: r.colour = true; break;
  case PaintMethod::Method4:
  case PaintMethod::Method5:
  case PaintMethod::Method6: r.brush = r.colour = r.black = r.relief = true; break;
  case PaintMethod::Method3:
  case PaintMethod::Method7:
  case PaintMethod::Method8:
    r.colour = r.black = true;
    r.relief = method != PaintMethod::Method3;
    r.colourRange = {0, 10, 5};
    r.blackRange = {3, 7, 5};
    break;
  case PaintMethod::Line: r.edge = true; break;
  }
  return r;
}

PaintControls PaintDefaults(PaintMethod method) {
  const PaintRanges r = PaintRangesOf(method);
  PaintControls c;
  c.brush = r.brushRange.def;
  c.colour = r.colourRange.def;
  c.black = r.blackRange.def;
  c.relief = r.reliefRange.def;
  c.edge = r.edgeRange.def;
  c.pen = ppColour;
  return c;
}

const char *CheckPaintControls(PaintMethod method, const PaintControls &c) {
  const PaintRanges r = PaintRangesOf(method);
  auto out = [](int v, const PaintRange &range) { return v < range.min || v > range.max; };
  if (r.brush && out(c.brush, r.brushRange)) return "brush must be within 4 ... 7";
  if (r.colour && out(c.colour, r.colourRange))
    return r.colourRange.max == 10 ? "colour must be within 0 ... 10"
                                   : "colour must be within 0 ... 20";
  if (r.black && out(c.black, r.blackRange))
    return r.blackRange.min == 3 ? "black must be within 3 ... 7" : "black must be within 1 ... 20";
  if (r.relief && out(c.relief, r.reliefRange)) return "relief must be within 5 ... 10";
  if (r.edge && out(c.edge, r.edgeRange)) return "edge must be within 6 ... 10";
  if (c.pen != ppColour && c.pen != ppBlack) return "pen must be colour (0) or black (1)";
  return "";
}

int PaintStepCount(PaintMethod method) {
  switch (method) {
  case PaintMethod::Method1:
  case PaintMethod::Method2: return 10;
  case PaintMethod::Method3: return 12;
  case PaintMethod::Method4: return 11;
  case PaintMethod::Method5: return 12;
  case PaintMethod::Method6: return 14;
  case PaintMethod::Method7: return 13;
  case PaintMethod::Method8: return 15;
  case PaintMethod::Line: return 7;
  }
  return 0;
}

DibHandle PaintPicture(IMGHANDLE source, PaintMethod method, const PaintControls &c,
                       const PaintStepReport &report) {
  if (!source || *CheckPaintControls(method, c)) return {};
  Chain chain(report);
  DibHandle result;
  switch (method) {
  case PaintMethod::Method1:
  case PaintMethod::Method4:
  case PaintMethod::Method5:
  case PaintMethod::Method6: {
    result = SmoothChain(chain, source, c, false);
    if (!result || method == PaintMethod::Method1) break;
    int step = 11;
    const int sharpenings = method == PaintMethod::Method4 ? 1 : 2;
    for (int i = 0; i < sharpenings; ++i)
      if (!chain.Step(step++, SharpenStep(result, 10 * c.relief))) return {};
    if (method == PaintMethod::Method6)
      for (int i = 0; i < 2; ++i)
        if (!chain.Step(step++, MedianStep(result))) return {};
    break;
  }
  case PaintMethod::Method2: result = SmoothChain(chain, source, c, true); break;
  case PaintMethod::Method3:
  case PaintMethod::Method7:
  case PaintMethod::Method8:
    result = LayeredChain(chain, source, c);
    if (!result || method == PaintMethod::Method3) break;
    if (!chain.Step(13, SharpenStep(result, 10 * c.relief))) return {};
    if (method == PaintMethod::Method8)
      for (int step = 14; step <= 15; ++step)
        if (!chain.Step(step, MedianStep(result))) return {};
    break;
  case PaintMethod::Line: result = LineChain(chain, source, c); break;
  }
  return result;
}
