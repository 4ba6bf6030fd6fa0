#pragma once

// The top of the skin library: makes every skinned control class known to the form descriptions.

// Makes every skinned control class of the library known to the form descriptions
// (FormClassRegistry), under the class names the descriptions use ("TskButton", ...).
void RegisterSkinControls();
