#include "shell/platform.h"

namespace Platform {

// Windows has only its own platform, and "ＭＳ Ｐゴシック" is one of its
// system fonts: nothing to choose and nothing to substitute.
void selectQtPlatform() {}
void registerFontSubstitutes() {}

} // namespace Platform
