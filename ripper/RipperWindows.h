#pragma once

// Makes everything the ripper's form descriptions name known before a window is built: what both
// programs share (RegisterCommonWindows) and the ripper's windows by their descriptions
// (FormWindowRegistry):
//
//   FormWindowRegistry::add<Duzivuz::TfrmAbout>(QStringLiteral(":/forms/Duzivuz/About.form"));
//
// Called once at start-up; calling it again changes nothing.
void RegisterRipperWindows();
