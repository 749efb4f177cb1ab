// The pictures of the configuration windows. They are drawn at build time and compiled into the
// program, so the windows never depend on the program folder.
#pragma once

#include "platform/surface.h"

namespace quarlyn {

enum class WindowArt {
  kConfigurationBackground,  // 640x480
  kGameType1, kGameType2, kGameType3, kGameType4, kGameType5, kGameType6, kGameType7,
  kGameType1Selected, kGameType2Selected, kGameType3Selected, kGameType4Selected,
  kGameType5Selected, kGameType6Selected, kGameType7Selected,
  kTips,
  kStartButton, kAboutButton, kHomePageButton, kOptionsButton, kHelpButton, kExitButton,
  kAboutBackground, kAboutLogo, kAboutBlocks,
  kHelpBackground,
  kWelcomeBackground, kWelcomeLogo,
  kOptionsBackground,
};

// The picture, decoded from the program's own data.
Surface window_art(WindowArt which);

}  // namespace quarlyn
