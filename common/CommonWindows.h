#pragma once

// Makes known what every form description of both programs may name before a window is built: the
// skin controls and themes, the audio components, the dialogs' standard controls, and the windows
// both programs share (the question window and the folder choice) by their descriptions
// (FormWindowRegistry). Each program's registration calls it first and adds its own windows.
//
// Calling it again changes nothing.
void RegisterCommonWindows();
