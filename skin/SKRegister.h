#pragma once

// The top of the skin library: makes every skinned control class known to the form descriptions.

// Makes every skinned control class of the library known to the form descriptions
// (FormClassRegistry), under the class names the descriptions use ("TskButton", ...). A reference to
// one of a main window's four theme components (frmMain.themeMp10) from a window made without that
// main window is given a copy of the theme owned by the window itself.
void RegisterSkinControls();
