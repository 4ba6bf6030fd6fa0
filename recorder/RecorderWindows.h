#pragma once

// Makes everything the recorder's form descriptions name known before a window is built: what both
// programs share (RegisterCommonWindows) and the recorder's (and tools') windows by their
// descriptions (FormWindowRegistry), so every description can be loaded into its window and checked.
// A window with a description adds itself here:
//
//   FormWindowRegistry::add<Videzeva::TfrmOptions>(QStringLiteral(":/forms/Videzeva/Options.form"));
//
// Called once at start-up; calling it again changes nothing.
void RegisterRecorderWindows();
