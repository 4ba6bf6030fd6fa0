#pragma once

// Makes the audio and CD components known to the form descriptions (FormClassRegistry) under
// their class names, so a window's description declares them like its controls:
//
//   object AP: TAudioPlayer2
//     OnEndPlay = APEndPlay
//   end
//   object AD: TAudioDisplay2
//     Left = 8
//     TypeDisplay = 1
//     ForeColor = clLime
//   end
//
// The display controls sit on their parent like any control; the other components belong to the
// form. Called once at start-up, before any window is built.
void RegisterAudioComponents();
