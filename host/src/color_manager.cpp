// The host's interface colours.
#include "icolorman.h"

namespace {

class ColorManager : public IColorManager {
 public:
  COLORREF GetColor(int id) override {
    // Text, background, highlight and frame colours of the host's panels; id 4 is the colour a
    // checked command-mode button lights up with.
    static const COLORREF table[] = {
        RGB(0, 0, 0),        // 0 text
        RGB(197, 197, 197),  // 1 panel background
        RGB(160, 160, 160),  // 2 frame
        RGB(112, 112, 112),  // 3 disabled text
        RGB(254, 196, 64),   // 4 pressed command-mode button
        RGB(255, 255, 255),  // 5 edit background
    };
    if (id < 0 || id >= int(sizeof(table) / sizeof(table[0]))) return table[1];
    return table[id];
  }
};

}  // namespace

IColorManager* GetColorManager() {
  static ColorManager manager;
  return &manager;
}
