#pragma once

// Makes the skinned controls only the ripper uses known to the form descriptions
// (FormClassRegistry), under the class names the descriptions use.
void RegisterSkinExtraControls();
