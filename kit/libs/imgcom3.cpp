// libimgcom3: memory blocks and display facts.
#include "dib.h"

extern "C" {
IMGHANDLE ImgKitMemAlloc(uint32_t size) { return kit::Alloc(size); }
uint32_t ImgKitMemSize(IMGHANDLE h) { return kit::BlockSize(h); }
void ImgKitMemFree(IMGHANDLE h) { kit::Free(h); }
// Displays are true colour here.
int ImgKitSystemPalette(void) { return 0; }
}
